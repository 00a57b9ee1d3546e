#include "RegistryTypes.h"

#include <strings.h>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace qx::reg {

Value Value::String(std::string_view text, uint32_t type) {
    Value v;
    v.type = type;
    v.data.assign(text.begin(), text.end());
    v.data.push_back(0);
    return v;
}

Value Value::Dword(uint32_t x) {
    Value v;
    v.type = REG_DWORD;
    v.data.resize(4);
    std::memcpy(v.data.data(), &x, 4);
    return v;
}

Value Value::Qword(uint64_t x) {
    Value v;
    v.type = REG_QWORD;
    v.data.resize(8);
    std::memcpy(v.data.data(), &x, 8);
    return v;
}

Value Value::Binary(std::vector<uint8_t> bytes, uint32_t type) {
    Value v;
    v.type = type;
    v.data = std::move(bytes);
    return v;
}

Value Value::MultiString(const std::vector<std::string>& items) {
    Value v;
    v.type = REG_MULTI_SZ;
    for (const auto& s : items) {
        v.data.insert(v.data.end(), s.begin(), s.end());
        v.data.push_back(0);
    }
    v.data.push_back(0);
    return v;
}

std::string Value::AsString() const {
    auto end = std::find(data.begin(), data.end(), uint8_t{0});
    return std::string(data.begin(), end);
}

std::vector<std::string> Value::AsMultiString() const {
    std::vector<std::string> items;
    std::string cur;
    for (size_t i = 0; i < data.size(); ++i) {
        if (data[i] != 0) {
            cur.push_back(static_cast<char>(data[i]));
            continue;
        }
        if (cur.empty())
            break;  // the empty string ends the list
        items.push_back(std::move(cur));
        cur.clear();
    }
    if (!cur.empty())
        items.push_back(std::move(cur));
    return items;
}

std::optional<uint32_t> Value::AsDword() const {
    if (data.size() != 4)
        return std::nullopt;
    uint32_t x;
    std::memcpy(&x, data.data(), 4);
    if (type == REG_DWORD_BIG_ENDIAN)
        x = __builtin_bswap32(x);
    return x;
}

std::optional<uint64_t> Value::AsQword() const {
    if (data.size() != 8)
        return std::nullopt;
    uint64_t x;
    std::memcpy(&x, data.data(), 8);
    return x;
}

namespace {
struct HiveNames {
    Hive hive;
    const char* full;
    const char* shortName;
};
constexpr std::array<HiveNames, 3> kHives{{
    {Hive::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {Hive::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {Hive::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
}};

bool EqualNoCase(std::string_view a, const char* b) {
    return a.size() == std::strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

struct TypeNames {
    uint32_t type;
    const char* name;
};
constexpr std::array<TypeNames, 9> kTypes{{
    {REG_NONE, "REG_NONE"},
    {REG_SZ, "REG_SZ"},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"},
    {REG_DWORD, "REG_DWORD"},
    {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
    {REG_LINK, "REG_LINK"},
    {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {REG_QWORD, "REG_QWORD"},
}};
}  // namespace

const char* HiveName(Hive hive) {
    for (const auto& h : kHives)
        if (h.hive == hive)
            return h.full;
    return "";
}

const char* HiveShortName(Hive hive) {
    for (const auto& h : kHives)
        if (h.hive == hive)
            return h.shortName;
    return "";
}

std::optional<Hive> ParseHive(std::string_view name) {
    for (const auto& h : kHives)
        if (EqualNoCase(name, h.full) || EqualNoCase(name, h.shortName))
            return h.hive;
    return std::nullopt;
}

std::string TypeName(uint32_t type) {
    for (const auto& t : kTypes)
        if (t.type == type)
            return t.name;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", type);
    return hex;
}

std::optional<uint32_t> ParseTypeName(std::string_view name) {
    for (const auto& t : kTypes)
        if (EqualNoCase(name, t.name))
            return t.type;
    return std::nullopt;
}

bool SplitFullPath(std::string_view full, Hive& hive, std::string& path) {
    auto slash = full.find('\\');
    auto root = full.substr(0, slash);
    auto parsed = ParseHive(root);
    if (!parsed)
        return false;
    hive = *parsed;
    path = slash == std::string_view::npos ? std::string() : std::string(full.substr(slash + 1));
    return true;
}

}  // namespace qx::reg
