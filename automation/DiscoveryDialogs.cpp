#include "DiscoveryDialogs.h"

#include <QApplication>

#include <utility>

#include "discovery/dialogs/DiscoveryLocal.h"
#include "discovery/dialogs/DseDiscoveryDlg.h"
#include "trace/Trace.h"

namespace qx {

namespace {

LocalDiscoveryRunner& LocalOverride() {
    static LocalDiscoveryRunner runner;
    return runner;
}

NetworkDiscoveryRunner& NetworkOverride() {
    static NetworkDiscoveryRunner runner;
    return runner;
}

// A widget made without a QApplication aborts the process; a program that
// has none (a tool, a test of the objects alone) gets a cancelled dialog.
bool CanShowDialogs() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace

LocalDiscoveryResult RunLocalDiscoveryDialog(const LocalDiscoveryRequest& request) {
    if (LocalOverride())
        return LocalOverride()(request);
    if (!CanShowDialogs()) {
        Trace(kTracePrefix, "Local discovery dialog for caller %d cannot be shown here",
              request.nCaller);
        return {};
    }
    // The start field is the dialog's device filter. The dialog sets it from
    // the caller number as it opens, over whatever its creator put there, and
    // here it opens in its constructor: setting it afterwards would change
    // what the dialog looks for, so the field is only carried.
    CDiscoveryLocal dlg(request.nCaller);
    LocalDiscoveryResult result;
    if (dlg.exec() == QDialog::Accepted) {
        result.result = IDOK;
        result.address = dlg.SelectedAddress();
        result.name = dlg.SelectedName();
    }
    return result;
}

int RunNetworkDiscoveryDialog(int family, int mode) {
    if (NetworkOverride())
        return NetworkOverride()(family, mode);
    if (!CanShowDialogs()) {
        Trace(kTracePrefix, "Network discovery dialog for family %d, mode %d cannot be shown here",
              family, mode);
        return IDCANCEL;
    }
    CDseDiscoveryDlg dlg(static_cast<uint32_t>(family), mode);
    return dlg.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void SetDiscoveryDialogsForTesting(LocalDiscoveryRunner local, NetworkDiscoveryRunner network) {
    LocalOverride() = std::move(local);
    NetworkOverride() = std::move(network);
}

}  // namespace qx
