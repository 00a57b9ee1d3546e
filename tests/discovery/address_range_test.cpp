// The range that IP answers must lie in: the subnet worked out octet by
// octet, the octet-wise comparisons, and the choice between the stored and
// the computed range.

#include <gtest/gtest.h>

#include "discovery/AddressRange.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"
#include "settings/Settings.h"
#include "support/TempRegistry.h"

using namespace qx;

namespace {

Ipv4Address Ip(const char* text) {
    auto a = ParseIpOctets(text);
    EXPECT_TRUE(a.has_value()) << text;
    return a.value_or(Ipv4Address{});
}

std::string Text(const AddressRange& r) {
    return r.from + "-" + r.to;
}

AddressRange Subnet(const char* mask, const char* host) {
    Ipv4Address from{}, to{};
    ComputeSubnetRange(Ip(mask), Ip(host), from, to);
    return {DottedAddress(from), DottedAddress(to)};
}

}  // namespace

TEST(AddressRange, SubnetOfTheHostOctetByOctet) {
    EXPECT_EQ(Text(Subnet("255.255.255.0", "192.168.5.77")), "192.168.5.0-192.168.5.255");
    EXPECT_EQ(Text(Subnet("255.255.240.0", "192.168.5.77")), "192.168.0.0-192.168.15.255");
    EXPECT_EQ(Text(Subnet("255.255.255.252", "10.9.8.7")), "10.9.8.4-10.9.8.7");
    // A non-contiguous mask still works octet by octet.
    EXPECT_EQ(Text(Subnet("255.0.255.128", "172.16.33.200")), "172.0.33.128-172.255.33.255");
}

TEST(AddressRange, MaskOfZerosLetsNoAnswerPass) {
    AddressRange r = Subnet("0.0.0.0", "192.168.5.77");
    EXPECT_EQ(Text(r), "0.0.0.0-0.0.0.0");
    EXPECT_FALSE(IsInRange("192.168.5.1", r));
    EXPECT_FALSE(IsInRange("10.0.0.1", r));
}

TEST(AddressRange, ComparesEveryOctetOnItsOwn) {
    EXPECT_EQ(IsGreaterThanEq(Ip("10.0.0.200"), Ip("10.0.0.5")), 1);
    EXPECT_EQ(IsLessThanEq(Ip("10.0.0.200"), Ip("10.0.1.3")), 0)
        << "200 > 3 in the last octet, although the number is smaller";
    EXPECT_FALSE(IsInRange("10.0.0.200", {"10.0.0.5", "10.0.1.3"}));
    // Not even the range's own ends pass: their last octets are outside 5..3.
    EXPECT_FALSE(IsInRange("10.0.1.3", {"10.0.0.5", "10.0.1.3"}));
    EXPECT_FALSE(IsInRange("10.0.0.5", {"10.0.0.5", "10.0.1.3"}));
    EXPECT_TRUE(IsInRange("10.0.1.5", {"10.0.0.1", "10.0.1.9"}));
    EXPECT_FALSE(IsInRange("10.0.0.200", {"10.0.0.1", "10.0.1.9"}));

    EXPECT_TRUE(IsInRange("10.1.200.9", Subnet("255.255.0.0", "10.1.2.3")));
    EXPECT_FALSE(IsInRange("10.2.0.1", Subnet("255.255.0.0", "10.1.2.3")));
}

TEST(AddressRange, AnEndThatIsNoAddressCountsAsZeros) {
    EXPECT_TRUE(IsInRange("10.0.0.1", {"junk", "10.255.255.255"})) << "from the bottom";
    EXPECT_FALSE(IsInRange("10.0.0.1", {"10.0.0.0", "10.0.0.300"})) << "to 0.0.0.0";
    EXPECT_FALSE(IsInRange("junk", {"10.0.0.0", "10.255.255.255"}));
}

class DiscoveryRangeSettings : public ::testing::Test {
  protected:
    qxtest::TempRegistry store;
    void MakeSettingsKey() {
        reg::Key k;
        ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser, SettingsKey(1), k), ERROR_SUCCESS);
    }
};

TEST_F(DiscoveryRangeSettings, SubnetUnlessIpDiscoveryIsOffAndTheStoredRangeIsValid) {
    // No settings at all: the subnet.
    auto load = [](uint32_t family, const char* mask) {
        return Text(LoadDiscoveryRange(family, mask, "10.203.0.1"));
    };
    EXPECT_EQ(load(1, "255.255.255.0"), "10.203.0.0-10.203.0.255");

    MakeSettingsKey();
    ASSERT_EQ(SetStringSetting(SETTING_DO_IP_DISCOVERY_RANGE_FROM, "10.203.0.20", 1), 0);
    ASSERT_EQ(SetStringSetting(SETTING_DO_IP_DISCOVERY_RANGE_TO, "10.203.0.30", 1), 0);
    ASSERT_EQ(SetDwordSetting(SETTING_DO_IP_DISCOVERY_USE_SUBNET, 0, 1), 0);
    EXPECT_EQ(load(1, "255.255.255.0"), "10.203.0.0-10.203.0.255")
        << "use-subnet counts as 1 whatever is stored";

    ASSERT_EQ(SetDwordSetting(SETTING_DO_IP_DISCOVERY, 0, 1), 0);
    EXPECT_EQ(load(1, "255.255.255.0"), "10.203.0.20-10.203.0.30");

    ASSERT_EQ(SetStringSetting(SETTING_DO_IP_DISCOVERY_RANGE_TO, "10.203.0.300", 1), 0);
    EXPECT_EQ(load(1, "255.255.255.0"), "10.203.0.0-10.203.0.255")
        << "an invalid stored end falls back to the subnet";

    // The string settings are read for family 1 only: family 2 gets the subnet.
    EXPECT_EQ(load(2, "255.255.0.0"), "10.203.0.0-10.203.255.255");
}
