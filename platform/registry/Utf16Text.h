#pragma once
// Conversion between the store's 8-bit text (UTF-8, the "ANSI" of this port)
// and the UTF-16LE that Windows registry files carry.
//
// The conversion is lossless for any bytes, not only for valid UTF-8: a byte
// that is not part of a valid UTF-8 sequence becomes the lone surrogate
// U+DC80..U+DCFF (the byte's value in the low eight bits) and comes back as
// that byte. Valid UTF-8 never encodes a surrogate, so the mapping cannot
// collide with real text; Windows itself keeps lone surrogates in registry
// data, so such a file still imports there.

#include <string>
#include <string_view>

namespace qx::reg {

// True for strict UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view text);

// UTF-8 bytes (zero bytes included) to UTF-16LE bytes.
std::string Utf8ToUtf16le(std::string_view bytes);

// UTF-16LE bytes back to 8-bit text. Lone surrogates U+DC80..U+DCFF give the
// byte they stand for; other lone surrogates are kept in the generalized
// 3-byte form. False, and out untouched, for an odd number of bytes.
bool Utf16leToUtf8(std::string_view bytes, std::string& out);

// Number of UTF-16 code units the text takes (invalid bytes count one each).
size_t Utf16Length(std::string_view utf8);

}  // namespace qx::reg
