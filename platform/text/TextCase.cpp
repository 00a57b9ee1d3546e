#include "TextCase.h"

#include <locale.h>
#include <wctype.h>

#include "Utf8.h"

namespace qx {

namespace {

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

locale_t Utf8Locale() {
    static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return loc;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    // Most names are plain ASCII: compare them in place, without the folding
    // copies that other scripts need.
    if (IsAscii(a) && IsAscii(b)) {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (UpperAscii(a[i]) != UpperAscii(b[i]))
                return false;
        return true;
    }
    return FoldName(a) == FoldName(b);
}

std::string FoldName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    auto p = reinterpret_cast<const unsigned char*>(name.data());
    size_t n = name.size();
    locale_t loc = Utf8Locale();
    for (size_t i = 0; i < n;) {
        char32_t cp;
        size_t len = DecodeUtf8(p + i, n - i, cp);
        if (len == 0) {
            out.push_back(static_cast<char>(p[i]));
            ++i;
            continue;
        }
        if (cp < 0x80)
            out.push_back(UpperAscii(static_cast<char>(cp)));
        else
            AppendUtf8(out,
                       loc ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), loc)) : cp);
        i += len;
    }
    return out;
}

}  // namespace qx
