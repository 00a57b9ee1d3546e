#include "LocalDiscoveryPick.h"

#include <utility>

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
    // Until the dialog is there, the request ends as if the user cancelled it.
    Trace(kTracePrefix, "Local discovery dialog for caller %d (filter %d) is not available",
          nCaller, deviceFilter);
    return false;
}

}  // namespace qx
