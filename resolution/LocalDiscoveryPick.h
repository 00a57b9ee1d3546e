#pragma once
// The last resort of port resolution: the local discovery dialog, shown
// modally on the calling thread, where the user finds and picks the device.

#include <functional>
#include <string>

namespace qx {

// The device filter that shows the devices a printer can be resolved to.
constexpr int kResolutionDeviceFilter = 5;

// True when the dialog ended with OK; the chosen device's address then goes
// to address.
bool PickDeviceByLocalDiscovery(int nCaller, int deviceFilter, std::string& address);

// Answers every request instead of the dialog (an empty function removes it).
using LocalDiscoveryPicker = std::function<bool(int nCaller, int deviceFilter, std::string&)>;
void SetLocalDiscoveryPickerForTesting(LocalDiscoveryPicker picker);

}  // namespace qx
