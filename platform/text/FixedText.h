#pragma once
// Copies into the fixed text buffers (MAX_PATH and the like) that the
// server's records keep: always terminated, cut at the buffer's size less
// one, and never in the middle of a UTF-8 sequence.

#include <cstddef>
#include <string_view>

namespace qx {

// Returns the number of bytes copied (without the terminating zero). A null
// buffer or a size of 0 copies nothing.
size_t CopyText(char* buffer, size_t size, std::string_view text);

template <size_t N>
size_t CopyText(char (&buffer)[N], std::string_view text) {
    return CopyText(buffer, N, text);
}

}  // namespace qx
