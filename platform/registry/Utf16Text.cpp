#include "Utf16Text.h"

#include <cstdint>

namespace qx::reg {

namespace {

// Length of the valid UTF-8 sequence at p (code point in cp), 0 when the
// bytes there are not one.
size_t DecodeStrict(const unsigned char* p, size_t n, char32_t& cp) {
    unsigned char b = p[0];
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    size_t len;
    char32_t min;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
        min = 0x80;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        min = 0x800;
        cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        min = 0x10000;
        cp = b & 0x07;
    } else {
        return 0;
    }
    if (len > n)
        return 0;
    for (size_t i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

void PutUnit(std::string& out, uint32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

void PutUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    auto p = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        size_t len = DecodeStrict(p + i, text.size() - i, cp);
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
        size_t len = DecodeStrict(p + i, bytes.size() - i, cp);
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
                PutUtf8(text, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xDC80 && u <= 0xDCFF) {
            text.push_back(static_cast<char>(u & 0xFF));
            continue;
        }
        PutUtf8(text, u);
    }
    out = std::move(text);
    return true;
}

size_t Utf16Length(std::string_view utf8) {
    size_t n = 0;
    auto p = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        size_t len = DecodeStrict(p + i, utf8.size() - i, cp);
        n += len != 0 && cp >= 0x10000 ? 2 : 1;
        i += len != 0 ? len : 1;
    }
    return n;
}

}  // namespace qx::reg
