#include "MessageBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include <mutex>

namespace qx {

namespace {

std::mutex g_mutex;
MessageBoxResponder g_responder;

bool DisplayAvailable() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

QMessageBox::StandardButtons ButtonsOf(MessageButtons b) {
    switch (b) {
        case MessageButtons::Ok:
            return QMessageBox::Ok;
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(MessageIcon i) {
    switch (i) {
        case MessageIcon::None:
            return QMessageBox::NoIcon;
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

MessageResult ResultOf(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return MessageResult::Ok;
        case QMessageBox::Cancel:
            return MessageResult::Cancel;
        case QMessageBox::Abort:
            return MessageResult::Abort;
        case QMessageBox::Retry:
            return MessageResult::Retry;
        case QMessageBox::Ignore:
            return MessageResult::Ignore;
        case QMessageBox::Yes:
            return MessageResult::Yes;
        case QMessageBox::No:
            return MessageResult::No;
        default:
            return MessageResult::Cancel;  // closed by the window manager
    }
}

}  // namespace

MessageBoxResponder SetMessageBoxResponder(MessageBoxResponder responder) {
    std::lock_guard lock(g_mutex);
    std::swap(g_responder, responder);
    return responder;
}

MessageResult ShowMessageBox(const MessageBoxRequest& request) {
    MessageBoxResponder responder;
    {
        std::lock_guard lock(g_mutex);
        responder = g_responder;
    }
    if (responder)
        return responder(request);
    if (!DisplayAvailable())
        return MessageResult::Failed;

    QMessageBox box(IconOf(request.icon), QString::fromUtf8(request.caption),
                    QString::fromUtf8(request.text), ButtonsOf(request.buttons), request.owner);
    // Task-modal and owner-less boxes block every window of the application.
    box.setWindowModality(request.taskModal || !request.owner ? Qt::ApplicationModal
                                                              : Qt::WindowModal);
    if (request.topmost)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    return ResultOf(box.exec());
}

}  // namespace qx
