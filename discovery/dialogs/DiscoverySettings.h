#pragma once
// The values that a discovery dialog hands to its settings dialog and takes
// back on OK, and what the owning dialog derives from them. Plain data: the
// owning dialog copies them both ways, nothing here touches the registry.

#include <string>

namespace qx {

// What both settings dialogs share: the protocols and the address range.
struct DiscoverySettings {
    bool bIpEnabled = false;
    bool bIpxEnabled = false;
    bool bIpAvailable = false;
    bool bIpxAvailable = false;
    // Search the host's subnet rather than From..To.
    bool bUseSubnet = true;
    // Dotted texts. The mask and host address give the subnet range shown
    // while bUseSubnet is set; they are never changed by the dialogs.
    std::string strMask = "0.0.0.0";
    std::string strHost = "0.0.0.0";
    std::string strFrom;
    std::string strTo;
};

// The local discovery dialog's settings: the six device kinds and the caller
// number, which decides which kinds are offered and whether IPX may be used.
struct LocalDiscoverySettings : DiscoverySettings {
    bool bRk2020 = false;
    bool bRk2030 = false;
    bool bQx2 = false;
    bool bKorvalen = false;
    bool bBrisel = false;
    bool bOrven = false;
    int nCaller = 0;
};

// The network discovery dialog's settings: its two device radio buttons
// (601 only the maker's devices, 605 all devices; neither may be selected).
struct NetworkDiscoverySettings : DiscoverySettings {
    bool bMakersDevices = false;
    bool bAllDevices = false;
};

// Discovery modes of the network dialog.
inline constexpr int kDiscoveryModeNone = 0;
inline constexpr int kDiscoveryModeAllDevices = 1;
inline constexpr int kDiscoveryModeMakersDevices = 17;

// The device filter (0..16) that the local dialog derives from RK-2020,
// QX-2, RK-2030 and Korvalen; 0 when none of them is ticked or neither
// protocol is enabled.
int DeviceFilterFromKinds(const LocalDiscoverySettings& settings);

// The network dialog's mode after its settings dialog: 17 for the maker's
// devices, 1 for all devices, 0 when neither is selected or neither protocol
// is enabled.
int DiscoveryModeFromSettings(const NetworkDiscoverySettings& settings);
// The radio buttons that show a mode (17: maker's devices, 1: all, else neither).
void SetRadioButtonsFromMode(NetworkDiscoverySettings& settings, int nMode);

// Caller numbers that may not use IPX (Twain and BRD), and those whose
// settings dialog hides Help (the installers).
bool CallerWithoutIpx(int nCaller);
bool CallerWithoutHelp(int nCaller);

}  // namespace qx
