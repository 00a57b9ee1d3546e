#pragma once
// UTF-8, the 8-bit text of this port, one code point at a time.

#include <cstddef>
#include <string>

namespace qx {

// Length of the valid UTF-8 sequence at p (at most n bytes), its code point in
// cp; 0 when the bytes there are not one (overlong forms, surrogates and
// values past U+10FFFF are not).
size_t DecodeUtf8(const unsigned char* p, size_t n, char32_t& cp);

void AppendUtf8(std::string& out, char32_t cp);

}  // namespace qx
