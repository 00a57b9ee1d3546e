// The registry store: keys, values, the case rules, buffer sizes, deletion,
// enumeration, persistence, access rights and healing of a damaged file.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/registry/HiveDatabase.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"
#include "support/TempRegistry.h"

using namespace qx;
using namespace qx::reg;

namespace {

class RegistryTest : public ::testing::Test {
  protected:
    qxtest::TempRegistry store;
};

Key MustCreate(Hive hive, const char* path) {
    Key k;
    EXPECT_EQ(Key::Create(hive, path, k), ERROR_SUCCESS) << path;
    return k;
}

}  // namespace

TEST_F(RegistryTest, OpenDoesNotCreateButCreateDoes) {
    Key k;
    EXPECT_EQ(Key::Open(Hive::CurrentUser, "Software\\Quorvia\\Tests", Access::Read, k),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(k.IsOpen());

    bool created = false;
    ASSERT_EQ(Key::Create(Hive::CurrentUser, "Software\\Quorvia\\Tests", k, &created),
              ERROR_SUCCESS);
    EXPECT_TRUE(created);
    EXPECT_EQ(k.FullPath(), "HKEY_CURRENT_USER\\Software\\Quorvia\\Tests");
    ASSERT_EQ(Key::Create(Hive::CurrentUser, "Software\\Quorvia\\Tests", k, &created),
              ERROR_SUCCESS);
    EXPECT_FALSE(created);

    // Parents were made on the way; other hives are separate.
    EXPECT_EQ(Key::Open(Hive::CurrentUser, "Software\\Quorvia", Access::Read, k), ERROR_SUCCESS);
    EXPECT_EQ(Key::Open(Hive::LocalMachine, "Software\\Quorvia", Access::Read, k),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirCase) {
    Key k = MustCreate(Hive::CurrentUser, "Software\\Quorvia Client\\Ärger");
    ASSERT_EQ(k.SetString("Last Selected IP", "10.0.0.1"), ERROR_SUCCESS);

    Key again;
    ASSERT_EQ(Key::Open(Hive::CurrentUser, "SOFTWARE\\quorvia CLIENT\\äRGER", Access::All, again),
              ERROR_SUCCESS);
    EXPECT_EQ(again.Path(), "Software\\Quorvia Client\\Ärger");
    std::string text;
    ASSERT_EQ(again.GetString("LAST SELECTED ip", text), ERROR_SUCCESS);
    EXPECT_EQ(text, "10.0.0.1");

    // Writing under another case replaces the value and keeps the first name.
    ASSERT_EQ(again.SetString("LAST SELECTED IP", "10.0.0.2"), ERROR_SUCCESS);
    std::vector<std::pair<std::string, Value>> values;
    ASSERT_EQ(k.Values(values), ERROR_SUCCESS);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].first, "Last Selected IP");
    EXPECT_EQ(values[0].second.AsString(), "10.0.0.2");

    // Creating under another case finds the same key.
    bool created = true;
    ASSERT_EQ(Key::Create(Hive::CurrentUser, "software\\QUORVIA client", again, &created),
              ERROR_SUCCESS);
    EXPECT_FALSE(created);
    EXPECT_EQ(again.Path(), "Software\\Quorvia Client");
}

TEST_F(RegistryTest, ValuesKeepTypeAndBytes) {
    Key k = MustCreate(Hive::LocalMachine, "SYSTEM\\Test");
    ASSERT_EQ(k.SetString("sz", "abc"), ERROR_SUCCESS);
    ASSERT_EQ(k.SetDword("dw", 0x01020304), ERROR_SUCCESS);
    ASSERT_EQ(k.SetValue("qw", Value::Qword(0x1122334455667788ull)), ERROR_SUCCESS);
    ASSERT_EQ(k.SetValue("bin", Value::Binary({0, 1, 0, 2})), ERROR_SUCCESS);
    ASSERT_EQ(k.SetValue("multi", Value::MultiString({"one", "two"})), ERROR_SUCCESS);
    ASSERT_EQ(k.SetString("exp", "%HOME%\\x", REG_EXPAND_SZ), ERROR_SUCCESS);
    ASSERT_EQ(k.SetValue("none", REG_NONE, nullptr, 0), ERROR_SUCCESS);

    uint32_t type = 0, size = 0;
    ASSERT_EQ(k.QueryValue("sz", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 4u) << "REG_SZ is stored with its terminating zero";

    Value v;
    ASSERT_EQ(k.GetValue("dw", v), ERROR_SUCCESS);
    EXPECT_EQ(v.type, REG_DWORD);
    EXPECT_EQ(v.AsDword(), 0x01020304u);
    ASSERT_EQ(k.GetValue("qw", v), ERROR_SUCCESS);
    EXPECT_EQ(v.type, REG_QWORD);
    EXPECT_EQ(v.AsQword(), 0x1122334455667788ull);
    ASSERT_EQ(k.GetValue("bin", v), ERROR_SUCCESS);
    EXPECT_EQ(v.data, (std::vector<uint8_t>{0, 1, 0, 2}));
    ASSERT_EQ(k.GetValue("multi", v), ERROR_SUCCESS);
    EXPECT_EQ(v.AsMultiString(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(v.data.size(), 9u);
    ASSERT_EQ(k.GetValue("exp", v), ERROR_SUCCESS);
    EXPECT_EQ(v.type, REG_EXPAND_SZ);
    ASSERT_EQ(k.GetValue("none", v), ERROR_SUCCESS);
    EXPECT_EQ(v.type, REG_NONE);
    EXPECT_TRUE(v.data.empty());
}

TEST_F(RegistryTest, DefaultValueIsTheEmptyName) {
    Key k = MustCreate(Hive::ClassesRoot, "AppID\\{83FAAC57-2F56-4652-866D-E486522C4F8D}");
    std::string text;
    EXPECT_EQ(k.GetString("", text), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(k.SetString("", "KORVALENMISvr"), ERROR_SUCCESS);
    ASSERT_EQ(k.GetString("", text), ERROR_SUCCESS);
    EXPECT_EQ(text, "KORVALENMISvr");
    std::string name = "x";
    ASSERT_EQ(k.EnumValue(0, name), ERROR_SUCCESS);
    EXPECT_EQ(name, "");
}

TEST_F(RegistryTest, QueryIntoSmallBufferReportsMoreDataAndSize) {
    Key k = MustCreate(Hive::CurrentUser, "Software\\Sizes");
    ASSERT_EQ(k.SetString("name", "12345"), ERROR_SUCCESS);

    char buf[4] = {'x', 'x', 'x', 'x'};
    uint32_t size = sizeof buf, type = 0;
    EXPECT_EQ(k.QueryValue("name", &type, buf, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(std::memcmp(buf, "xxxx", 4), 0) << "the buffer is left alone";

    char big[6];
    size = sizeof big;
    ASSERT_EQ(k.QueryValue("name", nullptr, big, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_STREQ(big, "12345");

    EXPECT_EQ(k.QueryValue("missing", nullptr, big, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(k.QueryValue("name", nullptr, big, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, EnumerationOrderAndEnd) {
    Key k = MustCreate(Hive::CurrentUser, "Software\\Enum");
    for (const char* sub : {"beta", "Alpha", "gamma"})
        MustCreate(Hive::CurrentUser, (std::string("Software\\Enum\\") + sub).c_str());
    for (const char* v : {"z", "a", "M"})
        ASSERT_EQ(k.SetDword(v, 1), ERROR_SUCCESS);

    std::vector<std::string> names;
    ASSERT_EQ(k.SubKeyNames(names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    std::string name;
    EXPECT_EQ(k.EnumKey(2, name), ERROR_SUCCESS);
    EXPECT_EQ(name, "gamma");
    EXPECT_EQ(k.EnumKey(3, name), ERROR_NO_MORE_ITEMS);

    std::vector<std::string> order;
    for (uint32_t i = 0; k.EnumValue(i, name) == ERROR_SUCCESS; ++i)
        order.push_back(name);
    EXPECT_EQ(order, (std::vector<std::string>{"z", "a", "M"}))
        << "values come in order of creation";
}

TEST_F(RegistryTest, DeletionOfValuesKeysAndSubtrees) {
    Key root = MustCreate(Hive::CurrentUser, "Software\\Del");
    MustCreate(Hive::CurrentUser, "Software\\Del\\A\\B\\C").SetDword("deep", 1);
    MustCreate(Hive::CurrentUser, "Software\\Del\\A").SetDword("top", 1);
    // Siblings whose names start like the deleted key must survive.
    MustCreate(Hive::CurrentUser, "Software\\Del\\AB").SetDword("keep", 1);
    MustCreate(Hive::CurrentUser, "Software\\Del\\A B");
    MustCreate(Hive::CurrentUser, "Software\\Del\\A]");

    EXPECT_EQ(root.DeleteKey("A"), ERROR_ACCESS_DENIED) << "a key with subkeys needs DeleteTree";
    EXPECT_EQ(root.DeleteKey("A\\B\\C"), ERROR_SUCCESS);
    Key gone;
    EXPECT_EQ(root.Open("A\\B\\C", Access::Read, gone), ERROR_FILE_NOT_FOUND);

    MustCreate(Hive::CurrentUser, "Software\\Del\\A\\B\\C").SetDword("deep", 1);
    Key held;
    ASSERT_EQ(root.Open("a\\b", Access::All, held), ERROR_SUCCESS);
    ASSERT_EQ(root.DeleteTree("a"), ERROR_SUCCESS);
    EXPECT_EQ(root.Open("A", Access::Read, gone), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(held.SetDword("late", 1), ERROR_KEY_DELETED) << "a handle on a deleted key";
    std::vector<std::string> names;
    ASSERT_EQ(root.SubKeyNames(names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{"A B", "AB", "A]"}));
    Key ab;
    ASSERT_EQ(root.Open("AB", Access::Read, ab), ERROR_SUCCESS);
    uint32_t keep = 0;
    EXPECT_EQ(ab.GetDword("keep", keep), ERROR_SUCCESS);

    // Recreating the deleted key gives an empty key.
    Key fresh = MustCreate(Hive::CurrentUser, "Software\\Del\\A");
    uint32_t top = 0;
    EXPECT_EQ(fresh.GetDword("top", top), ERROR_FILE_NOT_FOUND);

    // An empty path empties the key itself but keeps it.
    root.SetDword("own", 1);
    ASSERT_EQ(root.DeleteTree(""), ERROR_SUCCESS);
    ASSERT_EQ(root.SubKeyNames(names), ERROR_SUCCESS);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(root.DeleteValue("own"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Key::Open(Hive::CurrentUser, "Software\\Del", Access::Read, gone), ERROR_SUCCESS);
    EXPECT_EQ(root.DeleteTree("missing"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ReadHandlesCannotWrite) {
    MustCreate(Hive::CurrentUser, "Software\\RO");
    Key k;
    ASSERT_EQ(Key::Open(Hive::CurrentUser, "Software\\RO", Access::Read, k), ERROR_SUCCESS);
    EXPECT_EQ(k.SetDword("x", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(k.DeleteValue("x"), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, ValuesPersistAcrossConnections) {
    MustCreate(Hive::CurrentUser, "Software\\Persist").SetString("v", "kept");
    ResetStoreConnections();
    Key k;
    ASSERT_EQ(Key::Open(Hive::CurrentUser, "Software\\Persist", Access::Read, k), ERROR_SUCCESS);
    std::string text;
    ASSERT_EQ(k.GetString("v", text), ERROR_SUCCESS);
    EXPECT_EQ(text, "kept");
    EXPECT_TRUE(std::filesystem::exists(store.Dir() + "/user.db"));
}

TEST_F(RegistryTest, DamagedFileIsSetAsideAndStartedAnew) {
    MustCreate(Hive::CurrentUser, "Software\\Before");
    ResetStoreConnections();
    for (const char* f : {"/user.db-wal", "/user.db-shm"})
        std::filesystem::remove(store.Dir() + f);
    {
        std::ofstream out(store.Dir() + "/user.db", std::ios::binary | std::ios::trunc);
        out << std::string(8192, 'Z');
    }
    Key k;
    EXPECT_EQ(Key::Open(Hive::CurrentUser, "Software\\Before", Access::Read, k),
              ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(Key::Create(Hive::CurrentUser, "Software\\After", k), ERROR_SUCCESS);
    bool setAside = false;
    for (const auto& e : std::filesystem::directory_iterator(store.Dir()))
        setAside |= e.path().filename().string().rfind("user.db.corrupt-", 0) == 0;
    EXPECT_TRUE(setAside);
}

// A user who may not write where the machine hives live gets ERROR_ACCESS_DENIED
// for writes and can still read what is there.
TEST_F(RegistryTest, UnwritableHiveDeniesWrites) {
    MustCreate(Hive::LocalMachine, "SOFTWARE\\Shared").SetString("v", "machine");
    ResetStoreConnections();
    chmod(store.Dir().c_str(), 0755);
    chmod((store.Dir() + "/machine.db").c_str(), 0644);

    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // In the child: become an ordinary user (root ignores file modes).
        if (geteuid() == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(10);
        } else if (chmod(store.Dir().c_str(), 0555) != 0) {
            _exit(11);
        }
        ResetStoreConnections();
        Key k;
        if (Key::Create(Hive::LocalMachine, "SOFTWARE\\New", k) != ERROR_ACCESS_DENIED)
            _exit(1);
        if (Key::Open(Hive::LocalMachine, "SOFTWARE\\Shared", Access::All, k) !=
            ERROR_ACCESS_DENIED)
            _exit(2);
        if (Key::Open(Hive::LocalMachine, "SOFTWARE\\Shared", Access::Read, k) != ERROR_SUCCESS)
            _exit(3);
        std::string text;
        if (k.GetString("v", text) != ERROR_SUCCESS || text != "machine")
            _exit(4);
        if (Key::Create(Hive::ClassesRoot, "CLSID", k) != ERROR_ACCESS_DENIED)
            _exit(5);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    chmod(store.Dir().c_str(), 0700);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "step that failed in the child";
}

TEST_F(RegistryTest, TheUnnamedValueWithoutStorage) {
    // An empty view without storage names the default value like "" does.
    Key k = MustCreate(Hive::CurrentUser, "Software\\Unnamed");
    ASSERT_EQ(k.SetValue(std::string_view(), Value::Dword(7)), ERROR_SUCCESS);
    uint32_t v = 0;
    ASSERT_EQ(k.GetDword("", v), ERROR_SUCCESS);
    EXPECT_EQ(v, 7u);
}

TEST_F(RegistryTest, AStoreAlreadyLaidOutOpensWithoutWaitingForAWriter) {
    const std::string file = store.Dir() + "/laid-out.db";
    { reg::HiveDatabase first(file, true); }  // lays the file out
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    auto start = std::chrono::steady_clock::now();
    {
        reg::HiveDatabase second(file, true);
        EXPECT_TRUE(second.Writable())
            << "another process's write transaction is no reason to refuse";
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5))
        << "opening must not wait for the other writer";
    sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
}
