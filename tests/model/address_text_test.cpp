#include <gtest/gtest.h>

#include "model/AddressText.h"

using namespace qx;

TEST(AddressText, IpAddresses) {
    for (const char* ok : {"10.1.2.3", "255.255.255.255", "0.0.0.0", "010.001.002.003"})
        EXPECT_TRUE(IsValidIpAddressText(ok)) << ok;
    for (const char* bad : {"", "10.1", "10.1.2", "1.2.3.4.5", "256.1.1.1", "1a.2.3.4", "10.1.2.3.",
                            ".10.1.2.3", "10..2.3", "1000.1.1.1", " 10.1.2.3", "printer.local"})
        EXPECT_FALSE(IsValidIpAddressText(bad)) << bad;
    EXPECT_EQ(PrintableIpAddress("010.001.002.003"), "10.1.2.3");
    EXPECT_FALSE(PrintableIpAddress("10.1"));
}

TEST(AddressText, IpxAddresses) {
    EXPECT_TRUE(IsValidIpxAddressText("1a2b3c4d:a1b2c3d4e5f6"));
    EXPECT_TRUE(IsValidIpxAddressText("0000000A:00004A123456"));
    for (const char* bad : {"", "1a2b3c4d-a1b2c3d4e5f6", "1a2b3c4d:a1b2c3d4e5f",
                            "1a2b3c4g:a1b2c3d4e5f6", "1a2b3c4d:a1b2c3d4e5f60", "10.1.2.3"})
        EXPECT_FALSE(IsValidIpxAddressText(bad)) << bad;
}
