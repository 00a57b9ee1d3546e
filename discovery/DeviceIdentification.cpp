#include "DeviceIdentification.h"

#include "model/SlotOrderRun.h"
#include "platform/com/Bstr.h"
#include "platform/registry/RegistryKey.h"
#include "settings/Settings.h"
#include "trace/Trace.h"

namespace qx {

namespace {

constexpr size_t kFieldLimit = 259;  // the 260-byte fields of a row, less the zero

// The component's answer as text; "" for anything else or a failure.
std::string ElementText(Imgt* mgt, int32_t id, int32_t handle) {
    Variant v;
    if (FAILED(mgt->getElement(id, handle, v.Get())) || v->vt != VT_BSTR)
        return {};
    std::string text = Utf8FromBstr(v->bstrVal);
    return text.substr(0, text.find('\0'));
}

int32_t ElementNumber(Imgt* mgt, int32_t id, int32_t handle) {
    Variant v;
    if (FAILED(mgt->getElement(id, handle, v.Get())))
        return 0;
    switch (v->vt) {
        case VT_I4:
            return v->lVal;
        case VT_I2:
        case VT_BOOL:
            return v->iVal;
        case VT_INT:
            return v->intVal;
        default:
            return 0;  // a text's first 32 bits would be a pointer, not an icon
    }
}

bool HandleOf(const VARIANT& data, int32_t& handle) {
    switch (data.vt) {
        case VT_I4:
            handle = data.lVal;
            return true;
        case VT_I2:
            handle = data.iVal;
            return true;
        case VT_INT:
            handle = data.intVal;
            return true;
        case VT_BYREF | VT_I4:
            if (!data.plVal)
                return false;
            handle = *data.plVal;
            return true;
        default:
            return false;
    }
}

}  // namespace

HRESULT AskSysObjectId(CSnmpSession& session, CSnmpTarget& target, const std::string& address,
                       uint32_t nTimeOut, CIdentificationTrace& trace, SnmpVarBind& reply) {
    target.SetAddress(address);
    target.SetTimeout(nTimeOut);
    trace("Timeout value is %d", static_cast<int>(nTimeOut));
    const HRESULT hr = session.Get(target, kOidSysObjectIdText, reply);
    if (FAILED(hr))
        trace("Sysobjectid failed in first attempt for %s", address.c_str());
    return hr;
}

uint32_t IdentificationTimeOut(uint32_t family) {
    reg::Key key;
    uint32_t value = kDefaultIdentificationTimeOut;
    if (reg::Key::Open(reg::Hive::CurrentUser, ClientRootKey(family), reg::Access::Read, key) ==
        0) {
        uint32_t stored = 0;
        if (key.GetDword("TimeOut", stored) == 0)
            value = stored;
    }
    return value;
}

std::string ReplyText(const SnmpVarBind& reply) {
    if (reply.type != SNMP_TYPE_OCTETS)
        return {};
    std::string text = reply.octets.substr(0, reply.octets.find('\0'));
    if (text.size() > kFieldLimit) {
        size_t cut = kFieldLimit;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
    }
    return text;
}

HRESULT GetNextInColumn(CSnmpSession& session, const CSnmpTarget& target, const char* column,
                        SnmpVarBind& reply) {
    if (FAILED(session.GetNext(target, column, reply)))
        return E_FAIL;
    const std::string oid = reply.PrintableOid();
    const std::string prefix = std::string(column) + ".";
    return oid.compare(0, prefix.size(), prefix) == 0 ? S_OK : E_FAIL;
}

void CDeviceIdentification::Commit(IdentifiedDevice& device) {
    device.trace.Flush();
    if (device.bAdd)
        m_list.AddDeviceToList(device.row.name, device.row.address, device.row.location,
                               device.row.model, device.nIconFlag);
}

void CDeviceIdentification::BroadCastQuery(const std::string& address) {
    IdentifiedDevice device = Identify(address);
    Commit(device);
}

void CDeviceIdentification::IdentifyAddresses(const std::vector<std::string>& addresses,
                                              size_t maxParallel) {
    RunInSlotOrder<IdentifiedDevice>(
        addresses.size(), maxParallel, [&](size_t slot) { return Identify(addresses[slot]); },
        [&](size_t, IdentifiedDevice& device) { Commit(device); });
}

HRESULT CDeviceIdentification::miGetDevice(int32_t handle, bool bLocal, CIdentificationTrace& trace,
                                           MgtDevice& device) const {
    if (!m_pMgt)
        return E_FAIL;
    m_pMgt->SelectDevice(0, handle);
    m_pMgt->SelectDevice(1, handle);
    device.address = ElementText(m_pMgt, EID_MGT_DEVICE_ADDRESS, handle);
    device.location = ElementText(m_pMgt, EID_MGT_DEVICE_LOCATION, handle);
    device.nIcon = ElementNumber(m_pMgt, EID_MGT_DEVICE_ICON, handle);
    if (!bLocal)
        trace("miGetDevice(),Querying details for: %s", device.address.c_str());

    CSnmpTarget target;  // the library's time-out
    target.SetAddress(device.address);
    CSnmpSession session;
    SnmpVarBind reply;
    if (SUCCEEDED(session.Get(target, kOidHrDeviceDescr1, reply)))
        device.model = ReplyText(reply);

    trace("miGetDevice(),OID for device name is: %s", kOidDeviceName);
    const std::string korvalenName = std::string(kOidDeviceName) + ".1";
    if (SUCCEEDED(session.Get(target, kOidDeviceName, reply))) {
        device.name = ReplyText(reply);
        trace("miGetDevice(),OID for device name success");
        trace("miGetDevice(),Device name is : %s", device.name.c_str());
    } else {
        trace("miGetDevice(),OID for device name trying for Korvalen : %s", korvalenName.c_str());
        if (SUCCEEDED(session.Get(target, korvalenName, reply))) {
            device.name = ReplyText(reply);
            trace("miGetDevice(),device name for Korvalen is: %s", device.name.c_str());
        } else if (SUCCEEDED(session.Get(target, kOidSysName, reply))) {
            device.name = ReplyText(reply);
            trace("miGetDevice(),device name is sysname: %s", device.name.c_str());
        }
    }
    if (bLocal)
        device.typeText = ElementText(m_pMgt, EID_MGT_DEVICE_TYPE, handle);
    return S_OK;
}

void CDeviceIdentification::OnMgtInterfaceNotify(int32_t code, int32_t, int32_t, int32_t, int32_t,
                                                 int32_t, const VARIANT& data) {
    if (code == DISCOVER_QUORVIA) {
        int32_t handle = 0;
        if (!HandleOf(data, handle)) {
            Trace(kTracePrefix, "OnMgtInterfaceNotify: no device handle in the data (%s)",
                  VarTypeName(data.vt).c_str());
            return;
        }
        OnDeviceReported(handle);
    } else if (code == DISCOVER_FINISHED) {
        if (m_finished)
            m_finished();
        SetDwordSetting(SETTING_DISCOVERY_IS_VIRGIN, 0, 1);
    }
}

}  // namespace qx
