#include "TextCase.h"

#include "registry/HiveDatabase.h"

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
    return reg::FoldName(a) == reg::FoldName(b);
}

}  // namespace qx
