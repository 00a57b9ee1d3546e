#pragma once
// What the dialog tests share: message boxes answered and kept, clicks as
// the user makes them, waiting on the event loop, the program directory
// pointed elsewhere, the language library's texts, and a picture of the
// user's registry to see what a step wrote.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/gui/MessageBox.h"
#include "platform/lang/LanguageLibrary.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/ProgramPath.h"

namespace qxtest {

// Answers the message boxes shown while it lives and keeps them.
class AnsweredBoxes {
  public:
    explicit AnsweredBoxes(qx::MessageResult answer = qx::MessageResult::Ok) : m_answer(answer) {
        m_previous = qx::SetMessageBoxResponder([this](const qx::MessageBoxRequest& request) {
            shown.push_back(request);
            return m_answer;
        });
    }
    ~AnsweredBoxes() { qx::SetMessageBoxResponder(m_previous); }
    AnsweredBoxes(const AnsweredBoxes&) = delete;
    AnsweredBoxes& operator=(const AnsweredBoxes&) = delete;
    void Answer(qx::MessageResult answer) { m_answer = answer; }
    // The boxes since the last call.
    std::vector<qx::MessageBoxRequest> Take() {
        std::vector<qx::MessageBoxRequest> taken;
        taken.swap(shown);
        return taken;
    }
    std::vector<qx::MessageBoxRequest> shown;

  private:
    qx::MessageResult m_answer;
    qx::MessageBoxResponder m_previous;
};

using MessageBoxes = AnsweredBoxes;

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

inline bool Spin(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Every value below HKEY_CURRENT_USER as "key\name" -> text.
inline void SnapshotKey(const qx::reg::Key& key, const std::string& path,
                        std::map<std::string, std::string>& out) {
    std::string name;
    for (uint32_t i = 0; key.EnumValue(i, name) == 0; ++i) {
        std::string text;
        key.GetString(name, text);
        out[path + "\\" + name] = text;
    }
    std::vector<std::string> subkeys;
    key.SubKeyNames(subkeys);
    for (const std::string& sub : subkeys) {
        qx::reg::Key child;
        if (key.Open(sub, qx::reg::Access::Read, child) == 0)
            SnapshotKey(child, path.empty() ? sub : path + "\\" + sub, out);
    }
}

inline std::map<std::string, std::string> UserRegistry() {
    std::map<std::string, std::string> out;
    qx::reg::Key root;
    if (qx::reg::Key::Open(qx::reg::Hive::CurrentUser, "", qx::reg::Access::Read, root) == 0)
        SnapshotKey(root, "", out);
    return out;
}

// The keys whose values a step added, changed or removed.
inline std::vector<std::string> ChangedKeys(const std::map<std::string, std::string>& before,
                                            const std::map<std::string, std::string>& after) {
    std::vector<std::string> keys;
    auto add = [&](const std::string& value) {
        std::string key = value.substr(0, value.rfind('\\'));
        if (keys.empty() || keys.back() != key)
            keys.push_back(key);
    };
    for (const auto& [name, text] : after) {
        auto it = before.find(name);
        if (it == before.end() || it->second != text)
            add(name);
    }
    for (const auto& [name, text] : before)
        if (!after.count(name))
            add(name);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

}  // namespace qxtest
