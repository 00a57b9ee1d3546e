#include "Utf16Text.h"

#include "platform/text/Utf8.h"

#include <cstdint>

namespace qx::reg {

namespace {

void PutUnit(std::string& out, uint32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    auto p = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        size_t len = DecodeUtf8(p + i, text.size() - i, cp);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

std::string Utf8ToUtf16le(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp;
        size_t len = DecodeUtf8(p + i, bytes.size() - i, cp);
        if (len == 0) {
            PutUnit(out, 0xDC00 | p[i]);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            PutUnit(out, 0xD800 | (cp >> 10));
            PutUnit(out, 0xDC00 | (cp & 0x3FF));
        } else {
            PutUnit(out, cp);
        }
        i += len;
    }
    return out;
}

bool Utf16leToUtf8(std::string_view bytes, std::string& out) {
    if (bytes.size() % 2 != 0)
        return false;
    std::string text;
    text.reserve(bytes.size());
    auto unit = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
               static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
    };
    size_t units = bytes.size() / 2;
    for (size_t i = 0; i < units; ++i) {
        uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            uint32_t low = unit(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(text, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xDC80 && u <= 0xDCFF) {
            text.push_back(static_cast<char>(u & 0xFF));
            continue;
        }
        AppendUtf8(text, u);
    }
    out = std::move(text);
    return true;
}

size_t Utf16Length(std::string_view utf8) {
    size_t n = 0;
    auto p = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        size_t len = DecodeUtf8(p + i, utf8.size() - i, cp);
        n += len != 0 && cp >= 0x10000 ? 2 : 1;
        i += len != 0 ? len : 1;
    }
    return n;
}

}  // namespace qx::reg
