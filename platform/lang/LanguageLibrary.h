#pragma once
// The language library "tnlang.dll": the user-interface strings, by id. It is
// a string table file beside the program (UTF-8; lines "<id><TAB><text>",
// "#" starts a comment, "\n", "\t" and "\\" are escapes) that every user loads
// when it needs texts and frees again, as the program loads and frees the
// library on its original platform.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace qx {

class LanguageLibrary {
  public:
    static constexpr const char* kFileName = "tnlang.dll";

    // Loads the library from the program's directory; null when it is missing
    // or unreadable.
    static std::unique_ptr<LanguageLibrary> Load();
    static std::unique_ptr<LanguageLibrary> LoadFile(const std::string& path);

    bool Has(uint32_t id) const { return m_strings.count(id) != 0; }
    // The string, or "" when the library has none with that id.
    std::string String(uint32_t id) const;
    // LoadString's contract: copies at most size-1 bytes and a terminating
    // zero into buffer; returns the number of bytes copied, 0 when the id is
    // missing (the buffer then holds "").
    int LoadString(uint32_t id, char* buffer, size_t size) const;

  private:
    std::map<uint32_t, std::string> m_strings;
};

}  // namespace qx
