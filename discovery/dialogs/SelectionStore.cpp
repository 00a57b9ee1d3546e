#include "SelectionStore.h"

#include <cstdio>

#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"
#include "platform/text/TextCase.h"
#include "settings/Settings.h"

namespace qx {

namespace {

constexpr size_t kRowFieldSize = 260;  // a row's fixed fields, with the zero
constexpr const char* kLastSelectedNames[] = {"Last Selected IP", "Last Selected Name",
                                              "Last Selected Location", "Last Selected Model",
                                              "Last Selected Port"};

std::string LastDiscoveredPath(uint32_t family) {
    return std::string(DiscoveryKey(family)) + "\\LastDiscovered";
}

std::string LastLookUpPath(uint32_t family) {
    return std::string(DiscoveryKey(family)) + "\\LastLookUp";
}

// Cuts a stored text to a buffer of `size` bytes, never inside a UTF-8 sequence.
std::string Bounded(std::string text, size_t size) {
    if (text.size() < size)
        return text;
    size_t cut = size - 1;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.resize(cut);
    return text;
}

std::string Numbered(const char* name, size_t n) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%zu", name, n);
    return buffer;
}

bool ReadValue(const reg::Key& key, const std::string& name, std::string& out, size_t size) {
    std::string text;
    if (key.GetString(name, text) != 0)
        return false;
    out = Bounded(std::move(text), size);
    return true;
}

long WriteRow(reg::Key& key, size_t n, const DeviceRow& row) {
    long error = key.SetString(Numbered("Address", n), row.address);
    if (error == 0)
        error = key.SetString(Numbered("Name", n), row.name);
    if (error == 0)
        error = key.SetString(Numbered("Location", n), row.location);
    if (error == 0)
        error = key.SetString(Numbered("Model", n), row.model);
    return error;
}

}  // namespace

std::vector<std::string> ReadLastDiscovered(uint32_t family) {
    std::vector<std::string> addresses;
    reg::Key key;
    if (reg::Key::Open(reg::Hive::CurrentUser, LastDiscoveredPath(family), reg::Access::Read,
                       key) != 0)
        return addresses;
    for (int i = 0; i < kLastDiscoveredLimit; ++i) {
        std::string address;
        if (!ReadValue(key, std::to_string(i), address, kRowFieldSize))
            break;
        addresses.push_back(std::move(address));
    }
    return addresses;
}

bool AddToLastDiscovered(uint32_t family, const std::string& address) {
    reg::Key key;
    if (reg::Key::Create(reg::Hive::CurrentUser, LastDiscoveredPath(family), key) != 0)
        return false;
    for (int i = 0; i < kLastDiscoveredLimit; ++i) {
        const std::string name = std::to_string(i);
        std::string stored;
        if (key.GetString(name, stored) != 0)
            return key.SetString(name, address) == 0;
        if (EqualsNoCase(stored, address))
            return false;
    }
    return false;
}

std::string CallerKeyPath(uint32_t family, const char* keyName) {
    return std::string(ClientRootKey(family)) + "\\" + keyName;
}

long CreateCallerKey(uint32_t family, const char* keyName) {
    reg::Key key;
    return reg::Key::Create(reg::Hive::CurrentUser, CallerKeyPath(family, keyName), key);
}

std::vector<DeviceRow> ReadStoredRows(uint32_t family, const char* keyName) {
    std::vector<DeviceRow> rows;
    reg::Key key;
    if (reg::Key::Open(reg::Hive::CurrentUser, CallerKeyPath(family, keyName), reg::Access::Read,
                       key) != 0)
        return rows;
    for (size_t n = 0;; ++n) {
        DeviceRow row;
        if (!ReadValue(key, Numbered("Name", n), row.name, kRowFieldSize))
            break;
        ReadValue(key, Numbered("Address", n), row.address, kRowFieldSize);
        ReadValue(key, Numbered("Location", n), row.location, kRowFieldSize);
        ReadValue(key, Numbered("Model", n), row.model, kRowFieldSize);
        rows.push_back(std::move(row));
    }
    return rows;
}

long WriteStoredRows(uint32_t family, const char* keyName, const std::vector<DeviceRow>& rows) {
    reg::Key root;
    long error =
        reg::Key::Open(reg::Hive::CurrentUser, ClientRootKey(family), reg::Access::Write, root);
    if (error == 0) {
        error = root.DeleteTree(keyName);
        if (error == 0)
            error = root.DeleteKey(keyName);
        if (error == ERROR_FILE_NOT_FOUND)
            error = 0;
        if (error != 0)
            return error;
    }
    reg::Key key;
    error = reg::Key::Create(reg::Hive::CurrentUser, CallerKeyPath(family, keyName), key);
    for (size_t n = 0; error == 0 && n < rows.size(); ++n)
        error = WriteRow(key, n, rows[n]);
    return error;
}

long WriteLastSelected(uint32_t family, const char* keyName, const LastSelected& selected,
                       bool bFull) {
    reg::Key key;
    long error = reg::Key::Create(reg::Hive::CurrentUser, CallerKeyPath(family, keyName), key);
    const std::string* values[] = {&selected.address, &selected.name, &selected.location,
                                   &selected.model, &selected.port};
    const size_t count = bFull ? 5 : 2;
    for (size_t i = 0; error == 0 && i < count; ++i)
        error = key.SetString(kLastSelectedNames[i], *values[i]);
    return error;
}

void DeleteInstallerSelection() {
    reg::Key key;
    if (reg::Key::Open(reg::Hive::CurrentUser, CallerKeyPath(kInstallerFamily, "Installer"),
                       reg::Access::Write, key) != 0)
        return;
    for (const char* name : kLastSelectedNames)
        key.DeleteValue(name);
}

std::vector<DeviceRow> ReadLastLookUp(uint32_t family) {
    std::vector<DeviceRow> rows;
    reg::Key key;
    if (reg::Key::Open(reg::Hive::CurrentUser, LastLookUpPath(family), reg::Access::Read, key) != 0)
        return rows;
    for (size_t n = 0; n < kLastLookUpRows; ++n) {
        DeviceRow row;
        if (ReadValue(key, Numbered("Address", n), row.address, kLastLookUpValueSize) &&
            ReadValue(key, Numbered("Name", n), row.name, kLastLookUpValueSize) &&
            ReadValue(key, Numbered("Location", n), row.location, kLastLookUpValueSize) &&
            ReadValue(key, Numbered("Model", n), row.model, kLastLookUpValueSize))
            rows.push_back(std::move(row));
    }
    return rows;
}

long WriteLastLookUp(uint32_t family, const std::vector<DeviceRow>& rows) {
    reg::Key key;
    long error = reg::Key::Create(reg::Hive::CurrentUser, LastLookUpPath(family), key);
    if (error != 0)
        return error;
    for (size_t n = 0; n < kLastLookUpRows; ++n)
        for (const char* name : {"Address", "Name", "Location", "Model"})
            key.DeleteValue(Numbered(name, n));
    for (size_t n = 0; error == 0 && n < rows.size() && n < kLastLookUpRows; ++n)
        error = WriteRow(key, n, rows[n]);
    return error;
}

}  // namespace qx
