#pragma once
// What the discovery dialog tests share: message boxes answered and kept,
// waiting on the event loop, and a picture of the user's registry to see
// what a step wrote.

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/gui/MessageBox.h"
#include "platform/registry/RegistryKey.h"

namespace qxtest {

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
