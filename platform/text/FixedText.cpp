#include "FixedText.h"

#include <cstring>

namespace qx {

size_t CopyText(char* buffer, size_t size, std::string_view text) {
    if (buffer == nullptr || size == 0)
        return 0;
    size_t n = text.size() < size ? text.size() : size - 1;
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    // The source may overlap the buffer (a field cut in place).
    if (n > 0)
        std::memmove(buffer, text.data(), n);
    buffer[n] = 0;
    return n;
}

}  // namespace qx
