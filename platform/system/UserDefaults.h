#pragma once
// What the platform says about the calling user and the machine: the user's
// name, the computer's name and the user's default language, with the
// contracts of GetUserNameA, GetComputerNameA and GetUserDefaultLangID.

#include <cstdint>
#include <string_view>

namespace qx {

using LANGID = uint16_t;

constexpr LANGID LANG_NEUTRAL = 0x00;
constexpr LANGID LANG_GERMAN = 0x07;
constexpr LANGID LANG_ENGLISH = 0x09;
constexpr LANGID LANG_FRENCH = 0x0c;

constexpr LANGID MakeLangId(LANGID primary, LANGID sub) {
    return static_cast<LANGID>((sub << 10) | primary);
}
constexpr LANGID PrimaryLangId(LANGID id) {
    return id & 0x3ff;
}
constexpr LANGID SubLangId(LANGID id) {
    return id >> 10;
}

// The name of the user the process runs as. *size is the buffer's size in
// bytes; on success it becomes the bytes written with the terminating zero.
// False (buffer untouched, *size the size needed) when the name does not fit
// or cannot be found.
bool GetUserNameA(char* buffer, uint32_t* size);

// The computer's name, as a buffer of *size bytes holds it: a longer host
// name is cut at size-1 bytes (never inside a UTF-8 sequence), as the
// platform's computer names are never longer than its 16-byte buffer. On
// success *size becomes the length without the terminating zero. False when
// the name cannot be found or the buffer is smaller than 2 bytes.
bool GetComputerNameA(char* buffer, uint32_t* size);

// The user's default language, from the locale the user chose for paper and
// measures: LC_ALL, else LC_PAPER, else LANG ("en_US.UTF-8" gives English,
// sublanguage 1). LANG_NEUTRAL when none is set or it is "C" or "POSIX".
LANGID GetUserDefaultLangID();

// A locale name such as "fr_CA.UTF-8" or "de_DE@euro" as a language id;
// LANG_NEUTRAL for a language this table does not know. A country that the
// language's table does not know gives sublanguage 1 (the default).
LANGID LangIdFromLocaleName(std::string_view locale);

}  // namespace qx
