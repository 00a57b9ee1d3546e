// Cost of one setting read against a warm store and of one setting write,
// beside the bare SQLite statements they come down to (the floor).

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/registry/RegistryKey.h"
#include "settings/Settings.h"

namespace {

struct Store {
    std::string dir;
    Store() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qx-bench-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        setenv("QX_REGISTRY_DIR", dir.c_str(), 1);
        qx::reg::ResetStoreConnections();
        qx::reg::Key key;
        qx::reg::Key::Create(qx::reg::Hive::CurrentUser, qx::SettingsKey(1), key);
        // A realistic store: every setting written once.
        for (const qx::SettingEntry* e = qx::kSettingsTable; e->id != qx::kSettingsEnd; ++e)
            key.SetDword(e->name, e->defaultValue);
    }
    ~Store() {
        qx::reg::ResetStoreConnections();
        std::filesystem::remove_all(dir);
    }
};

Store& TheStore() {
    static Store store;
    return store;
}

void BM_GetDwordSetting(benchmark::State& state) {
    TheStore();
    for (auto _ : state)
        benchmark::DoNotOptimize(qx::GetDwordSetting(qx::SETTING_SNMP_NO_CONNECT_TIMEOUT, 1));
}
BENCHMARK(BM_GetDwordSetting);

void BM_SetDwordSetting(benchmark::State& state) {
    TheStore();
    uint32_t v = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(qx::SetDwordSetting(qx::SETTING_DO_IP_DISCOVERY, ++v & 1, 1));
}
BENCHMARK(BM_SetDwordSetting);

// The floor: the one statement a value read needs, prepared once, on its own
// connection to the same file.
void BM_BareSqliteSelect(benchmark::State& state) {
    std::string file = TheStore().dir + "/user.db";
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2", -1, &s,
                       nullptr);
    const char* fold = "SNMPNOCONNNECTTIMEOUTINHUNDREDTHOFASECOND";
    sqlite3_int64 key = 0;
    {
        sqlite3_stmt* k = nullptr;
        sqlite3_prepare_v2(db, "SELECT id FROM keys WHERE fold = ?1", -1, &k, nullptr);
        sqlite3_bind_text(k, 1, "SOFTWARE\\KORVALEN\\QUORVIA KORVALEN CLIENT\\QX-TENDRA", -1,
                          SQLITE_STATIC);
        if (sqlite3_step(k) == SQLITE_ROW)
            key = sqlite3_column_int64(k, 0);
        sqlite3_finalize(k);
    }
    for (auto _ : state) {
        sqlite3_bind_int64(s, 1, key);
        sqlite3_bind_text(s, 2, fold, -1, SQLITE_STATIC);
        if (sqlite3_step(s) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_blob(s, 1));
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}
BENCHMARK(BM_BareSqliteSelect);

// The floor of a write: one upsert in its own immediate transaction.
void BM_BareSqliteUpsert(benchmark::State& state) {
    std::string file = TheStore().dir + "/user.db";
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(
        db,
        "INSERT INTO vals(key, name, fold, type, data) VALUES(1, 'Bench', 'BENCH', 4, ?1) "
        "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
        -1, &s, nullptr);
    uint32_t v = 0;
    for (auto _ : state) {
        ++v;
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_blob(s, 1, &v, 4, SQLITE_STATIC);
        sqlite3_step(s);
        sqlite3_reset(s);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}
BENCHMARK(BM_BareSqliteUpsert);

}  // namespace

BENCHMARK_MAIN();
