#include "DiscoverySettings.h"

namespace qx {

int DeviceFilterFromKinds(const LocalDiscoverySettings&) {
    return 0;
}
int DiscoveryModeFromSettings(const NetworkDiscoverySettings&) {
    return 0;
}
void SetRadioButtonsFromMode(NetworkDiscoverySettings&, int) {}
bool CallerWithoutIpx(int) {
    return false;
}
bool CallerWithoutHelp(int) {
    return false;
}

}  // namespace qx
