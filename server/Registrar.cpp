#include "Registrar.h"

#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"

namespace qx {

namespace {

void Note(long& first, long rc) {
    if (first == ERROR_SUCCESS && rc != ERROR_SUCCESS)
        first = rc;
}

bool HasString(const reg::Key& key, const std::string& name, const std::string& text) {
    reg::Value value;
    return key.GetValue(name, value) == ERROR_SUCCESS && value == reg::Value::String(text);
}

// Whether the key holds exactly what the script writes: its values and
// subkeys, nothing more.
bool Matches(const reg::Key& key, const RegScriptKey& script) {
    std::vector<std::pair<std::string, reg::Value>> values;
    std::vector<std::string> subkeys;
    if (key.Values(values) != ERROR_SUCCESS || key.SubKeyNames(subkeys) != ERROR_SUCCESS)
        return false;
    if (values.size() != script.values.size() + (script.defaultValue ? 1 : 0))
        return false;
    if (script.defaultValue && !HasString(key, "", *script.defaultValue))
        return false;
    for (const auto& [name, text] : script.values)
        if (!HasString(key, name, text))
            return false;
    if (subkeys.size() != script.subkeys.size())
        return false;
    for (const auto& sub : script.subkeys) {
        reg::Key child;
        if (key.Open(sub.name, reg::Access::Read, child) != ERROR_SUCCESS || !Matches(child, sub))
            return false;
    }
    return true;
}

// Writes only what differs: the server registers itself on every start, and
// a store write costs a disk flush.
void Register(reg::Key& parent, const RegScriptKey& script, long& first) {
    reg::Key key;
    bool exists = parent.Open(script.name, reg::Access::All, key) == ERROR_SUCCESS;
    if (script.mode == RegScriptKey::Mode::ForceRemove && exists) {
        if (Matches(key, script))
            return;
        key.Close();
        exists = false;
        long rc = parent.DeleteTree(script.name);
        if (rc != ERROR_FILE_NOT_FOUND)
            Note(first, rc);
    }
    if (!exists) {
        long rc = parent.Create(script.name, key);
        Note(first, rc);
        if (rc != ERROR_SUCCESS)
            return;
    }
    if (script.defaultValue && !HasString(key, "", *script.defaultValue))
        Note(first, key.SetString("", *script.defaultValue));
    for (const auto& [name, value] : script.values)
        if (!HasString(key, name, value))
            Note(first, key.SetString(name, value));
    for (const auto& sub : script.subkeys)
        Register(key, sub, first);
}

void Unregister(reg::Key& parent, const RegScriptKey& script, long& first) {
    if (script.mode != RegScriptKey::Mode::NoRemove) {
        long rc = parent.DeleteTree(script.name);
        if (rc != ERROR_FILE_NOT_FOUND)
            Note(first, rc);
        return;
    }
    reg::Key key;
    if (parent.Open(script.name, reg::Access::All, key) != ERROR_SUCCESS)
        return;
    for (const auto& [name, value] : script.values) {
        long rc = key.DeleteValue(name);
        if (rc != ERROR_FILE_NOT_FOUND)
            Note(first, rc);
    }
    for (const auto& sub : script.subkeys)
        Unregister(key, sub, first);
}

}  // namespace

long RunRegistryScript(reg::Hive hive, const std::vector<RegScriptKey>& keys, bool registering) {
    reg::Key root;
    long first = reg::Key::Open(hive, "", reg::Access::All, root);
    if (first != ERROR_SUCCESS)
        return first;
    for (const auto& script : keys) {
        if (registering)
            Register(root, script, first);
        else
            Unregister(root, script, first);
    }
    return first;
}

}  // namespace qx
