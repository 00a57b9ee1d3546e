// The NetWare client check with a stand-in client library beside the
// program: the version rules, the NT and 9X settings, and the library's
// absence (the normal case on Linux).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "discovery/HostProtocols.h"
#include "discovery/NetwareClient.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/ProgramPath.h"
#include "platform/system/Win32Error.h"
#include "settings/Settings.h"
#include "support/TempRegistry.h"

using namespace qx;
namespace fs = std::filesystem;

namespace {

bool Query9X(PlatformVersion& v) {
    v = {VER_PLATFORM_WIN32_WINDOWS, 4, 10};
    return true;
}
bool QueryFails(PlatformVersion&) {
    return false;
}

class NetwareClientTest : public ::testing::Test {
  protected:
    qxtest::TempRegistry store;
    qxtest::TempDir programDir;

    void SetUp() override {
        SetProgramDirectoryForTesting(programDir.Path());
        setenv("QX_TEST_NETWARE_LOG", (programDir.Path() + "/calls.log").c_str(), 1);
    }
    void TearDown() override {
        SetProgramDirectoryForTesting("");
        SetPlatformVersionQueryForTesting(nullptr);
        unsetenv("QX_TEST_NETWARE_VERSION");
        unsetenv("QX_TEST_NETWARE_LOG");
    }
    void Install(const char* library) {
        fs::copy_file(library, programDir.Path() + "/" + kNetwareClientLibrary,
                      fs::copy_options::overwrite_existing);
    }
    int Check(const char* version, NetwareClientInfo& info, uint32_t family = 1) {
        setenv("QX_TEST_NETWARE_VERSION", version, 1);
        return NetwareClientCheck(family, info);
    }
    std::string Calls() {
        std::ifstream in(programDir.Path() + "/calls.log");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

}  // namespace

TEST_F(NetwareClientTest, NoClientLibraryMeansNoIpx) {
    NetwareClientInfo info;
    EXPECT_EQ(NetwareClientCheck(1, info), 0);
    EXPECT_FALSE(info.bClientTooOld);

    // The host check carries the result as its IPX flag.
    HostProtocols host;
    CheckInstalledProtocols2(host, 1);
    EXPECT_FALSE(host.bIpxAvailable);

    // A file of that name that is no library changes nothing.
    std::ofstream(programDir.Path() + "/" + kNetwareClientLibrary) << "not a library";
    EXPECT_EQ(NetwareClientCheck(1, info), 0);
}

TEST_F(NetwareClientTest, VersionRulesOnNtWithTheDefaults) {
    Install(QX_TEST_NETWARE_STUB);
    NetwareClientInfo info;
    EXPECT_EQ(Check("4.60.0", info), 1);
    EXPECT_FALSE(info.bClientTooOld);
    EXPECT_EQ(Calls(), "NWCallsInit null null\n");

    EXPECT_EQ(Check("4.59.3", info), 0);
    EXPECT_TRUE(info.bClientTooOld);
    EXPECT_EQ(info.installed[0], 4);
    EXPECT_EQ(info.installed[1], 59);
    EXPECT_EQ(info.installed[2], 3);
    EXPECT_EQ(info.requiredMajor, 4u) << "the NT default shown to the user";
    EXPECT_EQ(info.requiredMinor, 60u);

    EXPECT_EQ(Check("5.0.0", info), 1) << "a greater major wins whatever the minor";
    EXPECT_FALSE(info.bClientTooOld);
    EXPECT_EQ(Check("3.99.0", info), 0);
    EXPECT_TRUE(info.bClientTooOld);

    EXPECT_EQ(Check("fail", info), 0) << "a failing version call";
    EXPECT_FALSE(info.bClientTooOld) << "only an old client is reported to the user";

    HostProtocols host;
    setenv("QX_TEST_NETWARE_VERSION", "4.60.0", 1);
    CheckInstalledProtocols2(host, 1);
    EXPECT_TRUE(host.bIpxAvailable);
}

TEST_F(NetwareClientTest, MissingVersionFunction) {
    Install(QX_TEST_NETWARE_STUB_WITHOUT_VERSION);
    NetwareClientInfo info;
    EXPECT_EQ(Check("9.0.0", info), 0);
    EXPECT_FALSE(info.bClientTooOld);
    EXPECT_EQ(Calls(), "NWCallsInit null null\n") << "the init function is still called";
}

TEST_F(NetwareClientTest, The9XSettingsWhenThePlatformIs9X) {
    Install(QX_TEST_NETWARE_STUB);
    reg::Key k;
    ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser, SettingsKey(2), k), ERROR_SUCCESS);
    ASSERT_EQ(SetDwordSetting(SETTING_MAJOR_NETWARE_CLIENT_REQUIRED_9X, 3, 2), 0);
    ASSERT_EQ(SetDwordSetting(SETTING_MINOR_NETWARE_CLIENT_REQUIRED_9X, 20, 2), 0);
    ASSERT_EQ(SetDwordSetting(SETTING_MAJOR_NETWARE_CLIENT_REQUIRED_NT, 6, 2), 0);

    NetwareClientInfo info;
    SetPlatformVersionQueryForTesting(&Query9X);
    EXPECT_EQ(Check("3.10.0", info, 2), 0) << "3.20 required by the stored 9X settings";
    EXPECT_EQ(info.requiredMajor, 3u);
    EXPECT_EQ(info.requiredMinor, 20u);
    EXPECT_EQ(Check("3.20.0", info, 2), 1);
    EXPECT_EQ(Check("3.10.0", info, 1), 1) << "family 1 has no key: the 9X defaults, 3.10";

    SetPlatformVersionQueryForTesting(&QueryFails);
    EXPECT_EQ(Check("5.0.0", info, 2), 0) << "a failing query counts as NT: 6.60 required";
    EXPECT_EQ(info.requiredMajor, 6u);
    EXPECT_EQ(info.requiredMinor, 60u);

    SetPlatformVersionQueryForTesting(nullptr);
    EXPECT_EQ(Check("4.60.0", info, 2), 0) << "this port's platform is NT";
    EXPECT_EQ(info.requiredMajor, 6u);
}
