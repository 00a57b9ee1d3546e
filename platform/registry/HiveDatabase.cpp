#include "HiveDatabase.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "RegistryKey.h"
#include "platform/system/Win32Error.h"

namespace qx::reg {

namespace {

constexpr int kBusyTimeoutMs = 60000;
constexpr int kSchemaVersion = 1;

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " parent INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " fold TEXT NOT NULL UNIQUE,"
    " path TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS keys_parent ON keys(parent);"
    "CREATE TABLE IF NOT EXISTS vals("
    " key INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " fold TEXT NOT NULL,"
    " type INTEGER NOT NULL,"
    " data BLOB NOT NULL,"
    " UNIQUE(key, fold));";

// Statements, kept prepared per connection.
const char* const kFindKey = "SELECT id, path FROM keys WHERE fold = ?1";
const char* const kKeyExists = "SELECT 1 FROM keys WHERE id = ?1";
const char* const kInsertKey = "INSERT INTO keys(parent, name, fold, path) VALUES(?1, ?2, ?3, ?4)";
const char* const kGetValue = "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2";
const char* const kSetValue =
    "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
    "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data";
const char* const kDeleteValue = "DELETE FROM vals WHERE key = ?1 AND fold = ?2";
const char* const kHasSubKeys = "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1";
const char* const kSubKeys = "SELECT name FROM keys WHERE parent = ?1 ORDER BY fold";
const char* const kAllValues = "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY rowid";
const char* const kDeleteValuesOf = "DELETE FROM vals WHERE key = ?1";
const char* const kDeleteOneKey = "DELETE FROM keys WHERE id = ?1";
// A subtree is every key whose folded path starts with "<path>\": the range
// ["<path>\", "<path>]") because ']' follows '\' in byte order.
const char* const kDeleteSubtreeValues =
    "DELETE FROM vals WHERE key IN (SELECT id FROM keys WHERE fold >= ?1 AND fold < ?2)";
const char* const kDeleteSubtreeKeys = "DELETE FROM keys WHERE fold >= ?1 AND fold < ?2";
const char* const kDeleteAllValues = "DELETE FROM vals";
const char* const kDeleteAllKeys = "DELETE FROM keys";

long FromSqlite(int rc) {
    switch (rc & 0xff) {
        case SQLITE_OK:
        case SQLITE_DONE:
        case SQLITE_ROW:
            return ERROR_SUCCESS;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ERROR_BUSY;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return ERROR_ACCESS_DENIED;
        case SQLITE_FULL:
        case SQLITE_IOERR:
            return ERROR_CANTWRITE;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return ERROR_BADDB;
        case SQLITE_NOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_REGISTRY_IO_FAILED;
    }
}

class Stmt {
  public:
    explicit Stmt(sqlite3_stmt* s) : m_s(s) {}
    ~Stmt() {
        if (m_s) {
            sqlite3_reset(m_s);
            sqlite3_clear_bindings(m_s);
        }
    }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    explicit operator bool() const { return m_s != nullptr; }
    Stmt& Bind(int i, int64_t v) {
        sqlite3_bind_int64(m_s, i, v);
        return *this;
    }
    Stmt& Bind(int i, std::string_view v) {
        // A null pointer would bind SQL NULL, which the NOT NULL columns refuse:
        // an empty view without storage still means the empty name.
        sqlite3_bind_text(m_s, i, v.data() ? v.data() : "", static_cast<int>(v.size()),
                          SQLITE_STATIC);
        return *this;
    }
    Stmt& BindBlob(int i, const std::vector<uint8_t>& v) {
        sqlite3_bind_blob(m_s, i, v.empty() ? "" : static_cast<const void*>(v.data()),
                          static_cast<int>(v.size()), SQLITE_STATIC);
        return *this;
    }
    int Step() { return sqlite3_step(m_s); }
    int64_t Int(int col) { return sqlite3_column_int64(m_s, col); }
    std::string Text(int col) {
        auto p = reinterpret_cast<const char*>(sqlite3_column_text(m_s, col));
        return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(m_s, col)))
                 : std::string();
    }
    std::vector<uint8_t> Blob(int col) {
        auto p = static_cast<const uint8_t*>(sqlite3_column_blob(m_s, col));
        auto n = static_cast<size_t>(sqlite3_column_bytes(m_s, col));
        return p ? std::vector<uint8_t>(p, p + n) : std::vector<uint8_t>();
    }

  private:
    sqlite3_stmt* m_s;
};

std::mutex g_registryMutex;
std::array<std::shared_ptr<HiveDatabase>, 3> g_hives;

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

}  // namespace

std::vector<std::string> SplitPath(std::string_view path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string HiveFilePath(Hive hive) {
    const char* file = hive == Hive::CurrentUser    ? "user.db"
                       : hive == Hive::LocalMachine ? "machine.db"
                                                    : "classes.db";
    if (const char* dir = std::getenv("QX_REGISTRY_DIR"); dir && *dir)
        return std::string(dir) + "/" + file;
    if (hive == Hive::CurrentUser) {
        std::string data = EnvOr("XDG_DATA_HOME", EnvOr("HOME", "/tmp") + "/.local/share");
        return data + "/quorvia/" + file;
    }
    return std::string("/var/lib/quorvia/") + file;
}

void ResetStoreConnections() {
    HiveDatabase::ResetAll();
}

std::shared_ptr<HiveDatabase> HiveDatabase::Get(Hive hive) {
    std::lock_guard lock(g_registryMutex);
    auto& slot = g_hives[static_cast<size_t>(hive)];
    if (!slot)
        slot = std::make_shared<HiveDatabase>(HiveFilePath(hive), hive == Hive::CurrentUser);
    return slot;
}

void HiveDatabase::ResetAll() {
    std::lock_guard lock(g_registryMutex);
    for (auto& h : g_hives)
        h.reset();
}

HiveDatabase::HiveDatabase(std::string file, bool wal) : m_file(std::move(file)), m_wal(wal) {
    bool corrupt = false;
    if (OpenFile(corrupt) || !corrupt)
        return;
    // The file is not a sound database any more: keep it for inspection under
    // another name and start an empty hive rather than fail every call.
    CloseFile();
    auto stamp = std::chrono::duration_cast<std::chrono::seconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count();
    std::string aside = m_file + ".corrupt-" + std::to_string(stamp);
    if (std::rename(m_file.c_str(), aside.c_str()) == 0) {
        std::remove((m_file + "-wal").c_str());
        std::remove((m_file + "-shm").c_str());
        std::fprintf(stderr, "registry store: %s was damaged; moved to %s and started anew\n",
                     m_file.c_str(), aside.c_str());
        OpenFile(corrupt);
    }
}

HiveDatabase::~HiveDatabase() {
    CloseFile();
}

int HiveDatabase::SchemaVersion() {
    sqlite3_stmt* s = nullptr;
    int version = -1;
    if (sqlite3_prepare_v2(m_db, "PRAGMA user_version", -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
        version = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    return version;
}

bool HiveDatabase::OpenFile(bool& corrupt) {
    corrupt = false;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(m_file).parent_path(), ec);

    int rc = sqlite3_open_v2(m_file.c_str(), &m_db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    m_writable = rc == SQLITE_OK && access(m_file.c_str(), W_OK) == 0;
    if (rc != SQLITE_OK || !m_writable) {
        CloseFile();
        rc = sqlite3_open_v2(m_file.c_str(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
        if (rc != SQLITE_OK) {
            CloseFile();
            return false;
        }
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(m_db, 0);

    // A cheap structural check: a mangled file is set aside by the caller. A
    // file that another process holds locked right now is not judged.
    sqlite3_stmt* check = nullptr;
    rc = sqlite3_prepare_v2(m_db, "PRAGMA quick_check", -1, &check, nullptr);
    int step = rc == SQLITE_OK ? sqlite3_step(check) : rc;
    bool busy = step == SQLITE_BUSY || step == SQLITE_LOCKED;
    bool damaged =
        step == SQLITE_CORRUPT || step == SQLITE_NOTADB ||
        (step == SQLITE_ROW &&
         std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok") != 0);
    sqlite3_finalize(check);
    if (damaged) {
        corrupt = true;
        return false;
    }
    if (step != SQLITE_ROW && !busy) {
        // Unreadable for another reason (I/O, permissions): never judge the
        // file damaged for that; the hive is simply empty this time.
        CloseFile();
        return false;
    }

    if (m_writable) {
        if (m_wal) {
            sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
            // In WAL mode NORMAL keeps every commit across a crash of the
            // process (not of the machine).
            sqlite3_exec(m_db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
        }
        // A store already laid out needs no write to be opened: a start must
        // neither sync the disk for nothing nor wait on another process's
        // write transaction.
        if (SchemaVersion() == kSchemaVersion)
            return true;
        std::string init = std::string("BEGIN IMMEDIATE;") + kSchema +
                           "PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";COMMIT;";
        char* err = nullptr;
        rc = sqlite3_exec(m_db, init.c_str(), nullptr, nullptr, &err);
        if (rc != SQLITE_OK) {
            std::fprintf(stderr, "registry store: cannot prepare %s: %s\n", m_file.c_str(),
                         err ? err : "?");
            sqlite3_free(err);
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            m_writable = false;
        }
    }
    return true;
}

void HiveDatabase::CloseFile() {
    for (auto& [sql, stmt] : m_statements)
        sqlite3_finalize(stmt);
    m_statements.clear();
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

sqlite3_stmt* HiveDatabase::Statement(const char* sql) {
    if (!m_db)
        return nullptr;
    auto it = m_statements.find(sql);
    if (it != m_statements.end())
        return it->second;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK) {
        // A read-only hive that was never written has no tables: nothing is there.
        sqlite3_finalize(s);
        return nullptr;
    }
    m_statements.emplace(sql, s);
    return s;
}

long HiveDatabase::Begin() {
    return FromSqlite(sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
}

long HiveDatabase::Commit() {
    int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        Rollback();
    return FromSqlite(rc);
}

void HiveDatabase::Rollback() {
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

long HiveDatabase::FindKey(const std::string& fold, KeyRecord& out) {
    if (fold.empty()) {
        out = KeyRecord{};
        return ERROR_SUCCESS;
    }
    std::lock_guard lock(m_mutex);
    Stmt s(Statement(kFindKey));
    if (!s)
        return ERROR_FILE_NOT_FOUND;
    s.Bind(1, fold);
    int rc = s.Step();
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : FromSqlite(rc);
    out.id = s.Int(0);
    out.path = s.Text(1);
    out.fold = fold;
    return ERROR_SUCCESS;
}

bool HiveDatabase::KeyExists(int64_t id) {
    if (id == 0)
        return true;
    std::lock_guard lock(m_mutex);
    Stmt s(Statement(kKeyExists));
    if (!s)
        return false;
    return s.Bind(1, id).Step() == SQLITE_ROW;
}

long HiveDatabase::CreateKey(const std::vector<std::string>& segments, const KeyRecord& parent,
                             KeyRecord& out, bool& created) {
    if (!m_writable)
        return ERROR_ACCESS_DENIED;
    std::lock_guard lock(m_mutex);
    created = false;
    if (long err = Begin())
        return err;
    KeyRecord cur = parent;
    if (cur.id != 0) {
        Stmt s(Statement(kKeyExists));
        if (s.Bind(1, cur.id).Step() != SQLITE_ROW) {
            Rollback();
            return ERROR_KEY_DELETED;
        }
    }
    for (const auto& seg : segments) {
        if (seg.size() > 255) {
            Rollback();
            return ERROR_INVALID_PARAMETER;
        }
        std::string fold = cur.fold.empty() ? FoldName(seg) : cur.fold + "\\" + FoldName(seg);
        std::string path = cur.path.empty() ? seg : cur.path + "\\" + seg;
        Stmt find(Statement(kFindKey));
        find.Bind(1, fold);
        int rc = find.Step();
        if (rc == SQLITE_ROW) {
            cur.id = find.Int(0);
            cur.path = find.Text(1);
            cur.fold = fold;
            continue;
        }
        if (rc != SQLITE_DONE) {
            Rollback();
            return FromSqlite(rc);
        }
        Stmt ins(Statement(kInsertKey));
        ins.Bind(1, cur.id).Bind(2, seg).Bind(3, fold).Bind(4, path);
        rc = ins.Step();
        if (rc != SQLITE_DONE) {
            Rollback();
            return FromSqlite(rc);
        }
        cur.id = sqlite3_last_insert_rowid(m_db);
        cur.path = path;
        cur.fold = fold;
        created = true;
    }
    if (long err = Commit()) {
        created = false;
        return err;
    }
    out = cur;
    return ERROR_SUCCESS;
}

long HiveDatabase::GetValue(int64_t key, const std::string& foldName, Value& out) {
    std::lock_guard lock(m_mutex);
    Stmt s(Statement(kGetValue));
    if (!s)
        return ERROR_FILE_NOT_FOUND;
    s.Bind(1, key).Bind(2, foldName);
    int rc = s.Step();
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : FromSqlite(rc);
    out.type = static_cast<uint32_t>(s.Int(0));
    out.data = s.Blob(1);
    return ERROR_SUCCESS;
}

long HiveDatabase::SetValue(int64_t key, std::string_view name, const std::string& foldName,
                            const Value& value) {
    if (!m_writable)
        return ERROR_ACCESS_DENIED;
    std::lock_guard lock(m_mutex);
    if (long err = Begin())
        return err;
    if (key != 0) {
        Stmt s(Statement(kKeyExists));
        if (s.Bind(1, key).Step() != SQLITE_ROW) {
            Rollback();
            return ERROR_KEY_DELETED;
        }
    }
    {
        Stmt s(Statement(kSetValue));
        s.Bind(1, key).Bind(2, name).Bind(3, foldName).Bind(4, static_cast<int64_t>(value.type));
        s.BindBlob(5, value.data);
        int rc = s.Step();
        if (rc != SQLITE_DONE) {
            Rollback();
            return FromSqlite(rc);
        }
    }
    return Commit();
}

long HiveDatabase::DeleteValue(int64_t key, const std::string& foldName) {
    if (!m_writable)
        return ERROR_ACCESS_DENIED;
    std::lock_guard lock(m_mutex);
    Stmt s(Statement(kDeleteValue));
    s.Bind(1, key).Bind(2, foldName);
    int rc = s.Step();
    if (rc != SQLITE_DONE)
        return FromSqlite(rc);
    return sqlite3_changes(m_db) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

long HiveDatabase::DeleteKey(const KeyRecord& key, bool wholeTree, bool keepKey) {
    if (!m_writable)
        return ERROR_ACCESS_DENIED;
    std::lock_guard lock(m_mutex);
    if (long err = Begin())
        return err;
    auto run = [&](const char* sql, auto&& bind) {
        Stmt s(Statement(sql));
        bind(s);
        return s.Step();
    };
    int rc = SQLITE_DONE;
    if (!wholeTree) {
        rc = run(kHasSubKeys, [&](Stmt& s) { s.Bind(1, key.id); });
        if (rc == SQLITE_ROW) {
            Rollback();
            return ERROR_ACCESS_DENIED;
        }
    } else if (key.id == 0) {
        rc = run(kDeleteAllValues, [](Stmt&) {});
        if (rc == SQLITE_DONE)
            rc = run(kDeleteAllKeys, [](Stmt&) {});
    } else {
        std::string lo = key.fold + "\\", hi = key.fold + "]";
        rc = run(kDeleteSubtreeValues, [&](Stmt& s) { s.Bind(1, lo).Bind(2, hi); });
        if (rc == SQLITE_DONE)
            rc = run(kDeleteSubtreeKeys, [&](Stmt& s) { s.Bind(1, lo).Bind(2, hi); });
    }
    if (rc == SQLITE_DONE || rc == SQLITE_ROW) {
        rc = run(kDeleteValuesOf, [&](Stmt& s) { s.Bind(1, key.id); });
        if (rc == SQLITE_DONE && !keepKey && key.id != 0)
            rc = run(kDeleteOneKey, [&](Stmt& s) { s.Bind(1, key.id); });
    }
    if (rc != SQLITE_DONE) {
        Rollback();
        return FromSqlite(rc);
    }
    return Commit();
}

long HiveDatabase::SubKeys(int64_t key, std::vector<std::string>& names) {
    names.clear();
    std::lock_guard lock(m_mutex);
    Stmt s(Statement(kSubKeys));
    if (!s)
        return ERROR_SUCCESS;
    s.Bind(1, key);
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW)
        names.push_back(s.Text(0));
    return rc == SQLITE_DONE ? ERROR_SUCCESS : FromSqlite(rc);
}

long HiveDatabase::AllValues(int64_t key, std::vector<std::pair<std::string, Value>>& values) {
    values.clear();
    std::lock_guard lock(m_mutex);
    Stmt s(Statement(kAllValues));
    if (!s)
        return ERROR_SUCCESS;
    s.Bind(1, key);
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW) {
        Value v;
        v.type = static_cast<uint32_t>(s.Int(1));
        v.data = s.Blob(2);
        values.emplace_back(s.Text(0), std::move(v));
    }
    return rc == SQLITE_DONE ? ERROR_SUCCESS : FromSqlite(rc);
}

}  // namespace qx::reg
