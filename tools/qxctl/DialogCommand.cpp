// qxctl dialog: opens a discovery dialog on its own, as an automation method
// would, so that support staff can try discovery on a workstation; prints the
// result when it closes. With --screenshot DIR it instead shows the dialog
// idle, discovering and with what it found, saves a picture of each and
// closes it.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "Commands.h"
#include "discovery/dialogs/CallerProfile.h"
#include "discovery/dialogs/DeviceListView.h"
#include "discovery/dialogs/DiscoveryLocal.h"
#include "discovery/dialogs/DseDiscoveryDlg.h"
#include "discovery/dialogs/SelectionStore.h"

namespace qxctl {

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "qxctl dialog: %s\n", message.c_str());
    return 1;
}

// A display when there is one; pictures can be taken without.
std::unique_ptr<QApplication> MakeApplication(bool bScreenshot) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", bScreenshot ? "offscreen" : "xcb;wayland;offscreen", 1);
    static int argc = 1;
    static char name[] = "qxctl";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

bool Spin(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

bool Save(QWidget& dialog, const QString& dir, const QString& name) {
    QApplication::processEvents();
    const QString path = QDir(dir).filePath(name + ".png");
    if (!dialog.grab().save(path))
        return false;
    std::printf("%s\n", path.toLocal8Bit().constData());
    return true;
}

// Idle, discovering (a second into the run) and after the run.
int Screenshots(qx::CDiscoveryDialogBase& dialog, const QString& dir, const QString& prefix) {
    if (!QDir().mkpath(dir))
        return Fail("cannot create " + dir.toStdString());
    bool bFinished = false;
    QObject::connect(&dialog, &qx::CDiscoveryDialogBase::discoveryFinished,
                     [&] { bFinished = true; });
    dialog.show();
    if (!Save(dialog, dir, prefix + "-idle"))
        return Fail("cannot write the pictures to " + dir.toStdString());
    dialog.OnAction();
    Spin([&] { return dialog.IsDiscovering(); }, 5000);
    Spin([] { return false; }, 1000);
    Save(dialog, dir, prefix + "-discovering");
    if (!Spin([&] { return bFinished; }, 120000))
        return Fail("the run did not end");
    if (dialog.FoundList()->RowCount() > 0)
        dialog.FoundList()->topLevelItem(0)->setSelected(true);
    Save(dialog, dir, prefix + "-found");
    dialog.done(QDialog::Rejected);
    return 0;
}

}  // namespace

int RunDialog(const Args& arguments) {
    Args args = arguments;
    if (args.empty() || (args[0] != "local" && args[0] != "network"))
        return UsageError("dialog", "say which dialog: local or network");
    const bool bLocal = args[0] == "local";
    args.erase(args.begin());
    std::string callerText, familyText, modeText, screenshotDir, error;
    const bool bCaller = TakeOption(args, "--caller", callerText, error);
    const bool bFamily = error.empty() && TakeOption(args, "--family", familyText, error);
    const bool bMode = error.empty() && TakeOption(args, "--mode", modeText, error);
    const bool bShots = error.empty() && TakeOption(args, "--screenshot", screenshotDir, error);
    if (!error.empty())
        return UsageError("dialog", error);
    if (!args.empty())
        return UsageError("dialog", "unexpected argument \"" + args.front() + "\"");

    int32_t nCaller = 0, nMode = qx::CDseDiscoveryDlg::kModeMakerOnly;
    uint32_t nFamily = 1;
    if (bFamily && (!ParseUint(familyText, nFamily) || nFamily < 1 || nFamily > 2))
        return UsageError("dialog", "bad family \"" + familyText + "\" (1 or 2)");
    if (bLocal) {
        if (!bCaller || !ParseInt(callerText, nCaller))
            return UsageError("dialog", "the local dialog needs --caller N");
        if (bMode)
            return UsageError("dialog", "--mode is for the network dialog");
        const uint32_t nCallerFamily = qx::CallerProfileOf(nCaller).nSettingsFamily;
        if (bFamily && nFamily != nCallerFamily)
            return UsageError(
                "dialog", "caller " + callerText + " uses family " + std::to_string(nCallerFamily));
    } else {
        if (bCaller)
            return UsageError("dialog", "--caller is for the local dialog");
        if (!bFamily)
            return UsageError("dialog", "the network dialog needs --family F");
        if (bMode && !ParseInt(modeText, nMode))
            return UsageError("dialog", "bad mode \"" + modeText + "\"");
    }

    auto app = MakeApplication(bShots);
    std::unique_ptr<qx::CDiscoveryDialogBase> dialog;
    if (bLocal)
        dialog = std::make_unique<qx::CDiscoveryLocal>(nCaller);
    else
        dialog = std::make_unique<qx::CDseDiscoveryDlg>(nFamily, nMode);
    if (!dialog->Initialised())
        return Fail("the dialog could not open (no language library)");
    if (bShots)
        return Screenshots(*dialog, QString::fromStdString(screenshotDir),
                           bLocal ? QStringLiteral("local") : QStringLiteral("network"));

    if (dialog->exec() != QDialog::Accepted) {
        std::printf("cancelled\n");
        return 0;
    }
    if (bLocal) {
        auto& local = static_cast<qx::CDiscoveryLocal&>(*dialog);
        std::printf("address: %s\nname: %s\n", local.SelectedAddress().c_str(),
                    local.SelectedName().c_str());
        if (local.Profile().okWrites == qx::CallerOkWrites::Result)
            std::printf("family code: %d\n", local.SelectedFamilyCode());
    } else {
        std::printf("ok\n");
        for (const qx::DeviceRow& row : qx::ReadLastLookUp(nFamily))
            std::printf("watched: %s\t%s\n", row.address.c_str(), row.name.c_str());
    }
    return 0;
}

}  // namespace qxctl
