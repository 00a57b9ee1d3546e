#include "NetworkDeviceIdentification.h"

#include "model/SysObjectId.h"
#include "trace/Trace.h"

namespace qx {

CNetworkDeviceIdentification::CNetworkDeviceIdentification(CDeviceList& list, uint32_t family,
                                                           int mode)
    : CDeviceIdentification(list),
      m_nFamily(family == 1 ? 1 : 2),
      m_nMode(mode),
      m_nTimeOut(IdentificationTimeOut(m_nFamily)) {}

IdentifiedDevice CNetworkDeviceIdentification::Identify(const std::string& address) const {
    IdentifiedDevice device;
    CIdentificationTrace& trace = device.trace;
    const char* a = address.c_str();
    CSnmpTarget target;
    CSnmpSession session;
    SnmpVarBind reply;
    if (FAILED(AskSysObjectId(session, target, address, m_nTimeOut, trace, reply)))
        return device;
    trace("Sysobjectid success in NW Discovery for %s", a);
    const std::string sysObjectId = reply.PrintableValue();
    const SysObjectIdKind kind = ClassifySysObjectId(sysObjectId);
    if (kind == SysObjectIdKind::Other) {
        trace("%s is not Quorvia printer", a);
        if (m_nMode == kModeMakerOnly)
            return device;
    }
    trace("BroadCastQuery: IP Address is %s", a);

    DeviceRow& row = device.row;
    row.address = address;
    switch (kind) {
        case SysObjectIdKind::WindowsPc:
        case SysObjectIdKind::NetSnmpPc:
        case SysObjectIdKind::Earlier:
            if (SUCCEEDED(session.Get(target, kOidDeviceName, reply))) {
                row.name = ReplyText(reply);
                trace("BroadCastQuery: Success for odrageneralqxname %s", row.name.c_str());
            }
            break;
        case SysObjectIdKind::Korvalen:
        case SysObjectIdKind::Brisel:
        case SysObjectIdKind::Orven: {
            const std::string nameOid = std::string(kOidDeviceName) + ".1";
            trace("BroadCastQuery: Query for odrageneralqxname for Korvalen %s", nameOid.c_str());
            if (SUCCEEDED(session.Get(target, nameOid, reply))) {
                row.name = ReplyText(reply);
                trace("BroadCastQuery: Success for odrageneralqxname.1 for Korvalen: %s",
                      row.name.c_str());
                trace("BroadCastQuery: Name retrieved is : %s", row.name.c_str());
            }
            break;
        }
        case SysObjectIdKind::Other:
            trace("BroadCastQuery:Other vendor so querying for sysname. szRet is %s",
                  sysObjectId.c_str());
            if (SUCCEEDED(session.Get(target, kOidSysName, reply)))
                row.name = ReplyText(reply);
            break;
    }
    if (SUCCEEDED(GetNextInColumn(session, target, kOidHrDeviceDescrColumn, reply))) {
        row.model = ReplyText(reply);
        trace("BroadCastQuery: Success for Model. OID is %s", reply.PrintableOid().c_str());
        trace("BroadCastQuery: Value for Model is %s", row.model.c_str());
    }
    if (SUCCEEDED(session.Get(target, kOidDeviceLocation, reply)))
        row.location = ReplyText(reply);
    device.bAdd = true;
    return device;
}

void CNetworkDeviceIdentification::OnDeviceReported(int32_t handle) {
    CIdentificationTrace trace;
    trace("OnMgtInterfaceNotify: Start");
    MgtDevice device;
    if (FAILED(miGetDevice(handle, false, trace, device))) {
        trace.Flush();
        return;
    }
    trace("OnMgtInterfaceNotify: After miGetDevice. Name is: %s. Model is: %s", device.name.c_str(),
          device.model.c_str());
    bool bAdd = true;
    if (m_nMode == kModeMakerOnly) {
        trace("OnMgtInterfaceNotify: Case DISCOVER_QUORVIA");
        CSnmpTarget target;
        target.SetAddress(device.address);
        CSnmpSession session;
        SnmpVarBind reply;
        if (FAILED(session.Get(target, kOidControllerModel, reply))) {
            bAdd = false;
            if (SUCCEEDED(session.Get(target, kOidSysObjectIdText, reply))) {
                const SysObjectIdKind kind = ClassifySysObjectId(reply.PrintableValue());
                if (kind == SysObjectIdKind::Brisel)
                    trace("OnMgtInterfaceNotify: Case DISCOVER_QUORVIA:BRISEL_CONTROLLER");
                bAdd = kind == SysObjectIdKind::Korvalen || kind == SysObjectIdKind::Earlier ||
                       kind == SysObjectIdKind::Brisel;
            }
        }
    }
    trace.Flush();
    if (bAdd)
        m_list.AddDeviceToList(device.name, device.address, device.location, device.model,
                               device.nIcon);
}

}  // namespace qx
