#include "DiscoverySettings.h"

namespace qx {

int DeviceFilterFromKinds(const LocalDiscoverySettings& settings) {
    if (!settings.bIpEnabled && !settings.bIpxEnabled)
        return 0;
    // Indexed by R20 | Q2 << 1 | R30 << 2 | K << 3; the filter numbers are
    // those the identification of the reported devices knows.
    static constexpr int kFilter[16] = {0, 3, 2, 6, 4, 9, 7, 12, 5, 10, 8, 13, 11, 15, 14, 16};
    const int nIndex = (settings.bRk2020 ? 1 : 0) | (settings.bQx2 ? 2 : 0) |
                       (settings.bRk2030 ? 4 : 0) | (settings.bKorvalen ? 8 : 0);
    return kFilter[nIndex];
}

int DiscoveryModeFromSettings(const NetworkDiscoverySettings& settings) {
    if (!settings.bIpEnabled && !settings.bIpxEnabled)
        return kDiscoveryModeNone;
    if (settings.bMakersDevices)
        return kDiscoveryModeMakersDevices;
    if (settings.bAllDevices)
        return kDiscoveryModeAllDevices;
    return kDiscoveryModeNone;
}

void SetRadioButtonsFromMode(NetworkDiscoverySettings& settings, int nMode) {
    settings.bMakersDevices = nMode == kDiscoveryModeMakersDevices;
    settings.bAllDevices = nMode == kDiscoveryModeAllDevices;
}

bool CallerWithoutIpx(int nCaller) {
    return nCaller == 1 || nCaller == 9 || nCaller == 14;
}

bool CallerWithoutHelp(int nCaller) {
    // The installers ship without the help file.
    return nCaller == 4 || nCaller == 5 || nCaller == 12 || nCaller == 21;
}

}  // namespace qx
