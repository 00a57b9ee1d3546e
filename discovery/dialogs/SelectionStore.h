#pragma once
// The discovery dialogs' lists and selections in the registry, below a
// family's client key: the history of found addresses
// (Discovery\LastDiscovered), the network dialog's watched devices
// (Discovery\LastLookUp), the caller lists that the local dialog's OK
// rewrites (Twain, Address Book Viewer, BRD) and the installer's selection
// (Installer, Orven client key only). All values are REG_SZ.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/DeviceList.h"

namespace qx {

inline constexpr int kLastDiscoveredLimit = 1028;  // values "0" to "1027"
inline constexpr int kLastLookUpRows = 15;         // Address0..Address14
inline constexpr size_t kLastLookUpValueSize = 500;
inline constexpr uint32_t kInstallerFamily = 2;

// The remembered addresses, "0", "1", ... up to the first missing value.
std::vector<std::string> ReadLastDiscovered(uint32_t family);
// Adds the address at the first free index unless it is there already in
// any letter case, or all 1028 values are taken. True when it was written.
bool AddToLastDiscovered(uint32_t family, const std::string& address);

// "Address Book Viewer", "Twain", "BRD" or "Installer" below the client key.
std::string CallerKeyPath(uint32_t family, const char* keyName);

long CreateCallerKey(uint32_t family, const char* keyName);

// Rows Name<n>, Address<n>, Location<n>, Model<n> from n = 0 until a Name is
// missing; a missing Address, Location or Model reads as "".
std::vector<DeviceRow> ReadStoredRows(uint32_t family, const char* keyName);

// Deletes the key with what it holds and writes every row again from 0.
// The Win32 error of the first step that failed, 0 when all went in.
long WriteStoredRows(uint32_t family, const char* keyName, const std::vector<DeviceRow>& rows);

struct LastSelected {
    std::string address, name, location, model, port;
};
// "Last Selected IP" and "Last Selected Name", and with bFull also
// "Last Selected Location", "Last Selected Model" and "Last Selected Port";
// the key is created when it is missing.
long WriteLastSelected(uint32_t family, const char* keyName, const LastSelected& selected,
                       bool bFull);
// Deletes the Installer key's five Last Selected values (the key stays).
void DeleteInstallerSelection();

// Entries n = 0 to 14 whose four values all exist, each read as at most 499 bytes.
std::vector<DeviceRow> ReadLastLookUp(uint32_t family);
// Deletes the values of entries 0 to 14 and writes the rows (at most 15) from 0.
long WriteLastLookUp(uint32_t family, const std::vector<DeviceRow>& rows);

}  // namespace qx
