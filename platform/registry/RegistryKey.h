#pragma once
// Handles on keys of the registry store. The store keeps the Windows registry's
// model: hives of keys addressed by backslash paths, names compared without
// regard to case but kept as created, typed values with an unnamed default
// value (the empty name). Every operation returns a Win32 error code.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "RegistryTypes.h"

namespace qx::reg {

class HiveDatabase;

class Key {
  public:
    Key() = default;
    Key(const Key&) = default;
    Key& operator=(const Key&) = default;
    Key(Key&&) noexcept = default;
    Key& operator=(Key&&) noexcept = default;
    ~Key() = default;

    // Opens an existing key (ERROR_FILE_NOT_FOUND when any part of the path is
    // missing). An empty path opens the hive's root.
    static long Open(Hive hive, std::string_view path, Access access, Key& out);
    long Open(std::string_view subPath, Access access, Key& out) const;

    // Opens a key, creating it and any missing parent first.
    static long Create(Hive hive, std::string_view path, Key& out, bool* created = nullptr);
    long Create(std::string_view subPath, Key& out, bool* created = nullptr) const;

    bool IsOpen() const { return static_cast<bool>(m_db); }
    void Close();
    Hive GetHive() const { return m_hive; }
    // The key's path below its hive, with the case of its creation.
    const std::string& Path() const { return m_path; }
    std::string FullPath() const;

    // RegQueryValueEx's contract: with data null, *size receives the value's
    // size; otherwise a buffer of *size bytes smaller than the value gives
    // ERROR_MORE_DATA (the buffer is left alone) and *size the needed size.
    long QueryValue(std::string_view name, uint32_t* type, void* data, uint32_t* size) const;
    long GetValue(std::string_view name, Value& out) const;
    long GetString(std::string_view name,
                   std::string& out) const;                     // any type, up to its first zero
    long GetDword(std::string_view name, uint32_t& out) const;  // 4-byte values only

    long SetValue(std::string_view name, uint32_t type, const void* data, uint32_t size);
    long SetValue(std::string_view name, const Value& value);
    long SetString(std::string_view name, std::string_view text, uint32_t type = REG_SZ);
    long SetDword(std::string_view name, uint32_t value);

    long DeleteValue(std::string_view name);
    // Deletes a subkey that has no subkeys of its own (ERROR_ACCESS_DENIED otherwise).
    long DeleteKey(std::string_view subPath);
    // Deletes a subkey with its whole subtree; an empty path deletes every
    // subkey and value of this key but keeps the key.
    long DeleteTree(std::string_view subPath);

    // Index-based enumeration: ERROR_NO_MORE_ITEMS past the end. Subkeys come
    // in name order (without regard to case), values in order of creation.
    long EnumKey(uint32_t index, std::string& name) const;
    long EnumValue(uint32_t index, std::string& name, Value* value = nullptr) const;
    long SubKeyNames(std::vector<std::string>& names) const;
    long Values(std::vector<std::pair<std::string, Value>>& values) const;

  private:
    std::shared_ptr<HiveDatabase> m_db;
    Hive m_hive = Hive::CurrentUser;
    int64_t m_id = 0;  // 0 is the hive's root
    std::string m_path;
    Access m_access = Access::Read;

    long CheckWrite() const;
};

// Where the store keeps its files; the environment variable QX_REGISTRY_DIR
// overrides every hive's place.
std::string HiveFilePath(Hive hive);

// How many reads this process has asked of the store: key opens, value
// queries and enumerations, each counted once, whether it succeeded or not.
// Benchmarks use it to show what a piece of code costs the store.
uint64_t StoreReadCount();

// Drops this process's open databases so that the next use opens them again
// (after QX_REGISTRY_DIR changed, or in a forked child).
void ResetStoreConnections();

}  // namespace qx::reg
