// Case-blind name comparison, hex digits and bounded copies into fixed text buffers.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/text/FixedText.h"
#include "platform/text/Hex.h"
#include "platform/text/TextCase.h"

using namespace qx;

TEST(TextCase, NamesCompareWithoutCase) {
    EXPECT_TRUE(EqualsNoCase("\\\\ctrl\\PRINT", "\\\\CTRL\\print"));
    EXPECT_TRUE(EqualsNoCase("Ärger", "äRGER"));
    EXPECT_TRUE(EqualsNoCase("", ""));
    EXPECT_FALSE(EqualsNoCase("Laser", "Laser "));
    EXPECT_FALSE(EqualsNoCase("Laser", "Lasor"));
    EXPECT_FALSE(EqualsNoCase("[", "{"));  // only letters have a case
}

TEST(FixedText, CopiesAreCutAndTerminated) {
    char buf[8];
    EXPECT_EQ(CopyText(buf, "short"), 5u);
    EXPECT_STREQ(buf, "short");
    EXPECT_EQ(CopyText(buf, "much too long"), 7u);
    EXPECT_STREQ(buf, "much to");
    // "ab" + three 2-byte letters: the cut falls inside the third one.
    EXPECT_EQ(CopyText(buf, "ab\xC3\xA4\xC3\xB6\xC3\xBC"), 6u);
    EXPECT_STREQ(buf, "ab\xC3\xA4\xC3\xB6");
    EXPECT_EQ(CopyText(buf, std::string_view("a\0b", 3)), 3u);
    EXPECT_EQ(CopyText(buf, std::string_view()), 0u);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(CopyText(nullptr, 4, "x"), 0u);
    EXPECT_EQ(CopyText(buf, 0, "x"), 0u);
    // Cutting a buffer's own text in place.
    std::strcpy(buf, "abcdefg");
    EXPECT_EQ(CopyText(buf, 4, std::string_view(buf + 2)), 3u);
    EXPECT_STREQ(buf, "cde");
}

TEST(Hex, DigitsOfEitherCaseAndNothingAroundThem) {
    EXPECT_EQ(HexDigit('0'), 0);
    EXPECT_EQ(HexDigit('9'), 9);
    EXPECT_EQ(HexDigit('a'), 10);
    EXPECT_EQ(HexDigit('F'), 15);
    EXPECT_EQ(HexDigit('f'), 15);
    // The neighbours of each range in ASCII, and bytes past it.
    for (char c : {'/', ':', '@', 'G', '`', 'g', ' ', '\0', '\xff', 'x'})
        EXPECT_EQ(HexDigit(c), -1) << static_cast<int>(c);
}
