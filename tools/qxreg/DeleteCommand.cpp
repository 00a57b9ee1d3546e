// qxreg delete: a key with its subtree, one value, or all values of a key.

#include <cstdio>

#include "Console.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"

namespace qxreg {

namespace {

using qx::reg::Key;

const char kUsage[] =
    "\n"
    "QXREG DELETE KeyName [/v ValueName | /ve | /va] [/f]\n"
    "\n"
    "  KeyName    ROOTKEY\\SubKey\n"
    "             ROOTKEY  [ HKLM | HKCU | HKCR ] or the full names\n"
    "\n"
    "  ValueName  The value name, under the selected Key, to delete.\n"
    "             When omitted, all subkeys and values under the Key are deleted.\n"
    "\n"
    "  /ve        delete the value of empty value name (Default).\n"
    "\n"
    "  /va        delete all values under this key.\n"
    "\n"
    "  /f         Forces the deletion without prompt.\n"
    "\n"
    "Examples:\n"
    "\n"
    "  QXREG DELETE HKCU\\Software\\KORVALEN\\Quorvia /v MTU\n"
    "    Deletes the value MTU under Quorvia\n"
    "\n"
    "  QXREG DELETE HKCU\\Software\\KORVALEN\\Quorvia\n"
    "    Deletes the key Quorvia with all its subkeys and values\n";

}  // namespace

int RunDelete(const Args& args) {
    CommandLine cl;
    if (!ParseCommandLine(args,
                          {{"v", true},
                           {"ve", false},
                           {"va", false},
                           {"f", false},
                           {"reg:32", false},
                           {"reg:64", false}},
                          cl))
        return InvalidSyntax("delete");
    if (cl.help) {
        std::printf("%s", kUsage);
        return 0;
    }
    int chosen = cl.Has("v") + cl.Has("ve") + cl.Has("va");
    if (cl.positional.size() != 1 || chosen > 1)
        return InvalidSyntax("delete");
    KeyName name;
    if (!ParseKeyName(cl.positional[0], name))
        return InvalidKeyName("delete");
    // A whole hive is never deleted; its values may be.
    if (name.path.empty() && chosen == 0)
        return InvalidKeyName("delete");

    Key key;
    if (long err = Key::Open(name.hive, name.path, qx::reg::Access::All, key))
        return StoreError(err);
    bool force = cl.Has("f");

    if (chosen == 0) {
        if (!force && !Confirm("Permanently delete the registry key " + name.Full() + " (Yes/No)?"))
            return Cancelled();
        Key root;
        long err = Key::Open(name.hive, "", qx::reg::Access::All, root);
        if (!err)
            err = root.DeleteTree(name.path);
        return err ? StoreError(err) : Success();
    }

    if (cl.Has("va")) {
        if (!force &&
            !Confirm("Delete all values under the registry key " + name.Full() + " (Yes/No)?"))
            return Cancelled();
        std::vector<std::pair<std::string, qx::reg::Value>> values;
        long err = key.Values(values);
        for (size_t i = 0; !err && i < values.size(); ++i) {
            err = key.DeleteValue(values[i].first);
            if (err == qx::ERROR_FILE_NOT_FOUND)
                err = qx::ERROR_SUCCESS;
        }
        return err ? StoreError(err) : Success();
    }

    std::string valueName = cl.Get("v").value_or("");
    uint32_t size = 0;
    if (long err = key.QueryValue(valueName, nullptr, nullptr, &size))
        return StoreError(err);
    if (!force &&
        !Confirm("Delete the registry value " +
                 (valueName.empty() ? std::string("(Default)") : valueName) + " (Yes/No)?"))
        return Cancelled();
    long err = key.DeleteValue(valueName);
    return err ? StoreError(err) : Success();
}

}  // namespace qxreg
