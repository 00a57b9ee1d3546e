#include "LocalDeviceIdentification.h"

#include "DeviceFilter.h"
#include "model/SysObjectId.h"
#include "platform/lang/LanguageLibrary.h"
#include "trace/Trace.h"

namespace qx {

namespace {

enum class Mark { None, Korvalen, Brisel, Orven };

bool HasFax(CSnmpSession& session, const CSnmpTarget& target, CIdentificationTrace& trace) {
    SnmpVarBind reply;
    if (FAILED(session.Get(target, kOidFaxEnabled, reply))) {
        trace("Query for faxEnabled failed");
        return false;
    }
    trace("Query for faxEnabled success");
    int32_t value = 0;
    reply.GetInt32(value);
    if (value == kFaxEnabledNoFax) {
        trace("No fax");
        return false;
    }
    return true;
}

}  // namespace

uint32_t CallerFamily(int nCaller) {
    return nCaller >= 0 && nCaller <= 5 ? 1 : 2;
}

DeviceKinds InitialDeviceKinds(int nCaller) {
    DeviceKinds kinds;
    switch (nCaller) {
        case 4:
        case 6:
            kinds.bBrisel = true;
            break;
        case 5:
        case 7:
            kinds.bKorvalen = true;
            break;
        case 8:
        case 12:
        case 13:
            kinds.bOrven = true;
            break;
        case 9:
        case 10:
        case 11:
        case 14:
        case 21:
            kinds.bKorvalen = kinds.bBrisel = kinds.bOrven = true;
            break;
        default:  // 0 to 3 and unknown callers
            kinds.bKorvalen = kinds.bBrisel = true;
            break;
    }
    return kinds;
}

int InitialDeviceFilter(int nCaller) {
    return InitialDeviceKinds(nCaller).bKorvalen ? 5 : 0;
}

uint32_t CallerTimeOut(int nCaller) {
    if (nCaller >= 0 && nCaller <= 5)
        return IdentificationTimeOut(1);
    if ((nCaller >= 6 && nCaller <= 14) || nCaller == 21)
        return IdentificationTimeOut(2);
    return kDefaultIdentificationTimeOut;
}

CLocalDeviceIdentification::CLocalDeviceIdentification(CDeviceList& list, int nCaller)
    : CDeviceIdentification(list),
      m_nCaller(nCaller),
      m_kinds(InitialDeviceKinds(nCaller)),
      m_nDeviceFilter(InitialDeviceFilter(nCaller)),
      m_nTimeOut(CallerTimeOut(nCaller)) {}

IdentifiedDevice CLocalDeviceIdentification::Identify(const std::string& address) const {
    IdentifiedDevice device;
    CIdentificationTrace& trace = device.trace;
    const char* a = address.c_str();
    CSnmpTarget target;
    CSnmpSession session;
    SnmpVarBind reply;
    if (FAILED(AskSysObjectId(session, target, address, m_nTimeOut, trace, reply))) {
        trace("Sysobjectid failed in Local Discovery in second attempt for %s", a);
        return device;
    }
    trace("Sysobjectid success in Local Discovery for %s", a);
    const std::string sysObjectId = reply.PrintableValue();
    if (sysObjectId.empty())
        return device;
    trace("Sysobjectid returns %s", sysObjectId.c_str());

    const SysObjectIdKind kind = ClassifySysObjectId(sysObjectId);
    bool bAdd = false;
    bool bClassified = false;
    Mark mark = Mark::None;
    if (kind == SysObjectIdKind::WindowsPc || kind == SysObjectIdKind::NetSnmpPc) {
        trace("RK2020 or QX2 controller or RK2030 controller");
        if (SUCCEEDED(session.Get(target, kOidControllerModel, reply))) {
            auto language = LanguageLibrary::Load();
            if (!language)
                return device;
            const std::string model = ReplyText(reply);
            const std::string rk2020A = language->String(kStringRk2020ModelA);
            const std::string rk2020B = language->String(kStringRk2020ModelB);
            // A missing string must not make every empty model text an RK-2020.
            if ((!rk2020A.empty() && model == rk2020A) || (!rk2020B.empty() && model == rk2020B)) {
                trace("RK2020 controller confirmed");
                bClassified = true;
                if (m_kinds.bRk2020) {
                    trace("RK2020 controller will be displayed");
                    bAdd = true;
                }
            } else if (model == "RK-2030") {
                bClassified = true;
                bAdd = m_kinds.bRk2030;
            }
        }
    }
    if (!bClassified) {
        if (kind == SysObjectIdKind::WindowsPc) {
            bAdd = m_kinds.bQx2;
        } else if (kind == SysObjectIdKind::Korvalen) {
            trace("KORVALEN found");
            if (m_kinds.bKorvalen) {
                trace("KORVALEN checked");
                mark = Mark::Korvalen;
                bAdd = true;
            }
        } else if (kind == SysObjectIdKind::Brisel) {
            trace("Brisel found");
            if (m_kinds.bBrisel) {
                trace("Brisel checked");
                mark = Mark::Brisel;
                bAdd = true;
            }
        } else if (kind == SysObjectIdKind::Orven) {
            trace("Orven found");
            if (m_kinds.bOrven) {
                trace("Orven checked");
                mark = Mark::Orven;
                bAdd = true;
            }
        }
    }

    if ((m_nCaller == 2 || m_nCaller == 10) && mark == Mark::None) {
        trace("ABV calls it");
        if (!HasFax(session, target, trace))
            return device;
    }
    if (!bAdd)
        return device;

    trace("bAddStatus == true");
    const std::string nameOid =
        mark == Mark::None ? std::string(kOidDeviceName) : std::string(kOidDeviceName) + ".1";
    device.row.address = address;
    if (SUCCEEDED(session.Get(target, nameOid, reply))) {
        trace("BroadCastQuery: Success for odrageneralqxname");
        device.row.name = ReplyText(reply);
    }
    if (SUCCEEDED(GetNextInColumn(session, target, kOidHrDeviceDescrColumn, reply)))
        device.row.model = ReplyText(reply);
    if (SUCCEEDED(session.Get(target, kOidDeviceLocation, reply)))
        device.row.location = ReplyText(reply);
    device.bAdd = true;
    return device;
}

void CLocalDeviceIdentification::OnDeviceReported(int32_t handle) {
    CIdentificationTrace trace;
    MgtDevice device;
    if (FAILED(miGetDevice(handle, true, trace, device))) {
        trace.Flush();
        return;
    }
    CSnmpTarget target;
    target.SetAddress(device.address);
    CSnmpSession session;
    SnmpVarBind reply;

    bool bAccepted = false;
    bool bMfp = false;
    switch (DeviceFilter(m_nDeviceFilter, device.typeText)) {
        case DeviceFilterResult::Accepted:
            bAccepted = true;
            break;
        case DeviceFilterResult::AcceptedMfp:
            bAccepted = bMfp = true;
            break;
        case DeviceFilterResult::CheckSysObjectId:
            if (SUCCEEDED(session.Get(target, kOidSysObjectIdText, reply)) &&
                IsKorvalenSysObjectId(reply.PrintableValue()))
                bAccepted = bMfp = true;
            break;
        case DeviceFilterResult::Rejected:
            break;
    }
    if (bAccepted && !bMfp && (m_nCaller == 1 || m_nCaller == 2))
        bAccepted = HasFax(session, target, trace);
    trace.Flush();
    if (bAccepted)
        m_list.AddDeviceToList(device.name, device.address, device.location, device.model,
                               device.nIcon);
}

}  // namespace qx
