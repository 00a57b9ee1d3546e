#pragma once
// What a device's sysObjectID says about it: the maker's families, the
// earlier devices and the two kinds of PC-based controller. Some entries
// match only the whole text, the family arcs match anywhere inside it, so a
// longer Orven OID is still an Orven device while a longer Korvalen OID is
// nobody's.

#include <string_view>

namespace qx {

inline constexpr const char* kOidSysObjectIdText = "1.3.6.1.2.1.1.2.0";
inline constexpr const char* kSysObjectIdKorvalenA = "1.3.6.1.4.1.32473.2.3.14.1";
inline constexpr const char* kSysObjectIdKorvalenB = "1.3.6.1.4.1.32473.2.3.14.2";
inline constexpr const char* kSysObjectIdBriselArc = "1.3.6.1.4.1.32473.2.3.15";
inline constexpr const char* kSysObjectIdOrvenArc = "1.3.6.1.4.1.32473.2.3.16";
inline constexpr const char* kSysObjectIdWindowsController = "1.3.6.1.4.1.311.1.1.3.1.2";
inline constexpr const char* kSysObjectIdNetSnmpController = "1.3.6.1.4.1.8072.3.2.10";

// The controller model text of a PC-based controller, and the location of
// any of the maker's devices.
inline constexpr const char* kOidControllerModel = "1.3.6.1.4.1.32473.2.3.50.1.2.3.1.3.1";
inline constexpr const char* kOidDeviceLocation = "1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4.1.1";

enum class SysObjectIdKind {
    Other,      // not the maker's, or not recognised
    Korvalen,   // one of the Korvalen pair, exactly
    Brisel,     // contains the Brisel arc
    Orven,      // contains the Orven arc
    Earlier,    // .7 to .12 of the maker's device arc, exactly
    WindowsPc,  // a PC-based controller running Windows
    NetSnmpPc,  // a PC-based controller running net-snmp
};

// The Korvalen pair and the exact entries first, then the Brisel arc, then
// the Orven arc.
SysObjectIdKind ClassifySysObjectId(std::string_view text);
bool IsKorvalenSysObjectId(std::string_view text);

}  // namespace qx
