#pragma once
// A text file built into the program (see cmake/EmbedText.cmake).

namespace qx {

struct EmbeddedText {
    const char* name;
    const char* text;
};

}  // namespace qx
