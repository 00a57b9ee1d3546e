#pragma once
// One hexadecimal digit, as every parser of device answers, registry files
// and command lines reads it.

namespace qx {

// 0..15 for 0-9, a-f and A-F; -1 for anything else. The callers build
// numbers from it and bound them themselves.
constexpr int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace qx
