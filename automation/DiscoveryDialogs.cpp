#include "DiscoveryDialogs.h"

#include <utility>

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

}  // namespace

// The dialogs themselves come with the discovery subsystem; until then a
// request ends as if the user had cancelled it.
LocalDiscoveryResult RunLocalDiscoveryDialog(const LocalDiscoveryRequest& request) {
    if (LocalOverride())
        return LocalOverride()(request);
    Trace(kTracePrefix, "Local discovery dialog for caller %d is not available", request.nCaller);
    return {};
}

int RunNetworkDiscoveryDialog(int family, int mode) {
    if (NetworkOverride())
        return NetworkOverride()(family, mode);
    Trace(kTracePrefix, "Network discovery dialog for family %d, mode %d is not available", family,
          mode);
    return IDCANCEL;
}

void SetDiscoveryDialogsForTesting(LocalDiscoveryRunner local, NetworkDiscoveryRunner network) {
    LocalOverride() = std::move(local);
    NetworkOverride() = std::move(network);
}

}  // namespace qx
