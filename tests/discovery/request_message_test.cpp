// The broadcast request datagram and the rule that accepts an answer.

#include <gtest/gtest.h>

#include <vector>

#include "discovery/RequestMessage.h"

using namespace qx;

TEST(RequestMessage, GetRequestOfThePrinterNameWithTheDefaultCommunity) {
    std::vector<uint8_t> datagram(256, 0xEE);
    BuildRequestDatagram(datagram.data(), datagram.size());
    const std::vector<uint8_t> expected = {
        0x30, 0x29, 0x02, 0x01, 0x00, 0x04, 0x06, 'p',  'u',  'b',  'l',  'i',  'c',  0xA0, 0x1C,
        0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x11, 0x30, 0x0F, 0x06, 0x0B,
        0x2B, 0x06, 0x01, 0x02, 0x01, 0x2B, 0x05, 0x01, 0x01, 0x10, 0x01, 0x05, 0x00};
    ASSERT_EQ(expected.size(), kRequestMessageSize);
    EXPECT_EQ(std::vector<uint8_t>(datagram.begin(), datagram.begin() + 43), expected);
    for (size_t i = 43; i < datagram.size(); ++i)
        ASSERT_EQ(datagram[i], 0) << "padding byte " << i;

    // Too small a buffer is left alone instead of overrun.
    std::vector<uint8_t> small(20, 0xEE);
    BuildRequestDatagram(small.data(), small.size());
    EXPECT_EQ(small, std::vector<uint8_t>(20, 0xEE));
}

TEST(RequestMessage, AcceptsOnlyAnswersWithErrorStatusZero) {
    // A GetResponse of noError and one of noSuchName, as a device sends them.
    std::vector<uint8_t> ok = {0x30, 0x2E, 0x02, 0x01, 0x00, 0x04, 0x06, 'p',  'u',
                               'b',  'l',  'i',  'c',  0xA2, 0x21, 0x02, 0x01, 0x01,
                               0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x16};
    EXPECT_TRUE(IsAcceptedAnswer(ok.data(), static_cast<long>(ok.size())));
    std::vector<uint8_t> error = ok;
    error[20] = 0x02;
    EXPECT_FALSE(IsAcceptedAnswer(error.data(), static_cast<long>(error.size())));

    // A datagram too short to carry byte 20 is no answer, even though the
    // zero-filled buffer holds 0 there.
    std::vector<uint8_t> shortOne(256, 0);
    EXPECT_FALSE(IsAcceptedAnswer(shortOne.data(), 20));
    EXPECT_TRUE(IsAcceptedAnswer(shortOne.data(), 21));
    EXPECT_FALSE(IsAcceptedAnswer(shortOne.data(), -1));
    EXPECT_FALSE(IsAcceptedAnswer(nullptr, 100));
}
