#include "Bstr.h"

#include "platform/text/Utf8.h"

#include <cstdlib>
#include <cstring>

namespace {

// Layout of one allocation: [uint32 byte length][characters][zero character].
BSTR Allocate(uint32_t length) {
    size_t bytes =
        sizeof(uint32_t) + static_cast<size_t>(length) * sizeof(OLECHAR) + sizeof(OLECHAR);
    auto* block = static_cast<uint8_t*>(std::malloc(bytes));
    if (!block)
        return nullptr;
    uint32_t byteLength = length * static_cast<uint32_t>(sizeof(OLECHAR));
    std::memcpy(block, &byteLength, sizeof byteLength);
    auto* text = reinterpret_cast<BSTR>(block + sizeof(uint32_t));
    text[length] = 0;
    return text;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
    if (!text)
        return nullptr;
    uint32_t n = 0;
    while (text[n])
        ++n;
    return SysAllocStringLen(text, n);
}

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
    if (length > 0x3FFFFFF0u)
        return nullptr;
    BSTR s = Allocate(length);
    if (!s)
        return nullptr;
    if (text)
        std::memcpy(s, text, static_cast<size_t>(length) * sizeof(OLECHAR));
    else
        std::memset(s, 0, static_cast<size_t>(length) * sizeof(OLECHAR));
    return s;
}

void SysFreeString(BSTR text) {
    if (text)
        std::free(reinterpret_cast<uint8_t*>(text) - sizeof(uint32_t));
}

uint32_t SysStringByteLen(BSTR text) {
    if (!text)
        return 0;
    uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<uint8_t*>(text) - sizeof(uint32_t), sizeof bytes);
    return bytes;
}

uint32_t SysStringLen(BSTR text) {
    return SysStringByteLen(text) / sizeof(OLECHAR);
}

namespace qx {

std::u16string Utf16FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    auto p = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    for (size_t i = 0; i < n;) {
        char32_t cp;
        size_t len = DecodeUtf8(p + i, n - i, cp);
        if (len == 0) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

std::string Utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

BSTR BstrFromUtf8(std::string_view text) {
    std::u16string wide = Utf16FromUtf8(text);
    return SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
}

std::string Utf8FromBstr(BSTR text) {
    return text ? Utf8FromUtf16(std::u16string_view(text, SysStringLen(text))) : std::string();
}

}  // namespace qx
