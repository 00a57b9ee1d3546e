// The printer configuration object's conversions, without a device: packed
// texts unit by unit, the code tables at their edges, the model rules, the
// drawers' slots and the user's language behind the default paper size.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "automation/PrinterConfigTables.h"
#include "platform/com/Bstr.h"
#include "platform/system/UserDefaults.h"

using namespace qx;

namespace {

std::u16string Units(BSTR text) {
    return std::u16string(text, SysStringLen(text));
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_had = true;
            m_old = old;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

  private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};

}  // namespace

TEST(PackedText, CarriesTheBytesTwoToAUnitWithTheTerminatingZero) {
    Bstr two;
    two.Reset(PackedText("AB"));
    EXPECT_EQ(Units(two.Get()), (std::u16string{u'A' | (u'B' << 8), 0}))
        << "an even count: the zero takes a unit of its own";

    Bstr three;
    three.Reset(PackedText("ABC"));
    EXPECT_EQ(Units(three.Get()), (std::u16string{u'A' | (u'B' << 8), u'C'}))
        << "an odd count: the last unit holds the third byte and the zero";

    Bstr empty;
    empty.Reset(PackedText(""));
    EXPECT_EQ(Units(empty.Get()), std::u16string(1, u'\0'));

    // UTF-8 bytes travel as they are, not as characters.
    Bstr accented;
    accented.Reset(PackedText("\xC3\xA9"));
    EXPECT_EQ(Units(accented.Get()), (std::u16string{0xA9C3, 0}));
}

TEST(PackedText, UnpacksToTheTextUpToItsZero) {
    for (std::string text : std::initializer_list<std::string>{
             "", "A", "AB", "a-LUMERA3811", "Finisher with saddle stitch", std::string(59, 'x'),
             std::string("\xC3\xA9t\xC3\xA9")}) {
        Bstr packed;
        packed.Reset(PackedText(text));
        EXPECT_EQ(UnpackedText(packed.Get()), text);
    }
    EXPECT_EQ(UnpackedText(nullptr), "");
    // A BSTR without a zero byte ends with its last unit.
    std::u16string noZero{u'A' | (u'B' << 8)};
    Bstr raw(noZero);
    EXPECT_EQ(UnpackedText(raw.Get()), "AB");
}

TEST(PrinterConfigTables, FamilyGroups) {
    for (int32_t code : {3, 6, 7, 8, 13})
        EXPECT_EQ(FamilyGroupOf(code), FamilyGroup::A) << code;
    EXPECT_EQ(FamilyGroupOf(2), FamilyGroup::B);
    for (int32_t code : {0, 1, 4, 5, 9, 12, 14, -3})
        EXPECT_EQ(FamilyGroupOf(code), FamilyGroup::Other) << code;
}

TEST(PrinterConfigTables, FinisherPedestalAndPunchRows) {
    EXPECT_EQ(FinisherOf(0), (CodeText{0, 45}));
    EXPECT_EQ(FinisherOf(2), (CodeText{5, 47}));
    EXPECT_EQ(FinisherOf(3), (CodeText{4, 47}));
    EXPECT_EQ(FinisherOf(4), (CodeText{4, 47}));
    EXPECT_EQ(FinisherOf(31), (CodeText{1, 46}));
    EXPECT_EQ(FinisherOf(32), (CodeText{2, 47})) << "the second kind falls under any other";
    EXPECT_EQ(FinisherOf(33), (CodeText{3, 48}));
    EXPECT_EQ(FinisherOf(34), (CodeText{6, 47}));
    EXPECT_EQ(FinisherOf(-1), (CodeText{2, 47}));

    EXPECT_EQ(PedestalOf(3), (CodeText{1, 42}));
    EXPECT_EQ(PedestalOf(4), (CodeText{2, 43}));
    EXPECT_EQ(PedestalOf(5), (CodeText{3, 44}));
    EXPECT_EQ(PedestalOf(6), (CodeText{4, 0})) << "option codes have no text";
    EXPECT_EQ(PedestalOf(13), (CodeText{11, 0}));
    for (int32_t code : {0, 1, 2, 14, 1000})
        EXPECT_EQ(PedestalOf(code), (CodeText{0, 41})) << code;

    EXPECT_EQ(PunchOf(3), (CodeText{1, 49}));
    EXPECT_EQ(PunchOf(6), (CodeText{4, 52}));
    EXPECT_EQ(PunchOf(2), (CodeText{0, 45}));
    EXPECT_EQ(PunchOf(7), (CodeText{0, 45}));

    EXPECT_EQ(GroupBFinisherType(0), 0);
    EXPECT_EQ(GroupBFinisherType(21), 1);
    EXPECT_EQ(GroupBFinisherType(33), 2);
    EXPECT_EQ(GroupBPunchCode(3), 1);
    EXPECT_EQ(GroupBPunchCode(6), 4);
    EXPECT_EQ(GroupBPunchCode(7), 0);
}

TEST(PrinterConfigTables, ModelCodes) {
    EXPECT_EQ(GroupAModelCode("a-LUMERA3811"), 1);
    EXPECT_EQ(GroupAModelCode("A-LUMERA3811"), 1)
        << "the summary table keeps model texts in upper case";
    EXPECT_EQ(GroupAModelCode("QX a-Lumera38 PS"), 1);
    EXPECT_EQ(GroupAModelCode("A-LUMERA45"), 2);
    EXPECT_EQ(GroupAModelCode(""), 2);

    EXPECT_EQ(GroupBModelCode("KX-6580"), 3) << "65 is looked for before 80";
    EXPECT_EQ(GroupBModelCode("KX-5580"), 2);
    EXPECT_EQ(GroupBModelCode("KX-4580"), 1);
    EXPECT_EQ(GroupBModelCode("KX-8000"), 4);
    EXPECT_EQ(GroupBModelCode("KX-7070"), 3) << "none of the four pairs";
    EXPECT_EQ(GroupBModelCode("\xE2\x80\x93"
                              "55"),
              2)
        << "a multibyte character before the digits";
}

TEST(PrinterConfigTables, MediaCodesAndTexts) {
    const std::pair<int32_t, int32_t> rows[] = {
        {3, 3},   {10, 3}, {4, 9},     {5, 8},     {6, 5},   {7, 6},     {8, 2},
        {11, 7},  {12, 1}, {100, 100}, {105, 105}, {106, 4}, {107, 107}, {108, 108},
        {109, 0}, {99, 0}, {9, 0},     {2, 0},     {0, 0},   {-5, 0}};
    for (auto [device, code] : rows)
        EXPECT_EQ(MediaCodeOf(device), code) << device;
    EXPECT_EQ(MediaTextId(3), 361u);
    EXPECT_EQ(MediaTextId(12), 90u);
    EXPECT_EQ(MediaTextId(107), 309u);
    EXPECT_EQ(MediaTextId(0), 360u);
    EXPECT_EQ(MediaTextId(108), 360u);
}

TEST(PrinterConfigTables, PaperCodesByLocationAndLanguage) {
    const LANGID us = MakeLangId(LANG_ENGLISH, 1), de = MakeLangId(LANG_GERMAN, 1);
    EXPECT_EQ(PaperCodeOf(11, 13, us), 1) << "paper code 11 in the drawer of location 13";
    EXPECT_EQ(PaperCodeOf(11, 15, us), 2);
    EXPECT_EQ(PaperCodeOf(15, 13, us), 2);
    EXPECT_EQ(PaperCodeOf(15, 4, us), 11);
    const std::pair<int32_t, int32_t> rows[] = {{3, 6},   {4, 4},   {5, 1},   {6, 0},   {7, 13},
                                                {8, 5},   {9, 8},   {10, 3},  {12, 9},  {13, 10},
                                                {14, 12}, {16, 7},  {17, 15}, {18, 14}, {19, 19},
                                                {20, 18}, {21, 17}, {22, 16}, {23, 23}};
    for (auto [device, code] : rows)
        EXPECT_EQ(PaperCodeOf(device, 3, de), code) << device;

    EXPECT_EQ(PaperCodeOf(0, 3, us), 0) << "English (United States): the locale default";
    EXPECT_EQ(PaperCodeOf(0, 3, de), 2) << "German";
    EXPECT_EQ(PaperCodeOf(24, 3, MakeLangId(LANG_ENGLISH, 4)), 0) << "English (Canada)";
    EXPECT_EQ(PaperCodeOf(2, 3, MakeLangId(LANG_FRENCH, 3)), 0) << "French (Canada)";
    EXPECT_EQ(PaperCodeOf(2, 3, MakeLangId(LANG_FRENCH, 1)), 2) << "French (France)";
    EXPECT_EQ(PaperCodeOf(2, 3, MakeLangId(LANG_ENGLISH, 2)), 2) << "English (United Kingdom)";

    EXPECT_EQ(PaperTextId(3), 351u);
    EXPECT_EQ(PaperTextId(17), 434u);
    EXPECT_EQ(PaperTextId(23), 370u);
    EXPECT_EQ(PaperTextId(0), 433u);
}

TEST(PrinterConfigTables, SlotsOfLocations) {
    int slot = 0;
    for (int32_t location : kConfigLocations)
        EXPECT_EQ(SlotOfLocation(location), slot++);
    EXPECT_EQ(SlotOfLocation(14), kSlotNotImplemented);
    for (int32_t location : {0, 1, 2, 6, 7, 10, 16, -3})
        EXPECT_EQ(SlotOfLocation(location), kSlotInvalid) << location;
}

TEST(UserDefaults, LanguageFromTheLocale) {
    EXPECT_EQ(LangIdFromLocaleName("en_US.UTF-8"), MakeLangId(LANG_ENGLISH, 1));
    EXPECT_EQ(LangIdFromLocaleName("en_CA"), MakeLangId(LANG_ENGLISH, 4));
    EXPECT_EQ(LangIdFromLocaleName("fr_CA.UTF-8"), MakeLangId(LANG_FRENCH, 3));
    EXPECT_EQ(LangIdFromLocaleName("de_DE@euro"), MakeLangId(LANG_GERMAN, 1));
    EXPECT_EQ(LangIdFromLocaleName("en"), MakeLangId(LANG_ENGLISH, 1));
    EXPECT_EQ(LangIdFromLocaleName("C.UTF-8"), LANG_NEUTRAL);
    EXPECT_EQ(LangIdFromLocaleName("tlh_QO"), LANG_NEUTRAL);
    EXPECT_EQ(LangIdFromLocaleName(""), LANG_NEUTRAL);

    ScopedEnv all("LC_ALL", nullptr), paper("LC_PAPER", "fr_CA.UTF-8"), lang("LANG", "de_DE");
    EXPECT_EQ(GetUserDefaultLangID(), MakeLangId(LANG_FRENCH, 3)) << "LC_PAPER before LANG";
    ScopedEnv all2("LC_ALL", "en_US.UTF-8");
    EXPECT_EQ(GetUserDefaultLangID(), MakeLangId(LANG_ENGLISH, 1)) << "LC_ALL first";
}

TEST(UserDefaults, NamesOfUserAndComputer) {
    char user[251] = {};
    uint32_t size = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &size));
    EXPECT_EQ(size, std::strlen(user) + 1) << "the size counts the terminating zero";
    char tiny[1] = {'x'};
    size = sizeof tiny;
    EXPECT_FALSE(GetUserNameA(tiny, &size));
    EXPECT_EQ(tiny[0], 'x') << "a buffer that is too small is left alone";
    EXPECT_EQ(size, std::strlen(user) + 1) << "and told the size it needs";

    char computer[16];
    std::memset(computer, 'x', sizeof computer);
    size = sizeof computer;
    ASSERT_TRUE(GetComputerNameA(computer, &size));
    EXPECT_LE(size, 15u);
    EXPECT_EQ(std::strlen(computer), size) << "terminated within the 16 bytes";
    char two[2];
    size = sizeof two;
    ASSERT_TRUE(GetComputerNameA(two, &size));
    EXPECT_EQ(size, 1u) << "cut as the buffer cuts it";
}
