// The first-address window: its texts from the language library, or its own
// when the library is missing or lacks them.

#include <gtest/gtest.h>

#include <QLabel>

#include <fstream>

#include "QtPrinters.h"
#include "platform/lang/LanguageLibrary.h"
#include "platform/system/ProgramPath.h"
#include "support/TempRegistry.h"
#include "ui/ControlId.h"
#include "ui/DseFirstAddressQuery.h"

using namespace qx;

namespace {

// Points the program directory at a folder of the test's own for as long as
// it lives.
class ProgramDirectory {
  public:
    explicit ProgramDirectory(const std::string& dir) { SetProgramDirectoryForTesting(dir); }
    ~ProgramDirectory() { SetProgramDirectoryForTesting(""); }
};

TEST(FirstAddressQueryTest, TakesItsTextsFromTheLanguageLibrary) {
    // The installed library has both texts.
    const auto installed = LanguageLibrary::Load();
    ASSERT_NE(installed, nullptr) << "the build puts tnlang.dll beside the tests";
    EXPECT_TRUE(installed->Has(CDseFirstAddressQuery::kTextStringId));
    EXPECT_TRUE(installed->Has(CDseFirstAddressQuery::kCaptionStringId));

    qxtest::TempDir dir;
    std::ofstream(dir.Path() + "/tnlang.dll") << "20\tSearching for the printer\n"
                                                 "55\tAddress search\n";
    ProgramDirectory programDir(dir.Path());
    CDseFirstAddressQuery dialog;
    // The texts are read when the window opens.
    EXPECT_EQ(dialog.windowTitle(), CDseFirstAddressQuery::kResourceCaption);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Address search");
    QLabel* text = dialog.TextControl();
    EXPECT_EQ(FindControl(&dialog, 213), text);
    EXPECT_EQ(text->text(), "Searching for the printer");
    EXPECT_TRUE(text->isVisible());
    EXPECT_EQ(ControlId(&dialog), 15009);
}

TEST(FirstAddressQueryTest, KeepsItsOwnTextsWithoutTheLibrary) {
    qxtest::TempDir dir;
    ProgramDirectory programDir(dir.Path());
    CDseFirstAddressQuery dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Printer Address");
    EXPECT_EQ(dialog.TextControl()->text(), "Locating printer address. Please wait.");
}

TEST(FirstAddressQueryTest, KeepsItsOwnTextForAStringTheLibraryLacks) {
    qxtest::TempDir dir;
    std::ofstream(dir.Path() + "/tnlang.dll") << "55\tLooking up\n";
    ProgramDirectory programDir(dir.Path());
    CDseFirstAddressQuery dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Looking up");
    EXPECT_EQ(dialog.TextControl()->text(), "Locating printer address. Please wait.");
}

}  // namespace
