// The language library and message boxes.

#include <gtest/gtest.h>

#include <fstream>

#include "platform/gui/MessageBox.h"
#include "platform/lang/LanguageLibrary.h"
#include "platform/lang/LoadLanguageLibrary.h"
#include "platform/system/ProgramPath.h"
#include "support/TempRegistry.h"

using namespace qx;

TEST(LanguageLibrary, TheInstalledLibraryLiesBesideTheProgram) {
    auto lib = LanguageLibrary::Load();
    ASSERT_NE(lib, nullptr) << "tnlang.dll beside " << ProgramDirectory();
    EXPECT_FALSE(lib->String(37).empty());
}

TEST(LanguageLibrary, ParsesTheStringTable) {
    qxtest::TempDir dir;
    std::string path = dir.Path() + "/tnlang.dll";
    std::ofstream(path) << "# comment\r\n"
                           "20\tFirst line\\nsecond\\tcolumn \\\\ end\r\n"
                           "55\tÜberschrift\n"
                           "x\tnot a number\n"
                           "\tno id\n"
                           "56 no tab\n"
                           "99999999999\ttoo big\n"
                           "57\t\n";
    auto lib = LanguageLibrary::LoadFile(path);
    ASSERT_NE(lib, nullptr);
    EXPECT_EQ(lib->String(20), "First line\nsecond\tcolumn \\ end");
    EXPECT_EQ(lib->String(55), "Überschrift");
    EXPECT_TRUE(lib->Has(57));
    EXPECT_EQ(lib->String(57), "");
    EXPECT_FALSE(lib->Has(56));
    EXPECT_EQ(lib->String(4242), "");

    char buf[5];
    EXPECT_EQ(lib->LoadString(20, buf, sizeof buf), 4);
    EXPECT_STREQ(buf, "Firs");
    EXPECT_EQ(lib->LoadString(55, buf, 2), 0) << "a character is never cut in two";
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(lib->LoadString(4242, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
}

TEST(LanguageLibrary, MissingLibraryTellsTheUser) {
    qxtest::TempDir empty;
    SetProgramDirectoryForTesting(empty.Path());
    std::vector<MessageBoxRequest> shown;
    auto previous = SetMessageBoxResponder([&](const MessageBoxRequest& r) {
        shown.push_back(r);
        return MessageResult::Ok;
    });
    EXPECT_EQ(LanguageLibrary::Load(), nullptr);
    EXPECT_EQ(LoadLanguageLibrary(), nullptr);
    SetMessageBoxResponder(previous);
    SetProgramDirectoryForTesting("");

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Could not Load Language Library");
    EXPECT_EQ(shown[0].caption, "");
    EXPECT_TRUE(shown[0].taskModal);
    EXPECT_EQ(shown[0].buttons, MessageButtons::Ok);
}

TEST(MessageBox, WithoutDisplayItCannotBeShown) {
    // The test programs run on the offscreen platform: no user could answer.
    EXPECT_EQ(ShowMessageBox({"text", "caption", MessageButtons::YesNo}), MessageResult::Failed);
}
