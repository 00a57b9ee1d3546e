#include "support/RegFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/registry/RegistryKey.h"
#include "support/TempRegistry.h"

namespace qxtest {

namespace {

using qx::reg::Hive;
using qx::reg::Key;
using qx::reg::Value;

// A small reader for the fixtures' subset of the format (keys, key deletion,
// strings, dwords, hex values with continuation lines, value deletion), kept
// until the store's own importer is available.
class MiniRegReader {
  public:
    explicit MiniRegReader(std::string file) : m_file(std::move(file)) {}

    void Run() {
        std::ifstream in(m_file, std::ios::binary);
        ASSERT_TRUE(in) << "cannot read " << m_file;
        std::string line, logical;
        int number = 0;
        bool headerSeen = false;
        while (std::getline(in, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0)
                line.erase(0, 3);
            // hex data may continue on the next line after a backslash
            if (!line.empty() && line.back() == '\\' &&
                (!logical.empty() || line.find("=hex") != std::string::npos)) {
                line.pop_back();
                size_t start = logical.empty() ? 0 : line.find_first_not_of(" \t");
                logical += line.substr(start == std::string::npos ? line.size() : start);
                continue;
            }
            if (!logical.empty()) {
                size_t start = line.find_first_not_of(" \t");
                logical += start == std::string::npos ? "" : line.substr(start);
                line.swap(logical);
                logical.clear();
            }
            if (!headerSeen) {
                ASSERT_EQ(line, "Windows Registry Editor Version 5.00") << m_file;
                headerSeen = true;
                continue;
            }
            if (line.empty() || line[0] == ';')
                continue;
            Line(line, number);
        }
    }

  private:
    std::string m_file;
    Key m_key;
    bool m_haveKey = false;

    void Line(const std::string& line, int number) {
        std::string where = m_file + ":" + std::to_string(number);
        if (line[0] == '[') {
            ASSERT_EQ(line.back(), ']') << where;
            bool remove = line[1] == '-';
            std::string full = line.substr(remove ? 2 : 1, line.size() - (remove ? 3 : 2));
            Hive hive;
            std::string path;
            ASSERT_TRUE(qx::reg::SplitFullPath(full, hive, path)) << where;
            if (remove) {
                Key root;
                Key::Open(hive, "", qx::reg::Access::All, root);
                root.DeleteTree(path);
                m_haveKey = false;
                return;
            }
            ASSERT_EQ(Key::Create(hive, path, m_key), 0) << where;
            m_haveKey = true;
            return;
        }
        ASSERT_TRUE(m_haveKey) << where << ": value outside a key";
        size_t pos = 0;
        std::string name;
        if (line[0] == '@') {
            pos = 1;
        } else {
            ASSERT_EQ(line[0], '"') << where;
            ASSERT_TRUE(ReadQuoted(line, pos, name)) << where;
        }
        ASSERT_TRUE(pos < line.size() && line[pos] == '=') << where;
        std::string data = line.substr(pos + 1);
        if (data == "-") {
            m_key.DeleteValue(name);
            return;
        }
        Value value;
        if (data[0] == '"') {
            size_t p = 0;
            std::string text;
            ASSERT_TRUE(ReadQuoted(data, p, text) && p == data.size()) << where;
            value = Value::String(text);
        } else if (data.rfind("dword:", 0) == 0) {
            ASSERT_EQ(data.size(), 14u) << where;
            value =
                Value::Dword(static_cast<uint32_t>(std::strtoul(data.c_str() + 6, nullptr, 16)));
        } else if (data.rfind("hex", 0) == 0) {
            uint32_t type = qx::reg::REG_BINARY;
            size_t colon = data.find(':');
            ASSERT_NE(colon, std::string::npos) << where;
            if (data[3] == '(')
                type = static_cast<uint32_t>(std::strtoul(data.c_str() + 4, nullptr, 16));
            std::vector<uint8_t> bytes;
            std::stringstream list(data.substr(colon + 1));
            std::string byte;
            while (std::getline(list, byte, ','))
                if (!byte.empty())
                    bytes.push_back(static_cast<uint8_t>(std::strtoul(byte.c_str(), nullptr, 16)));
            value = Value::Binary(bytes, type);
        } else {
            FAIL() << where << ": value form not understood";
        }
        ASSERT_EQ(m_key.SetValue(name, value), 0) << where;
    }

    static bool ReadQuoted(const std::string& s, size_t& pos, std::string& out) {
        if (pos >= s.size() || s[pos] != '"')
            return false;
        for (++pos; pos < s.size(); ++pos) {
            if (s[pos] == '\\' && pos + 1 < s.size()) {
                out.push_back(s[++pos]);
            } else if (s[pos] == '"') {
                ++pos;
                return true;
            } else {
                out.push_back(s[pos]);
            }
        }
        return false;
    }
};

}  // namespace

void SeedRegistry(const std::string& regFile) {
    MiniRegReader(regFile).Run();
}

std::string DataFile(const std::string& subsystem, const std::string& name) {
    // Under ctest the source directory is the test's own folder, which may
    // belong to another subsystem; a program started by hand sees the root of
    // the tests.
    std::filesystem::path dir = SourceDir();
    for (const auto& root :
         {dir, dir.parent_path(), std::filesystem::path(QX_TEST_SOURCE_DIR_DEFAULT)}) {
        auto file = root / subsystem / "data" / name;
        if (std::filesystem::exists(file))
            return file.string();
    }
    return (dir / subsystem / "data" / name).string();
}

}  // namespace qxtest
