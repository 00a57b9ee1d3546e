#include "LocalDiscoveryPick.h"

#include <QDialog>

#include <utility>

#include "discovery/dialogs/DiscoveryLocal.h"
#include "trace/Trace.h"

namespace qx {

namespace {
LocalDiscoveryPicker& Picker() {
    static LocalDiscoveryPicker picker;
    return picker;
}
}  // namespace

void SetLocalDiscoveryPickerForTesting(LocalDiscoveryPicker picker) {
    Picker() = std::move(picker);
}

bool PickDeviceByLocalDiscovery(int nCaller, int deviceFilter, std::string& address) {
    if (Picker())
        return Picker()(nCaller, deviceFilter, address);
    CDiscoveryLocal dialog(nCaller);
    dialog.LocalIdentification().SetDeviceFilter(deviceFilter);
    if (dialog.exec() != QDialog::Accepted) {
        Trace(kTracePrefix, "Local discovery dialog for caller %d ended without OK", nCaller);
        return false;
    }
    address = dialog.SelectedAddress();
    return true;
}

}  // namespace qx
