#include "SysObjectId.h"

namespace qx {

namespace {

constexpr const char* kEarlierDevices[] = {
    "1.3.6.1.4.1.32473.2.3.7",  "1.3.6.1.4.1.32473.2.3.8",  "1.3.6.1.4.1.32473.2.3.9",
    "1.3.6.1.4.1.32473.2.3.10", "1.3.6.1.4.1.32473.2.3.11", "1.3.6.1.4.1.32473.2.3.12",
};

}  // namespace

bool IsKorvalenSysObjectId(std::string_view text) {
    return text == kSysObjectIdKorvalenA || text == kSysObjectIdKorvalenB;
}

SysObjectIdKind ClassifySysObjectId(std::string_view text) {
    if (IsKorvalenSysObjectId(text))
        return SysObjectIdKind::Korvalen;
    if (text == kSysObjectIdWindowsController)
        return SysObjectIdKind::WindowsPc;
    if (text == kSysObjectIdNetSnmpController)
        return SysObjectIdKind::NetSnmpPc;
    for (const char* earlier : kEarlierDevices)
        if (text == earlier)
            return SysObjectIdKind::Earlier;
    if (text.find(kSysObjectIdBriselArc) != std::string_view::npos)
        return SysObjectIdKind::Brisel;
    if (text.find(kSysObjectIdOrvenArc) != std::string_view::npos)
        return SysObjectIdKind::Orven;
    return SysObjectIdKind::Other;
}

}  // namespace qx
