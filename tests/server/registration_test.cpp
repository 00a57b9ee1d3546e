// Registration in-process: the registrar's rules, the keys of every script,
// the type library and the service file.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "platform/registry/RegistryKey.h"
#include "server/BusServiceFile.h"
#include "server/ObjectTable.h"
#include "server/Registration.h"
#include "support/TempRegistry.h"

using namespace qx;
using qx::reg::Hive;

namespace {

std::string Read(Hive hive, const std::string& path, const std::string& name = "") {
    reg::Key key;
    std::string text;
    if (reg::Key::Open(hive, path, reg::Access::Read, key) != 0)
        return "<no key>";
    if (key.GetString(name, text) != 0)
        return "<no value>";
    return text;
}

bool Exists(Hive hive, const std::string& path) {
    reg::Key key;
    return reg::Key::Open(hive, path, reg::Access::Read, key) == 0;
}

std::vector<std::string> SubKeys(Hive hive, const std::string& path) {
    reg::Key key;
    std::vector<std::string> names;
    if (reg::Key::Open(hive, path, reg::Access::Read, key) == 0)
        key.SubKeyNames(names);
    return names;
}

const std::string kPath = "/opt/it's here/AL1MISvr";

}  // namespace

TEST(Registration, ClassScriptsWriteProgIdsAndClassKeysWithThePrintedGuids) {
    qxtest::TempRegistry registry;
    for (const auto& row : kObjectTable)
        ASSERT_EQ(UpdateRegistryFromScript(row.scriptId, true, kPath), 0);

    const auto& row = kObjectTable[0];
    EXPECT_EQ(Read(Hive::ClassesRoot, "KORVALENMISvr.DseTendraKORVALEN.1"),
              "DseTendraKORVALEN Class");
    EXPECT_EQ(Read(Hive::ClassesRoot, "KORVALENMISvr.DseTendraKORVALEN.1\\CLSID"),
              "{2E09E4B8-245E-4ebc-817A-F708207473B7}");
    EXPECT_EQ(Read(Hive::ClassesRoot, "KORVALENMISvr.DseTendraKORVALEN"),
              "DseTendraKORVALEN Class");
    EXPECT_EQ(Read(Hive::ClassesRoot, "KORVALENMISvr.DseTendraKORVALEN\\CurVer"),
              "KORVALENMISvr.DseTendraKORVALEN.1");
    std::string clsid = std::string("CLSID\\") + row.clsidText;
    EXPECT_EQ(Read(Hive::ClassesRoot, clsid), "DseTendraKORVALEN Class");
    EXPECT_EQ(Read(Hive::ClassesRoot, clsid, "AppID"), "{83FAAC57-2F56-4652-866D-E486522C4F8D}");
    EXPECT_EQ(Read(Hive::ClassesRoot, clsid + "\\ProgID"), "KORVALENMISvr.DseTendraKORVALEN.1");
    EXPECT_EQ(Read(Hive::ClassesRoot, clsid + "\\VersionIndependentProgID"),
              "KORVALENMISvr.DseTendraKORVALEN");
    EXPECT_EQ(Read(Hive::ClassesRoot, clsid + "\\LocalServer32"), kPath)
        << "the program's own path, quote and all";
    EXPECT_EQ(Read(Hive::ClassesRoot, clsid + "\\TypeLib"),
              "{21BADE02-6A6A-4768-B2ED-66FFDCC99396}");
    EXPECT_TRUE(Exists(Hive::ClassesRoot, clsid + "\\Programmable"));
    EXPECT_EQ(Read(Hive::ClassesRoot, clsid + "\\InprocServer32"), "<no key>");

    // The key names keep the letter case they are printed with.
    auto classes = SubKeys(Hive::ClassesRoot, "CLSID");
    EXPECT_EQ(classes, (std::vector<std::string>{"{2E09E4B8-245E-4ebc-817A-F708207473B7}",
                                                 "{6102DD70-63E8-440e-9DD8-904F07489671}",
                                                 "{B7C03984-2BE3-4ecc-9F07-A223563EBC38}"}));
    EXPECT_EQ(Read(Hive::ClassesRoot, "KORVALENMISvr.DsePrinterConfigKORVALEN\\CLSID"),
              "{B7C03984-2BE3-4ecc-9F07-A223563EBC38}");
    EXPECT_EQ(Read(Hive::ClassesRoot, "KORVALENMISvr.DseTendraOrven.1"), "DseTendraOrven Class");
    EXPECT_FALSE(Exists(Hive::ClassesRoot, "AppID"))
        << "the classes' scripts leave the AppID to script 100";
}

TEST(Registration, ForceRemoveRewritesAClassKeyThatDiffers) {
    qxtest::TempRegistry registry;
    const auto& row = kObjectTable[1];
    ASSERT_EQ(UpdateRegistryFromScript(row.scriptId, true, kPath), 0);
    std::string clsid = std::string("CLSID\\") + row.clsidText;
    reg::Key extra;
    ASSERT_EQ(reg::Key::Create(Hive::ClassesRoot, clsid + "\\InprocServer32", extra), 0);
    ASSERT_EQ(UpdateRegistryFromScript(row.scriptId, true, "/new/place/AL1MISvr"), 0);
    EXPECT_FALSE(Exists(Hive::ClassesRoot, clsid + "\\InprocServer32"))
        << "deleted with its subtree, then written";
    EXPECT_EQ(Read(Hive::ClassesRoot, clsid + "\\LocalServer32"), "/new/place/AL1MISvr");
    EXPECT_EQ(Read(Hive::ClassesRoot, clsid + "\\ProgID"),
              "KORVALENMISvr.DsePrinterConfigKORVALEN.1");
}

TEST(Registration, AppIdScriptAndUnregistrationKeepTheParents) {
    qxtest::TempRegistry registry;
    for (int script = 100; script <= 103; ++script)
        ASSERT_EQ(UpdateRegistryFromScript(script, true, kPath), 0);
    EXPECT_EQ(Read(Hive::ClassesRoot, "AppID\\{83FAAC57-2F56-4652-866D-E486522C4F8D}"),
              "KORVALENMISvr");
    EXPECT_EQ(Read(Hive::ClassesRoot, "AppID\\KORVALENMISvr.EXE", "AppID"),
              "{83FAAC57-2F56-4652-866D-E486522C4F8D}");
    reg::Key other;
    ASSERT_EQ(
        reg::Key::Create(Hive::ClassesRoot, "CLSID\\{11111111-2222-3333-4444-555555555555}", other),
        0);

    for (int script = 100; script <= 103; ++script)
        EXPECT_EQ(UpdateRegistryFromScript(script, false, kPath), 0);
    EXPECT_TRUE(Exists(Hive::ClassesRoot, "AppID"));
    EXPECT_TRUE(SubKeys(Hive::ClassesRoot, "AppID").empty());
    EXPECT_EQ(SubKeys(Hive::ClassesRoot, "CLSID"),
              (std::vector<std::string>{"{11111111-2222-3333-4444-555555555555}"}))
        << "other classes stay";
    for (const auto& row : kObjectTable) {
        EXPECT_FALSE(Exists(Hive::ClassesRoot, row.progIdStem));
        EXPECT_FALSE(Exists(Hive::ClassesRoot, std::string(row.progIdStem) + ".1"));
    }
    EXPECT_EQ(UpdateRegistryFromScript(101, false, kPath), 0) << "unregistering twice is no error";
}

TEST(Registration, TypeLibraryIsRegisteredAsTheSystemWritesIt) {
    qxtest::TempRegistry registry;
    ASSERT_EQ(RegisterTypeLibrary("/opt/qx/AL1MISvr"), 0);
    std::string lib = "TypeLib\\{21BADE02-6A6A-4768-B2ED-66FFDCC99396}";
    EXPECT_EQ(SubKeys(Hive::ClassesRoot, "TypeLib"),
              (std::vector<std::string>{"{21BADE02-6A6A-4768-B2ED-66FFDCC99396}"}));
    EXPECT_EQ(Read(Hive::ClassesRoot, lib + "\\1.0"), "KORVALENMISvr 1.0 Type Library");
    EXPECT_EQ(Read(Hive::ClassesRoot, lib + "\\1.0\\409\\win32"), "/opt/qx/AL1MISvr")
        << "locale 1033";
    EXPECT_EQ(Read(Hive::ClassesRoot, lib + "\\1.0\\FLAGS"), "0");
    EXPECT_EQ(Read(Hive::ClassesRoot, lib + "\\1.0\\HELPDIR"), "/opt/qx");
    for (const auto& row : kObjectTable) {
        std::string itf = std::string("Interface\\") + row.iidText;
        EXPECT_EQ(Read(Hive::ClassesRoot, itf), row.interfaceName);
        EXPECT_EQ(Read(Hive::ClassesRoot, itf + "\\ProxyStubClsid32"),
                  "{00020424-0000-0000-C000-000000000046}");
        EXPECT_EQ(Read(Hive::ClassesRoot, itf + "\\TypeLib"),
                  "{21BADE02-6A6A-4768-B2ED-66FFDCC99396}");
        EXPECT_EQ(Read(Hive::ClassesRoot, itf + "\\TypeLib", "Version"), "1.0");
    }
    // Another version of the library and an interface another library owns stay.
    reg::Key key;
    ASSERT_EQ(reg::Key::Create(Hive::ClassesRoot, lib + "\\2.0", key), 0);
    ASSERT_EQ(
        reg::Key::Create(Hive::ClassesRoot,
                         std::string("Interface\\") + kObjectTable[2].iidText + "\\TypeLib", key),
        0);
    ASSERT_EQ(key.SetString("", "{99999999-6A6A-4768-B2ED-66FFDCC99396}"), 0);

    EXPECT_EQ(UnregisterTypeLibrary(), 0);
    EXPECT_FALSE(Exists(Hive::ClassesRoot, lib + "\\1.0"));
    EXPECT_TRUE(Exists(Hive::ClassesRoot, lib + "\\2.0"));
    EXPECT_FALSE(Exists(Hive::ClassesRoot, std::string("Interface\\") + kObjectTable[0].iidText));
    EXPECT_TRUE(Exists(Hive::ClassesRoot, std::string("Interface\\") + kObjectTable[2].iidText));
    reg::Key::Open(Hive::ClassesRoot, lib, reg::Access::All, key);
    key.DeleteTree("2.0");
    EXPECT_EQ(UnregisterTypeLibrary(), 0);
    EXPECT_FALSE(Exists(Hive::ClassesRoot, lib)) << "the library key goes with its last version";
}

TEST(Registration, RunValueIsDeletedAndNothingElse) {
    qxtest::TempRegistry registry;
    DeleteRunValue();  // no key: nothing happens
    EXPECT_FALSE(Exists(Hive::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"));
    reg::Key run;
    ASSERT_EQ(reg::Key::Create(Hive::CurrentUser,
                               "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", run),
              0);
    run.SetString("Quorvia KORVALENMISVR", "/old/AL1MISvr");
    run.SetString("Other", "/usr/bin/other");
    DeleteRunValue();
    std::string text;
    EXPECT_NE(run.GetString("Quorvia KORVALENMISVR", text), 0);
    EXPECT_EQ(run.GetString("Other", text), 0);
}

TEST(Registration, ServiceFileNamesTheProgramQuotedForTheBus) {
    qxtest::TempDir home;
    setenv("XDG_DATA_HOME", home.Path().c_str(), 1);
    EXPECT_EQ(BusServiceFilePath(),
              home.Path() + "/dbus-1/services/com.quorvia.KORVALENMISvr.service");
    ASSERT_TRUE(WriteBusServiceFile("/opt/it's here/AL1MISvr"));
    std::ifstream in(BusServiceFilePath());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(),
              "[D-BUS Service]\nName=com.quorvia.KORVALENMISvr\nExec='/opt/it'\\\\''s "
              "here/AL1MISvr' -Embedding\n");
    EXPECT_EQ(QuoteForServiceExec("/a\\b\tc"), "'/a\\\\b\\tc'");
    EXPECT_TRUE(RemoveBusServiceFile());
    EXPECT_FALSE(std::filesystem::exists(BusServiceFilePath()));
    EXPECT_TRUE(RemoveBusServiceFile()) << "removing what is not there is no error";
    std::string home0 = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("XDG_DATA_HOME", "relative/path", 1);
    unsetenv("HOME");
    EXPECT_EQ(BusServiceFilePath(), "") << "no usable base directory";
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(BusServiceFilePath(),
              "/home/someone/.local/share/dbus-1/services/com.quorvia.KORVALENMISvr.service")
        << "a relative XDG_DATA_HOME is ignored";
    unsetenv("XDG_DATA_HOME");
    if (!home0.empty())
        setenv("HOME", home0.c_str(), 1);
}

TEST(Registration, ARegisteredServerChangesNothingWhenItRegistersAgain) {
    qxtest::TempRegistry store;
    qxtest::TempDir home;
    setenv("XDG_DATA_HOME", home.Path().c_str(), 1);
    ASSERT_TRUE(RegisterServer(kPath));
    const std::string file = BusServiceFilePath();
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);

    // Another program holds the store's write lock (a writer would wait up
    // to a minute for it): a start that finds everything registered goes on.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((store.Dir() + "/classes.db").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    auto again = std::async(std::launch::async, [] { return RegisterServer(kPath); });
    const bool finished = again.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(finished) << "registering again waited for the store's write lock";
    EXPECT_TRUE(again.get());

    // The bus reads its service files again whenever one changes.
    struct stat after {};
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the service file was replaced";

    // A moved program is registered where it now is.
    ASSERT_TRUE(RegisterServer("/srv/moved/AL1MISvr"));
    EXPECT_EQ(
        Read(Hive::ClassesRoot, "CLSID\\{B7C03984-2BE3-4ecc-9F07-A223563EBC38}\\LocalServer32"),
        "/srv/moved/AL1MISvr");
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Exec='/srv/moved/AL1MISvr' -Embedding\n"), std::string::npos)
        << text.str();
    unsetenv("XDG_DATA_HOME");
}
