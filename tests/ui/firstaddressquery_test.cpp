// The first-address window: its texts from the language library, or its own
// when the library is missing or lacks them.

#include <gtest/gtest.h>

#include <QLabel>

#include <fstream>
#include <vector>

#include "QtPrinters.h"
#include "platform/gui/MessageBox.h"
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

// Answers the message boxes shown while it lives and keeps them.
class MessageBoxes {
  public:
    MessageBoxes() {
        m_previous = SetMessageBoxResponder([this](const MessageBoxRequest& request) {
            shown.push_back(request);
            return MessageResult::Ok;
        });
    }
    ~MessageBoxes() { SetMessageBoxResponder(m_previous); }

    std::vector<MessageBoxRequest> shown;

  private:
    MessageBoxResponder m_previous;
};

TEST(FirstAddressQueryTest, WithoutTheLibraryItSaysSoAndKeepsItsOwnTexts) {
    qxtest::TempDir dir;
    ProgramDirectory programDir(dir.Path());
    MessageBoxes boxes;
    CDseFirstAddressQuery dialog;
    EXPECT_TRUE(boxes.shown.empty()) << "the library is loaded when the window opens";
    dialog.show();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Could not Load Language Library");
    EXPECT_EQ(boxes.shown[0].caption, "");
    EXPECT_TRUE(boxes.shown[0].taskModal);
    EXPECT_EQ(boxes.shown[0].owner, &dialog);
    EXPECT_EQ(dialog.windowTitle(), "Printer Address");
    EXPECT_EQ(dialog.TextControl()->text(), "Locating printer address. Please wait.");

    // Only the first opening reads the library.
    dialog.hide();
    dialog.show();
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST(FirstAddressQueryTest, KeepsItsOwnTextForAStringTheLibraryLacks) {
    qxtest::TempDir dir;
    std::ofstream(dir.Path() + "/tnlang.dll") << "55\tLooking up\n";
    ProgramDirectory programDir(dir.Path());
    MessageBoxes boxes;
    CDseFirstAddressQuery dialog;
    dialog.show();
    EXPECT_TRUE(boxes.shown.empty()) << "the library is there";
    EXPECT_EQ(dialog.windowTitle(), "Looking up");
    EXPECT_EQ(dialog.TextControl()->text(), "Locating printer address. Please wait.");
}

}  // namespace
