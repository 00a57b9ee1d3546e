#pragma once
// One hive of the registry store: a SQLite database file shared by every
// process of the user. Internal to the registry layer; callers use Key.
//
// Keys live in `keys` (id, parent id, name as created, folded full path for
// lookups, full path as created); values in `vals` (key id, name, folded name,
// type, bytes). Every write is one transaction, so a process killed in the
// middle of one leaves the file as it was before; WAL mode lets readers go on
// while another process writes, and a busy time-out makes writers queue up
// instead of failing.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "RegistryTypes.h"
#include "platform/text/TextCase.h"

namespace qx::reg {

struct KeyRecord {
    int64_t id = 0;
    std::string fold;  // folded full path, "" for the root
    std::string path;  // full path as created
};

class HiveDatabase {
  public:
    // The process-wide database of a hive, opened on first use. Never null:
    // a hive whose file cannot be opened at all behaves as an empty,
    // read-only hive.
    static std::shared_ptr<HiveDatabase> Get(Hive hive);
    static void ResetAll();

    // wal: write-ahead logging, for the user's own hive. Machine hives keep a
    // rollback journal, which users who may not write there can still read.
    HiveDatabase(std::string file, bool wal);
    ~HiveDatabase();
    HiveDatabase(const HiveDatabase&) = delete;
    HiveDatabase& operator=(const HiveDatabase&) = delete;

    bool Writable() const { return m_writable; }

    long FindKey(const std::string& fold, KeyRecord& out);
    long CreateKey(const std::vector<std::string>& segments, const KeyRecord& parent,
                   KeyRecord& out, bool& created);
    bool KeyExists(int64_t id);

    long GetValue(int64_t key, const std::string& foldName, Value& out);
    long SetValue(int64_t key, std::string_view name, const std::string& foldName,
                  const Value& value);
    long DeleteValue(int64_t key, const std::string& foldName);
    long DeleteKey(const KeyRecord& key, bool wholeTree, bool keepKey);
    long SubKeys(int64_t key, std::vector<std::string>& names);
    long AllValues(int64_t key, std::vector<std::pair<std::string, Value>>& values);

  private:
    std::string m_file;
    sqlite3* m_db = nullptr;
    bool m_writable = false;
    bool m_wal = false;
    std::mutex m_mutex;
    std::unordered_map<const char*, sqlite3_stmt*> m_statements;

    bool OpenFile(bool& corrupt);
    // The layout version the file records; -1 when it cannot be read.
    int SchemaVersion();
    void CloseFile();
    sqlite3_stmt* Statement(const char* sql);
    long Begin();
    long Commit();
    void Rollback();
};

// Splits a backslash path into its non-empty segments.
std::vector<std::string> SplitPath(std::string_view path);

}  // namespace qx::reg
