#pragma once
// What the dialog tests share: message boxes answered and kept, the program
// directory pointed elsewhere, the installed language library's texts.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QTest>

#include <string>
#include <vector>

#include "platform/gui/MessageBox.h"
#include "platform/lang/LanguageLibrary.h"
#include "platform/system/ProgramPath.h"

namespace qxtest {

// Answers the message boxes shown while it lives and keeps them.
class MessageBoxes {
  public:
    MessageBoxes() {
        m_previous = qx::SetMessageBoxResponder([this](const qx::MessageBoxRequest& request) {
            shown.push_back(request);
            return qx::MessageResult::Ok;
        });
    }
    ~MessageBoxes() { qx::SetMessageBoxResponder(m_previous); }
    MessageBoxes(const MessageBoxes&) = delete;
    MessageBoxes& operator=(const MessageBoxes&) = delete;

    // The boxes since the last call.
    std::vector<qx::MessageBoxRequest> Take() {
        std::vector<qx::MessageBoxRequest> taken;
        taken.swap(shown);
        return taken;
    }

    std::vector<qx::MessageBoxRequest> shown;

  private:
    qx::MessageBoxResponder m_previous;
};

// Points the program directory at a folder of the test's own while it lives.
class ProgramDirectory {
  public:
    explicit ProgramDirectory(const std::string& dir) { qx::SetProgramDirectoryForTesting(dir); }
    ~ProgramDirectory() { qx::SetProgramDirectoryForTesting(""); }
    ProgramDirectory(const ProgramDirectory&) = delete;
    ProgramDirectory& operator=(const ProgramDirectory&) = delete;
};

// A text of the language library installed beside the tests.
inline std::string LibraryText(uint32_t id) {
    const auto library = qx::LanguageLibrary::Load();
    return library ? library->String(id) : std::string("<no language library>");
}

// A check box or radio button stretched by its layout takes clicks only on
// its mark and text: click the mark.
inline void Click(QAbstractButton* button) {
    const bool bMark = qobject_cast<QCheckBox*>(button) != nullptr ||
                       qobject_cast<QRadioButton*>(button) != nullptr;
    QTest::mouseClick(button, Qt::LeftButton, {},
                      bMark ? QPoint(8, button->height() / 2) : button->rect().center());
    QApplication::processEvents();
}

}  // namespace qxtest
