#pragma once
// BSTR: length-prefixed UTF-16 text as automation passes it. The 32-bit byte
// length sits right before the first character and a zero follows the last;
// the text may itself hold zeros. A null BSTR is the empty text.

#include <cstdint>
#include <string>
#include <string_view>

using OLECHAR = char16_t;
using BSTR = OLECHAR*;

BSTR SysAllocString(const OLECHAR* text);                      // up to its first zero
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);  // text may be null: zero-filled
void SysFreeString(BSTR text);
uint32_t SysStringLen(BSTR text);      // in characters
uint32_t SysStringByteLen(BSTR text);  // in bytes

namespace qx {

// Conversions at the automation boundary; "ANSI" text of this port is UTF-8.
// Invalid UTF-8 bytes become U+FFFD; unpaired surrogates become U+FFFD in UTF-8.
BSTR BstrFromUtf8(std::string_view text);
std::string Utf8FromBstr(BSTR text);  // the whole length, embedded zeros included
std::u16string Utf16FromUtf8(std::string_view text);
std::string Utf8FromUtf16(std::u16string_view text);

// Owns one BSTR.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(std::string_view utf8) : m_s(BstrFromUtf8(utf8)) {}
    explicit Bstr(std::u16string_view text)
        : m_s(SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()))) {}
    ~Bstr() { SysFreeString(m_s); }
    Bstr(const Bstr& o) : m_s(o.m_s ? SysAllocStringLen(o.m_s, SysStringLen(o.m_s)) : nullptr) {}
    Bstr& operator=(const Bstr& o) {
        if (this != &o)
            Reset(o.m_s ? SysAllocStringLen(o.m_s, SysStringLen(o.m_s)) : nullptr);
        return *this;
    }
    Bstr(Bstr&& o) noexcept : m_s(o.Detach()) {}
    Bstr& operator=(Bstr&& o) noexcept {
        if (this != &o)
            Reset(o.Detach());
        return *this;
    }

    BSTR Get() const { return m_s; }
    BSTR* Out() {  // for out-parameters: frees what is held first
        Reset(nullptr);
        return &m_s;
    }
    BSTR Detach() {
        BSTR s = m_s;
        m_s = nullptr;
        return s;
    }
    void Reset(BSTR s) {
        if (s != m_s)
            SysFreeString(m_s);
        m_s = s;
    }
    uint32_t Length() const { return SysStringLen(m_s); }
    std::string Utf8() const { return Utf8FromBstr(m_s); }
    std::u16string_view View() const { return {m_s ? m_s : u"", Length()}; }

  private:
    BSTR m_s = nullptr;
};

}  // namespace qx
