// qxreg add: creates a key and sets one value, with reg's rules for turning
// the /d text into data of the /t type.

#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Console.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"
#include "platform/text/Hex.h"

namespace qxreg {

namespace {

using qx::HexDigit;
using qx::reg::Value;

const char kUsage[] =
    "\n"
    "QXREG ADD KeyName [{/v ValueName | /ve}] [/t Type] [/s Separator] [/d Data] [/f]\n"
    "\n"
    "  KeyName    ROOTKEY\\SubKey\n"
    "             ROOTKEY  [ HKLM | HKCU | HKCR ] or the full names\n"
    "\n"
    "  /v         The value name, under the selected Key, to add.\n"
    "\n"
    "  /ve        adds an empty value name (Default) for the key.\n"
    "\n"
    "  /t         RegKey data types\n"
    "             [ REG_SZ    | REG_MULTI_SZ | REG_EXPAND_SZ |\n"
    "               REG_DWORD | REG_QWORD    | REG_BINARY    | REG_NONE ]\n"
    "             If omitted, REG_SZ is assumed.\n"
    "\n"
    "  /s         Specify one character that you use as the separator in your data\n"
    "             string for REG_MULTI_SZ. If omitted, use \"\\0\" as the separator.\n"
    "\n"
    "  /d         The data to assign to the registry ValueName being added.\n"
    "\n"
    "  /f         Force overwriting the existing registry entry without prompt.\n"
    "\n"
    "Examples:\n"
    "\n"
    "  QXREG ADD HKCU\\Software\\KORVALEN\\Quorvia\n"
    "    Adds a key HKCU\\Software\\KORVALEN\\Quorvia\n"
    "\n"
    "  QXREG ADD HKCU\\Software\\KORVALEN /v Data /t REG_BINARY /d fe340ead\n"
    "    Adds a value (name: Data, type: REG_BINARY, data: fe340ead)\n"
    "\n"
    "  QXREG ADD HKCU\\Software\\KORVALEN /v Names /t REG_MULTI_SZ /d fax\\0mail\n"
    "    Adds a value (name: Names, type: REG_MULTI_SZ, data: fax\\0mail\\0\\0)\n";

struct AddType {
    const char* name;
    uint32_t type;
};

constexpr AddType kTypes[] = {
    {"REG_SZ", qx::reg::REG_SZ},
    {"REG_MULTI_SZ", qx::reg::REG_MULTI_SZ},
    {"REG_EXPAND_SZ", qx::reg::REG_EXPAND_SZ},
    {"REG_DWORD", qx::reg::REG_DWORD},
    {"REG_DWORD_LITTLE_ENDIAN", qx::reg::REG_DWORD},
    {"REG_DWORD_BIG_ENDIAN", qx::reg::REG_DWORD_BIG_ENDIAN},
    {"REG_QWORD", qx::reg::REG_QWORD},
    {"REG_BINARY", qx::reg::REG_BINARY},
    {"REG_NONE", qx::reg::REG_NONE},
};

bool ParseNumber(const std::string& text, uint64_t max, uint64_t& out) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return false;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    errno = 0;
    char* end = nullptr;
    unsigned long long v = std::strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (errno == ERANGE || *end != 0 || end == text.c_str() + (hex ? 2 : 0) || v > max)
        return false;
    out = v;
    return true;
}

// reg's conversion of the /d text; false after printing the error.
bool MakeData(uint32_t type, const std::string& text, const std::string& separator, Value& out) {
    switch (type) {
        case qx::reg::REG_DWORD:
        case qx::reg::REG_DWORD_BIG_ENDIAN: {
            uint64_t v = 0;
            if (!ParseNumber(text, 0xFFFFFFFFull, v)) {
                Error(
                    "The data \"" + text +
                    "\" is not a number from 0 to 4294967295 (decimal, or hexadecimal after 0x).");
                return false;
            }
            auto d = static_cast<uint32_t>(v);
            out = Value::Dword(type == qx::reg::REG_DWORD_BIG_ENDIAN ? __builtin_bswap32(d) : d);
            out.type = type;
            return true;
        }
        case qx::reg::REG_QWORD: {
            uint64_t v = 0;
            if (!ParseNumber(text, UINT64_MAX, v)) {
                Error("The data \"" + text +
                      "\" is not a number from 0 to 18446744073709551615 (decimal, or "
                      "hexadecimal after 0x).");
                return false;
            }
            out = Value::Qword(v);
            return true;
        }
        case qx::reg::REG_BINARY: {
            // Hex digits; an odd count gives the first byte one digit, as reg does.
            std::vector<uint8_t> bytes;
            size_t i = text.size() % 2;
            bool ok = true;
            if (i == 1) {
                ok = HexDigit(text[0]) >= 0;
                bytes.push_back(static_cast<uint8_t>(HexDigit(text[0])));
            }
            for (; ok && i < text.size(); i += 2) {
                int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
                ok = hi >= 0 && lo >= 0;
                bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
            }
            if (!ok) {
                Error("The data \"" + text +
                      "\" is not a string of hexadecimal digits, as REG_BINARY needs.");
                return false;
            }
            out = Value::Binary(std::move(bytes));
            return true;
        }
        case qx::reg::REG_MULTI_SZ: {
            std::vector<std::string> items;
            std::string cur;
            const std::string sep = separator.empty() ? std::string("\\0") : separator;
            for (size_t i = 0; i < text.size();) {
                if (text.compare(i, sep.size(), sep) == 0) {
                    items.push_back(std::move(cur));
                    cur.clear();
                    i += sep.size();
                } else {
                    cur.push_back(text[i++]);
                }
            }
            if (!cur.empty())
                items.push_back(std::move(cur));
            for (const auto& item : items) {
                if (item.empty()) {
                    Error("A REG_MULTI_SZ value cannot hold an empty string between separators.");
                    return false;
                }
            }
            out = Value::MultiString(items);
            return true;
        }
        default:  // REG_SZ, REG_EXPAND_SZ and REG_NONE take the text as it is
            out = Value::String(text, type);
            return true;
    }
}

}  // namespace

int RunAdd(const Args& args) {
    CommandLine cl;
    if (!ParseCommandLine(args,
                          {{"v", true},
                           {"ve", false},
                           {"t", true},
                           {"s", true},
                           {"d", true},
                           {"f", false},
                           {"reg:32", false},
                           {"reg:64", false}},
                          cl))
        return InvalidSyntax("add");
    if (cl.help) {
        std::printf("%s", kUsage);
        return 0;
    }
    if (cl.positional.size() != 1 || (cl.Has("v") && cl.Has("ve")))
        return InvalidSyntax("add");
    KeyName name;
    if (!ParseKeyName(cl.positional[0], name))
        return InvalidKeyName("add");

    uint32_t type = qx::reg::REG_SZ;
    if (auto t = cl.Get("t")) {
        bool known = false;
        for (const auto& k : kTypes) {
            if (strcasecmp(t->c_str(), k.name) == 0) {
                type = k.type;
                known = true;
            }
        }
        if (!known)
            return Error("Unsupported value type \"" + *t + "\".");
    }
    std::string separator = cl.Get("s").value_or("");
    if (cl.Has("s") && (type != qx::reg::REG_MULTI_SZ || separator.size() != 1))
        return InvalidSyntax("add");
    bool numeric = type == qx::reg::REG_DWORD || type == qx::reg::REG_DWORD_BIG_ENDIAN ||
                   type == qx::reg::REG_QWORD;
    if (numeric && !cl.Has("d"))
        return InvalidSyntax("add");

    // Only the key is made unless a value is named, typed or given data.
    bool setValue = cl.Has("v") || cl.Has("ve") || cl.Has("t") || cl.Has("d");
    std::string valueName = cl.Get("v").value_or("");
    Value value;
    if (setValue && !MakeData(type, cl.Get("d").value_or(""), separator, value))
        return 1;

    qx::reg::Key key;
    bool created = false;
    if (long err = qx::reg::Key::Create(name.hive, name.path, key, &created))
        return StoreError(err);
    if (!setValue)
        return Success();
    uint32_t size = 0;
    if (!cl.Has("f") && !created && key.QueryValue(valueName, nullptr, nullptr, &size) == 0 &&
        !Confirm("Value " + (valueName.empty() ? std::string("(Default)") : valueName) +
                 " exists, overwrite(Yes/No)?"))
        return Cancelled();
    if (long err = key.SetValue(valueName, value))
        return StoreError(err);
    return Success();
}

}  // namespace qxreg
