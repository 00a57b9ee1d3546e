#pragma once
// Modal message boxes. With a display they are real Qt message boxes; without
// one (no GUI application, or the offscreen platform) they cannot be shown and
// the result is Failed (0), as the platform call answers when it fails. Tests
// answer them through a responder they install.

#include <functional>
#include <string>

class QWidget;

namespace qx {

enum class MessageButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MessageIcon { None, Stop, Question, Exclamation, Information };
// The numbers are those of the platform's button ids.
enum class MessageResult {
    Failed = 0,
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7
};

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    bool taskModal = false;
    bool topmost = false;
    QWidget* owner = nullptr;
};

MessageResult ShowMessageBox(const MessageBoxRequest& request);

using MessageBoxResponder = std::function<MessageResult(const MessageBoxRequest&)>;
// Installs a responder that answers every message box instead of a user (an
// empty function removes it). Returns the previous responder.
MessageBoxResponder SetMessageBoxResponder(MessageBoxResponder responder);

}  // namespace qx
