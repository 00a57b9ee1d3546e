// The settings table and its four accessors against a real store.

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"
#include "settings/Settings.h"
#include "support/TempRegistry.h"

using namespace qx;
using reg::Access;
using reg::Hive;
using reg::Key;

namespace {

class SettingsTest : public ::testing::Test {
  protected:
    qxtest::TempRegistry store;

    Key SettingsKeyOf(uint32_t family) {
        Key k;
        EXPECT_EQ(Key::Create(Hive::CurrentUser, SettingsKey(family), k), ERROR_SUCCESS);
        return k;
    }
};

}  // namespace

TEST(SettingsTable, RowsIdsNamesAndDefaults) {
    std::set<std::string> names;
    int rows = 0;
    for (const SettingEntry* e = kSettingsTable; e->id != kSettingsEnd; ++e, ++rows) {
        EXPECT_EQ(e->id, static_cast<uint32_t>(rows + 1)) << "ascending ids without gaps";
        ASSERT_NE(e->name, nullptr);
        EXPECT_TRUE(names.insert(e->name).second) << "duplicate name " << e->name;
    }
    EXPECT_EQ(rows, kSettingCount);
    EXPECT_EQ(kSettingsTable[kSettingCount].name, nullptr);

    EXPECT_STREQ(GetSettingName(1), "TendraRefresh");
    EXPECT_STREQ(GetSettingName(35), "CurrentJobsCol0");
    EXPECT_STREQ(GetSettingName(90), "BoxJobsCol5");
    EXPECT_STREQ(GetSettingName(91), "BoxJobsCol7") << "there is no BoxJobsCol6";
    EXPECT_STREQ(GetSettingName(93), "BoxJobsCol9");
    EXPECT_STREQ(GetSettingName(105), "SNMPNoConnnectTimeoutInHundredthOfASecond");
    EXPECT_STREQ(GetSettingName(118), "BoxJobsCol6Korvalen");
    EXPECT_STREQ(GetSettingName(121), "BoxJobsCol9Korvalen");
    EXPECT_EQ(GetSettingName(0), nullptr);
    EXPECT_EQ(GetSettingName(200), nullptr);

    EXPECT_EQ(GetSettingDefault(27), 0xFFFFFFFFu);
    EXPECT_EQ(GetSettingDefault(95), 100u);
    EXPECT_EQ(GetSettingDefault(103), 2000u);
    EXPECT_EQ(GetSettingDefault(111), 2u);
    EXPECT_EQ(GetSettingDefault(112), 0xFFFFFFFFu);
    EXPECT_EQ(GetSettingDefault(200), 0u);

    EXPECT_STREQ(kMapFileNames[0], "HRMap.txt");
    EXPECT_STREQ(kMapFileNames[4], "OdraNMap.txt");
}

TEST_F(SettingsTest, DefaultsWithoutSettingsKey) {
    EXPECT_EQ(GetDwordSetting(SETTING_DO_IP_DISCOVERY, 1), 1u);
    EXPECT_EQ(GetDwordSetting(SETTING_SNMP_NO_CONNECT_TIMEOUT, 1), 1000u);
    EXPECT_EQ(GetDwordSetting(SETTING_MINOR_NETWARE_CLIENT_REQUIRED_NT, 2), 60u);
    EXPECT_EQ(GetDwordSetting(27, 1), 0xFFFFFFFFu);
}

TEST_F(SettingsTest, DwordReadTakesFourBytesWhateverTheType) {
    Key k = SettingsKeyOf(1);
    k.SetDword("SNMPNoConnnectTimeoutInHundredthOfASecond", 250);
    k.SetString("DoIpDiscovery", "5");       // 2 bytes: '5' and its zero
    k.SetString("DoIpxDiscovery", "12345");  // 6 bytes: does not fit
    k.SetValue("DiscoveryIsVirgin", reg::Value::Binary({1, 2, 3, 4}));
    EXPECT_EQ(GetDwordSetting(105, 1), 250u);
    EXPECT_EQ(GetDwordSetting(98, 1), static_cast<uint32_t>('5'));
    EXPECT_EQ(GetDwordSetting(97, 1), 1u) << "too long: the default";
    EXPECT_EQ(GetDwordSetting(94, 1), 0x04030201u);
    EXPECT_EQ(GetDwordSetting(105, 2), 1000u) << "the other family has its own key";
}

TEST_F(SettingsTest, FamilyNumbersSelectTheRoots) {
    SettingsKeyOf(2).SetDword("DiscoveryTimeoutInMilliseconds", 300);
    EXPECT_EQ(GetDwordSetting(95, 2), 300u);
    EXPECT_EQ(GetDwordSetting(95, 7), 300u) << "every family but 1 is ORVEN";
    EXPECT_EQ(GetDwordSetting(95, 0), 300u);
    EXPECT_EQ(GetDwordSetting(95, 1), 100u);
    EXPECT_STREQ(ClientRootKey(1), "Software\\KORVALEN\\Quorvia KORVALEN Client");
    EXPECT_STREQ(DiscoveryKey(3), "Software\\ORVEN\\Quorvia ORVEN Client\\Discovery");
}

TEST_F(SettingsTest, NothingIsCached) {
    Key k = SettingsKeyOf(1);
    k.SetDword("DoIpDiscovery", 0);
    EXPECT_EQ(GetDwordSetting(98, 1), 0u);
    k.SetDword("DoIpDiscovery", 1);
    EXPECT_EQ(GetDwordSetting(98, 1), 1u);
    k.DeleteValue("DoIpDiscovery");
    SettingsKeyOf(1).SetDword("DoIpDiscovery", 7);
    EXPECT_EQ(GetDwordSetting(98, 1), 7u);
}

TEST_F(SettingsTest, WritesNeverCreateTheKey) {
    EXPECT_EQ(SetDwordSetting(98, 0, 1), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SetStringSetting(100, "10.0.0.1", 1), ERROR_FILE_NOT_FOUND);
    Key k;
    EXPECT_EQ(Key::Open(Hive::CurrentUser, SettingsKey(1), Access::Read, k), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetDwordSetting(98, 1), 1u);

    SettingsKeyOf(1);
    ASSERT_EQ(SetDwordSetting(98, 0, 1), ERROR_SUCCESS);
    ASSERT_EQ(SetStringSetting(100, "10.0.0.1", 1), ERROR_SUCCESS);
    ASSERT_EQ(Key::Open(Hive::CurrentUser, SettingsKey(1), Access::Read, k), ERROR_SUCCESS);
    reg::Value v;
    ASSERT_EQ(k.GetValue("DoIpDiscovery", v), ERROR_SUCCESS);
    EXPECT_EQ(v.type, reg::REG_DWORD);
    EXPECT_EQ(v.data.size(), 4u);
    ASSERT_EQ(k.GetValue("DoIpDiscoveryRangeFrom", v), ERROR_SUCCESS);
    EXPECT_EQ(v.type, reg::REG_SZ);
    EXPECT_EQ(v.data.size(), 9u) << "the text and its terminating zero";
    EXPECT_EQ(GetDwordSetting(98, 1), 0u);
}

TEST_F(SettingsTest, StringSettingsFollowTheFamilyRules) {
    char buf[64];
    std::memset(buf, 'x', sizeof buf);
    GetStringSetting(100, buf, sizeof buf, 1);
    EXPECT_STREQ(buf, "") << "no key: empty";
    EXPECT_EQ(buf[63], 0) << "the whole buffer is zeroed";

    SettingsKeyOf(2).SetString("DoIpDiscoveryRangeFrom", "10.2.0.1");
    GetStringSetting(100, buf, sizeof buf, 2);
    EXPECT_STREQ(buf, "") << "family 2 always reads empty";
    GetStringSetting(100, buf, sizeof buf, 1);
    EXPECT_STREQ(buf, "10.2.0.1") << "family 1 falls back to the family-2 key";

    SettingsKeyOf(1).SetString("DoIpDiscoveryRangeFrom", "10.1.0.1");
    GetStringSetting(100, buf, sizeof buf, 1);
    EXPECT_STREQ(buf, "10.1.0.1");

    char small[4];
    GetStringSetting(100, small, sizeof small, 1);
    EXPECT_EQ(std::string(small, 4), std::string(4, '\0'))
        << "a value that does not fit reads empty";

    // A value stored without its zero never runs past the buffer.
    SettingsKeyOf(1).SetValue("DoIpDiscoveryRangeTo", reg::REG_SZ, "abcd", 4);
    GetStringSetting(101, small, sizeof small, 1);
    EXPECT_EQ(std::string(small), "abc");
}

TEST_F(SettingsTest, IdsOutsideTheTableUseTheUnnamedValue) {
    Key k = SettingsKeyOf(1);
    EXPECT_EQ(GetDwordSetting(200, 1), 0u);
    k.SetDword("", 42);
    EXPECT_EQ(GetDwordSetting(200, 1), 42u);
}
