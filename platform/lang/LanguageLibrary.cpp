#include "LanguageLibrary.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/system/ProgramPath.h"

namespace qx {

namespace {

std::string Unescape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out.push_back(s[i]);
            continue;
        }
        char c = s[++i];
        out.push_back(c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c);
    }
    return out;
}

}  // namespace

std::unique_ptr<LanguageLibrary> LanguageLibrary::Load() {
    return LoadFile(ProgramDirectory() + "/" + kFileName);
}

std::unique_ptr<LanguageLibrary> LanguageLibrary::LoadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return nullptr;
    auto lib = std::unique_ptr<LanguageLibrary>(new LanguageLibrary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        auto tab = line.find('\t');
        if (tab == std::string::npos || tab == 0)
            continue;
        char* end = nullptr;
        unsigned long id = std::strtoul(line.c_str(), &end, 10);
        if (end != line.c_str() + tab || id > 0xFFFFFFFFul)
            continue;
        lib->m_strings[static_cast<uint32_t>(id)] = Unescape(line.substr(tab + 1));
    }
    if (in.bad())
        return nullptr;
    return lib;
}

std::string LanguageLibrary::String(uint32_t id) const {
    auto it = m_strings.find(id);
    return it == m_strings.end() ? std::string() : it->second;
}

int LanguageLibrary::LoadString(uint32_t id, char* buffer, size_t size) const {
    if (buffer == nullptr || size == 0)
        return 0;
    buffer[0] = 0;
    auto it = m_strings.find(id);
    if (it == m_strings.end())
        return 0;
    const std::string& text = it->second;
    size_t n = std::min(text.size(), size - 1);
    // Never cut a UTF-8 sequence in two.
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

}  // namespace qx
