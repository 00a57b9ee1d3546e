// The first-address window: its texts from the language library, or its own
// when the library is missing or lacks them.

#include <gtest/gtest.h>

#include <QLabel>

#include <fstream>

#include "QtPrinters.h"
#include "platform/LanguageLibrary.h"
#include "platform/ProgramPath.h"
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
    const auto library = LanguageLibrary::Load();
    ASSERT_NE(library, nullptr) << "the build puts tnlang.dll beside the tests";
    ASSERT_TRUE(library->Has(20));
    ASSERT_TRUE(library->Has(55));

    CDseFirstAddressQuery dialog;
    EXPECT_EQ(dialog.windowTitle(), CDseFirstAddressQuery::kResourceCaption);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QString::fromStdString(library->String(55)));
    QLabel* text = dialog.TextControl();
    EXPECT_EQ(FindControl(&dialog, 213), text);
    EXPECT_EQ(text->text(), QString::fromStdString(library->String(20)));
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
