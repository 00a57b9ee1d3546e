#pragma once
// The two discovery dialogs as the document-monitor objects open them: the
// local one (one device list; the user picks a device) and the network one
// (the devices the monitor watches). Each runs modally on the calling
// thread. Tests put their own stand-ins in.

#include <functional>
#include <string>

namespace qx {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

struct LocalDiscoveryRequest {
    int nCaller = 0;
    // The further start field that DoNetworkDiscovery sets to 4; its meaning
    // belongs to the dialog.
    int nStartField = 0;
};

struct LocalDiscoveryResult {
    int result = IDCANCEL;  // how the dialog ended
    std::string address;    // the selected row's address and name (on IDOK)
    std::string name;
};

LocalDiscoveryResult RunLocalDiscoveryDialog(const LocalDiscoveryRequest& request);
// family: 1 KORVALEN, 2 ORVEN; mode 17 shows only the maker's devices.
// IDOK or IDCANCEL.
int RunNetworkDiscoveryDialog(int family, int mode);

using LocalDiscoveryRunner = std::function<LocalDiscoveryResult(const LocalDiscoveryRequest&)>;
using NetworkDiscoveryRunner = std::function<int(int family, int mode)>;
// Empty functions give the real dialogs back.
void SetDiscoveryDialogsForTesting(LocalDiscoveryRunner local, NetworkDiscoveryRunner network);

}  // namespace qx
