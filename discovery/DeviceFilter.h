#pragma once
// The local discovery dialog's device filter (0 to 16): which type texts of
// devices that the management component reports the dialog shows. The value
// is derived from the device kinds the user selected; 0, 1 and values above
// 16 accept nothing.

#include <string_view>

namespace qx {

enum class DeviceFilterResult {
    Rejected,
    Accepted,
    AcceptedMfp,       // an a-LUMERA name: a Korvalen MFP
    CheckSysObjectId,  // nothing matched, but a Korvalen sysObjectID would be accepted
};

inline constexpr int kDeviceFilterMax = 16;

// Model names compare without regard to case, the exact texts with it.
DeviceFilterResult DeviceFilter(int filter, std::string_view typeText);

}  // namespace qx
