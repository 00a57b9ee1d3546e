// qxreg query: a key's values and subkeys, one value, or a search of the
// subtree, printed as reg prints them.

#include <cinttypes>
#include <cstdio>

#include "Console.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"

namespace qxreg {

namespace {

using qx::reg::Key;
using qx::reg::Value;

const char kUsage[] =
    "\n"
    "QXREG QUERY KeyName [/v ValueName | /ve] [/s]\n"
    "\n"
    "  KeyName    ROOTKEY\\SubKey\n"
    "             ROOTKEY  [ HKLM | HKCU | HKCR ] or the full names\n"
    "\n"
    "  /v         Queries for a specific registry key value.\n"
    "             If omitted, all values for the key are queried.\n"
    "\n"
    "  /ve        Queries for the default value or empty value name (Default).\n"
    "\n"
    "  /s         Queries all subkeys and values recursively (like dir /s).\n"
    "\n"
    "Examples:\n"
    "\n"
    "  QXREG QUERY \"HKCU\\Software\\KORVALEN\\Quorvia KORVALEN Client\\QX-Tendra\"\n"
    "  QXREG QUERY HKCU\\Software\\KORVALEN /s\n"
    "  QXREG QUERY HKCU\\Software\\KORVALEN /v DoIpDiscovery /s\n";

std::string Hex(const std::vector<uint8_t>& data) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (uint8_t b : data) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 15]);
    }
    return out;
}

std::string DataText(const Value& v) {
    char buf[32];
    switch (v.type) {
        case qx::reg::REG_SZ:
        case qx::reg::REG_EXPAND_SZ:
            return v.AsString();
        case qx::reg::REG_DWORD:
        case qx::reg::REG_DWORD_BIG_ENDIAN:
            if (auto d = v.AsDword()) {
                std::snprintf(buf, sizeof buf, "0x%x", *d);
                return buf;
            }
            return Hex(v.data);
        case qx::reg::REG_QWORD:
            if (auto q = v.AsQword()) {
                std::snprintf(buf, sizeof buf, "0x%" PRIx64, *q);
                return buf;
            }
            return Hex(v.data);
        case qx::reg::REG_MULTI_SZ: {
            // The items joined by "\0", without the terminating zeros.
            std::vector<uint8_t> d = v.data;
            for (int i = 0; i < 2 && !d.empty() && d.back() == 0; ++i)
                d.pop_back();
            std::string out;
            for (uint8_t b : d) {
                if (b == 0)
                    out += "\\0";
                else
                    out.push_back(static_cast<char>(b));
            }
            return out;
        }
        default:
            return Hex(v.data);
    }
}

void PrintValue(const std::string& name, const Value* v) {
    const char* shown = name.empty() ? "(Default)" : name.c_str();
    if (v == nullptr) {
        std::printf("    %s    REG_SZ    (value not set)\n", shown);
        return;
    }
    std::printf("    %s    %s    %s\n", shown, qx::reg::TypeName(v->type).c_str(),
                DataText(*v).c_str());
}

struct Pending {
    Key key;
    std::string full;
};

// Walks the subtree depth first, keys in the store's order; visit returns a
// store error to stop the walk.
template <typename Visit>
long Walk(const Key& top, const std::string& full, Visit visit) {
    std::vector<Pending> stack{{top, full}};
    while (!stack.empty()) {
        Pending p = std::move(stack.back());
        stack.pop_back();
        if (long err = visit(p.key, p.full))
            return err;
        std::vector<std::string> subs;
        if (long err = p.key.SubKeyNames(subs))
            return err;
        for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
            Key sub;
            long err = p.key.Open(*it, qx::reg::Access::Read, sub);
            if (err == qx::ERROR_FILE_NOT_FOUND)
                continue;
            if (err)
                return err;
            stack.push_back({std::move(sub), p.full + "\\" + *it});
        }
    }
    return qx::ERROR_SUCCESS;
}

int QueryAll(const Key& top, const std::string& full, bool recurse) {
    if (recurse) {
        long err = Walk(top, full, [](const Key& key, const std::string& path) {
            std::vector<std::pair<std::string, Value>> values;
            if (long e = key.Values(values))
                return e;
            std::printf("%s\n", path.c_str());
            for (const auto& [name, value] : values)
                PrintValue(name, &value);
            std::printf("\n");
            return qx::ERROR_SUCCESS;
        });
        return err ? StoreError(err) : 0;
    }
    std::vector<std::pair<std::string, Value>> values;
    std::vector<std::string> subs;
    long err = top.Values(values);
    if (!err)
        err = top.SubKeyNames(subs);
    if (err)
        return StoreError(err);
    std::printf("%s\n", full.c_str());
    for (const auto& [name, value] : values)
        PrintValue(name, &value);
    if (!values.empty())
        std::printf("\n");
    for (const auto& sub : subs)
        std::printf("%s\\%s\n", full.c_str(), sub.c_str());
    if (!subs.empty())
        std::printf("\n");
    return 0;
}

int QueryValue(const Key& top, const std::string& full, const std::string& name, bool named,
               bool recurse) {
    if (!recurse) {
        Value v;
        long err = top.GetValue(name, v);
        if (err == qx::ERROR_FILE_NOT_FOUND && !named) {
            std::printf("%s\n", full.c_str());
            PrintValue(name, nullptr);
            return 0;
        }
        if (err)
            return StoreError(err);
        std::printf("%s\n", full.c_str());
        PrintValue(name, &v);
        std::printf("\n");
        return 0;
    }
    unsigned found = 0;
    long err = Walk(top, full, [&](const Key& key, const std::string& path) {
        Value v;
        long e = key.GetValue(name, v);
        if (e == qx::ERROR_FILE_NOT_FOUND)
            return qx::ERROR_SUCCESS;
        if (e)
            return e;
        std::printf("%s\n", path.c_str());
        PrintValue(name, &v);
        std::printf("\n");
        ++found;
        return qx::ERROR_SUCCESS;
    });
    if (err)
        return StoreError(err);
    std::printf("End of search: %u match(es) found.\n", found);
    return 0;
}

}  // namespace

int RunQuery(const Args& args) {
    CommandLine cl;
    if (!ParseCommandLine(
            args, {{"v", true}, {"ve", false}, {"s", false}, {"reg:32", false}, {"reg:64", false}},
            cl))
        return InvalidSyntax("query");
    if (cl.help) {
        std::printf("%s", kUsage);
        return 0;
    }
    if (cl.positional.size() != 1 || (cl.Has("v") && cl.Has("ve")))
        return InvalidSyntax("query");
    KeyName name;
    if (!ParseKeyName(cl.positional[0], name))
        return InvalidKeyName("query");

    Key key;
    if (long err = Key::Open(name.hive, name.path, qx::reg::Access::Read, key))
        return StoreError(err);
    std::printf("\n");
    bool recurse = cl.Has("s");
    if (cl.Has("v") || cl.Has("ve")) {
        std::string value = cl.Get("v").value_or("");
        return QueryValue(key, name.Full(), value, !value.empty(), recurse);
    }
    return QueryAll(key, name.Full(), recurse);
}

}  // namespace qxreg
