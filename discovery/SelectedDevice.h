#pragma once
// What the local discovery dialog asks of the row the user selected: the
// address of its web page and its family code for the caller's
// default-printer check. Both ask the device for its sysObjectID with the
// SNMP library's own time-out.

#include <string>

#include "DeviceList.h"

namespace qx {

inline constexpr const char* kWebSchemePrefix = "http://";

// The maker's families serve their page on port 8080 of their address;
// anything else (and no answer) gets the row's name as host.
std::string SelectedDeviceWebAddress(const DeviceRow& row);

// 1 the Korvalen pair, 2 the net-snmp controller, 3 the Windows controller
// with an RK-2020 model text (language strings 458, 459), 4 the Windows
// controller otherwise, 5 the Brisel arc, 6 the Orven arc, -1 no answer or
// no match.
int SelectedDeviceFamilyCode(const std::string& address);

}  // namespace qx
