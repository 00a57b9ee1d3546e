#include "SelectedDevice.h"

#include "DeviceIdentification.h"
#include "model/SysObjectId.h"
#include "platform/lang/LanguageLibrary.h"

namespace qx {

namespace {

// "" when the device does not answer.
std::string SysObjectIdOf(CSnmpSession& session, const CSnmpTarget& target) {
    SnmpVarBind reply;
    return SUCCEEDED(session.Get(target, kOidSysObjectIdText, reply)) ? reply.PrintableValue()
                                                                      : std::string();
}

}  // namespace

std::string SelectedDeviceWebAddress(const DeviceRow& row) {
    CSnmpTarget target;
    target.SetAddress(row.address);
    CSnmpSession session;
    switch (ClassifySysObjectId(SysObjectIdOf(session, target))) {
        case SysObjectIdKind::Korvalen:
        case SysObjectIdKind::Brisel:
        case SysObjectIdKind::Orven:
            return kWebSchemePrefix + row.address + ":8080";
        default:
            return kWebSchemePrefix + row.name;
    }
}

int SelectedDeviceFamilyCode(const std::string& address) {
    CSnmpTarget target;
    target.SetAddress(address);
    CSnmpSession session;
    const std::string sysObjectId = SysObjectIdOf(session, target);
    if (sysObjectId.empty())
        return -1;
    switch (ClassifySysObjectId(sysObjectId)) {
        case SysObjectIdKind::Korvalen:
            return 1;
        case SysObjectIdKind::NetSnmpPc:
            return 2;
        case SysObjectIdKind::WindowsPc: {
            SnmpVarBind reply;
            auto language = LanguageLibrary::Load();
            if (language && SUCCEEDED(session.Get(target, kOidControllerModel, reply))) {
                const std::string model = ReplyText(reply);
                for (uint32_t id : {kStringRk2020ModelA, kStringRk2020ModelB}) {
                    const std::string text = language->String(id);
                    if (!text.empty() && model == text)
                        return 3;
                }
            }
            return 4;
        }
        case SysObjectIdKind::Brisel:
            return 5;
        case SysObjectIdKind::Orven:
            return 6;
        default:
            return -1;
    }
}

}  // namespace qx
