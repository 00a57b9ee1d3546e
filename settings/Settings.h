#pragma once
// The settings table: numbered settings with their registry value names and
// defaults, read from and written to the current user's per-family settings
// key on every use (nothing is cached). Family 1 is the KORVALEN family, any
// other number the ORVEN family.

#include <cstdint>

namespace qx {

struct SettingEntry {
    uint32_t id;
    const char* name;
    uint32_t defaultValue;
};

// The 121 rows in ascending id order, then the terminating row (id 0xFFFFFFFF).
extern const SettingEntry kSettingsTable[];
constexpr int kSettingCount = 121;
constexpr uint32_t kSettingsEnd = 0xFFFFFFFF;

// Ids of the settings the server itself reads or writes.
enum SettingId : uint32_t {
    SETTING_DEBUG_CRITICAL_SECTIONS = 26,
    SETTING_DISCOVERY_IS_VIRGIN = 94,
    SETTING_DISCOVERY_TIMEOUT_MS = 95,
    SETTING_DO_IPX_DISCOVERY = 97,
    SETTING_DO_IP_DISCOVERY = 98,
    SETTING_DO_IP_DISCOVERY_USE_SUBNET = 99,
    SETTING_DO_IP_DISCOVERY_RANGE_FROM = 100,
    SETTING_DO_IP_DISCOVERY_RANGE_TO = 101,
    SETTING_SNMP_NO_CONNECT_TIMEOUT = 105,
    SETTING_MAJOR_NETWARE_CLIENT_REQUIRED_NT = 107,
    SETTING_MINOR_NETWARE_CLIENT_REQUIRED_NT = 108,
    SETTING_MAJOR_NETWARE_CLIENT_REQUIRED_9X = 109,
    SETTING_MINOR_NETWARE_CLIENT_REQUIRED_9X = 110,
};

// The mapping files, in load order.
constexpr int kMapFileCount = 5;
extern const char* const kMapFileNames[kMapFileCount];

// Per-family registry roots under HKEY_CURRENT_USER.
const char* ClientRootKey(uint32_t family);
const char* SettingsKey(uint32_t family);
const char* DiscoveryKey(uint32_t family);

const char* GetSettingName(uint32_t id);  // null when no row has the id
uint32_t GetSettingDefault(uint32_t id);  // 0 when no row has the id

uint32_t GetDwordSetting(uint32_t id, uint32_t family);
long SetDwordSetting(uint32_t id, uint32_t value, uint32_t family);
void GetStringSetting(uint32_t id, char* buffer, uint32_t size, uint32_t family);
long SetStringSetting(uint32_t id, const char* text, uint32_t family);

}  // namespace qx
