// Several processes write one store at once and one of them is killed in the
// middle of its work: the store stays consistent and every write that
// reported success is there.

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/registry/RegistryKey.h"
#include "platform/system/ProgramPath.h"
#include "support/TempRegistry.h"

using namespace qx::reg;

namespace {

struct Writer {
    pid_t pid = -1;
    FILE* out = nullptr;
    long lastCommitted = -1;

    Writer(const std::string& id, long count) {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::string exe = qx::ProgramDirectory() + "/registry_writer";
            std::string n = std::to_string(count);
            execl(exe.c_str(), exe.c_str(), id.c_str(), n.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        out = fdopen(fds[0], "r");
    }
    // Reads progress lines until the writer reports `until` or ends.
    void ReadUntil(long until) {
        char line[64];
        while (lastCommitted < until && std::fgets(line, sizeof line, out))
            lastCommitted = std::atol(line);
    }
    int Wait() {
        ReadUntil(1L << 40);
        int status = 0;
        waitpid(pid, &status, 0);
        std::fclose(out);
        return status;
    }
};

}  // namespace

TEST(RegistryProcesses, KilledWriterLeavesAConsistentStoreWithEveryCommittedValue) {
    qxtest::TempRegistry store;
    constexpr long kSurvivorCount = 400;
    Writer survivor("survivor", kSurvivorCount);
    Writer victim("victim", 1000000);
    ASSERT_GT(survivor.pid, 0);
    ASSERT_GT(victim.pid, 0);

    victim.ReadUntil(150);
    kill(victim.pid, SIGKILL);
    int victimStatus = victim.Wait();
    int survivorStatus = survivor.Wait();
    ASSERT_TRUE(WIFSIGNALED(victimStatus));
    ASSERT_TRUE(WIFEXITED(survivorStatus));
    ASSERT_EQ(WEXITSTATUS(survivorStatus), 0);
    ASSERT_EQ(survivor.lastCommitted, kSurvivorCount - 1);
    ASSERT_GE(victim.lastCommitted, 150);

    // The file itself is sound.
    sqlite3* db = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2((store.Dir() + "/user.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
        SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);

    // Every value whose write reported success is there.
    ResetStoreConnections();
    for (auto [id, last] : {std::pair<std::string, long>{"survivor", survivor.lastCommitted},
                            {"victim", victim.lastCommitted}}) {
        Key k;
        ASSERT_EQ(Key::Open(Hive::CurrentUser, "Software\\Stress\\" + id, Access::Read, k), 0);
        for (long i = 0; i <= last; ++i) {
            uint32_t v = 0;
            ASSERT_EQ(k.GetDword("v" + std::to_string(i), v), 0) << id << " v" << i;
            ASSERT_EQ(v, static_cast<uint32_t>(i));
        }
    }
    Key shared;
    ASSERT_EQ(Key::Open(Hive::CurrentUser, "Software\\Stress\\Shared", Access::Read, shared), 0);
    std::string last;
    ASSERT_EQ(shared.GetString("last", last), 0);
    EXPECT_TRUE(last == "survivor:" + std::to_string(kSurvivorCount - 1) ||
                last.rfind("victim:", 0) == 0)
        << "the last write wins: " << last;
}
