// The summary table's life, its refresh and the readers of single values.
// The walks over trays, output bins and alerts are in
// DsePrinterSummaryTableWalks.cpp.

#include "DsePrinterSummaryTable.h"

#include <strings.h>

#include "model/SharedMappingTable.h"
#include "platform/system/ProgramPath.h"
#include "settings/Settings.h"
#include "trace/Trace.h"

namespace qx {

namespace {

// Texts read from a device go into buffers of this size, cut to fit.
constexpr size_t kTextSize = 260;

// Letters a to z only: the rest of a UTF-8 text stays as it is.
std::string UpperCase(const char* text) {
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// "00004A123456" becomes "00.00.4A.12.34.56". A dot goes only before a
// character that is there, so a shorter text gets fewer dots and an empty
// one none.
std::string MacAddressText(const char* text) {
    std::string mac = text;
    for (size_t position : {10, 8, 6, 4, 2})
        if (position < mac.size())
            mac.insert(position, 1, '.');
    return mac;
}

}  // namespace

CDsePrinterSummaryTable::CDsePrinterSummaryTable(Imgt* pMgt, int32_t /*reserved*/)
    : m_pMgt(pMgt), m_varAddress(std::string_view()) {
    m_bDebugLocks = GetDwordSetting(SETTING_DEBUG_CRITICAL_SECTIONS, 1);

    const std::string dir = ProgramDirectory();
    if (dir.empty()) {
        m_strMibLoadError = "the program's directory is unknown";
        return;
    }
    m_mapFiles = MapFilePaths(dir);
    // A table that did not load completely is dropped: every refresh then
    // fails instead of reading with half the elements missing.
    // The table has no event source while it is made, and a load without one
    // has no effect but its table: the one loaded last time from the same,
    // unchanged files serves.
    std::string error;
    m_pMibTable = LoadSharedMappingTable(m_mapFiles, &error);
    if (!m_pMibTable)
        m_strMibLoadError = error.empty() ? std::string("the mapping files") : error;
}

CDsePrinterSummaryTable::~CDsePrinterSummaryTable() = default;

const MIBMappingEntry* CDsePrinterSummaryTable::Entry(int32_t elementId) const {
    return m_pMibTable ? m_pMibTable->GetEntryById(elementId) : nullptr;
}

bool CDsePrinterSummaryTable::IsRk2030(int d) const {
    return strcasecmp(m_devices[d].m_strModel.c_str(), "RK-2030") == 0;
}

void CDsePrinterSummaryTable::SetAddress(const char* szAddress) {
    const std::string_view address = szAddress ? szAddress : "";
    if (m_pMgt)
        m_pMgt->SelectDevice(0, 0);
    m_varAddress = Variant(address);
    if (m_pMgt)
        m_pMgt->setElement(EID_DEVICEADDRESS, 0, m_varAddress.Get());

    m_scalar.SetElementId(EID_DEVICEADDRESS);
    IDSE_ELEMENT* present = nullptr;
    if (m_composite.FindElement(EID_DEVICEADDRESS, &present) == S_OK)
        present->Release();
    if (present != &m_scalar)
        m_composite.AddElement(&m_scalar);
    m_scalar.SetValue(m_varAddress.Get());

    m_reader.Target().SetAddress(address);
    m_reader.Target().SetTimeout(GetDwordSetting(SETTING_SNMP_NO_CONNECT_TIMEOUT, 1));
}

void CDsePrinterSummaryTable::ClearDevices() {
    for (PrinterDeviceRecord& device : m_devices)
        device.Clear();
    m_bTandem = false;
}

HRESULT CDsePrinterSummaryTable::Refresh() {
    ClearDevices();
    if (!m_pMibTable) {
        Trace(kTracePrefix, "***** ERROR ***** Mib Table is NULL. Mapping file Problem.");
        return E_FAIL;
    }
    HRESULT hr = snmppGetTandemState();
    if (SUCCEEDED(hr))
        hr = snmppGetMacAddress();
    if (FAILED(hr)) {
        m_bValid = false;
        return hr;
    }
    const int count = m_bTandem ? 2 : 1;
    for (int d = 0; d < count; ++d) {
        hr = ReadDevice(d);
        if (SUCCEEDED(hr) && d > 0 && m_pMgt)
            hr = m_pMgt->SelectDevice(1, d);
        if (FAILED(hr)) {
            // Also when the management component refused the partner: the
            // values were cleared by this refresh, whatever an earlier one
            // left, so the table is not valid.
            m_bValid = false;
            return hr;
        }
        snmppGetInserter(d);
        snmppGetCassettes(d);
        snmppGetPrinterAlerts(d);
        snmppGetPrinterMibAlerts(d);
    }
    m_bValid = true;
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::ReadDevice(int d) {
    HRESULT hr = S_OK;
    if (FAILED(hr = snmppGetPartnerText(d, EID_ODRAGENERALQXNAME, -1,
                                        &PrinterDeviceRecord::m_strName)) ||
        FAILED(hr = snmppGetPartnerText(d, EID_ODRAGENERALDPLOCATION, 1,
                                        &PrinterDeviceRecord::m_strLocation)) ||
        FAILED(hr = snmppGetModel(d)) || FAILED(hr = snmppGetDeviceDescr(d)) ||
        FAILED(hr = snmppGetPedestal(d)) ||
        FAILED(hr = snmppGetInt32Field(d, EID_ODRAFINISHERHOLEPUNCHTYPE,
                                       &PrinterDeviceRecord::m_nPunchType)) ||
        FAILED(hr = snmppGetInt32Field(d, EID_ODRAGENERALDPFAXENABLED,
                                       &PrinterDeviceRecord::m_nFaxEnabled)) ||
        FAILED(hr = snmppGetFinisherType(d)) || FAILED(hr = snmppGetADUState(d)) ||
        FAILED(hr = snmppGetMemorySize(d)))
        return hr;
    // The status and error state are informative only: their failure does
    // not make the device unreadable.
    snmppGetPrinterStatus(d);
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetTandemState() {
    const MIBMappingEntry* entry = Entry(EID_ODRATANDEMSTATE);
    if (!entry)
        return E_FAIL;
    int32_t state = 0;
    if (FAILED(m_reader.snmppGetInt32Value(entry, 1, 1, &state))) {
        Trace(kTracePrefix, "EID_ODRATANDEMSTATE: failed to get");
        return E_FAIL;
    }
    m_bTandem = state == 3;  // isTandem(3)
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetMacAddress() {
    const MIBMappingEntry* entry = Entry(EID_ODRAGENERALNETCARDMACADDRESS);
    if (!entry)
        return E_FAIL;
    char text[kTextSize] = "";
    if (FAILED(m_reader.snmppGetStringValue(entry, 1, 1, text))) {
        Trace(kTracePrefix, "EID_ODRAGENERALNETCARDMACADDRESS: failed to get");
        return E_FAIL;
    }
    m_strMacAddress = MacAddressText(text);
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetPartnerText(int d, int32_t elementId, int32_t index2,
                                                     std::string PrinterDeviceRecord::*field) {
    const MIBMappingEntry* entry = Entry(elementId);
    if (!entry)
        return E_FAIL;
    char text[kTextSize] = "";
    // A partner that reports nothing under its own name is known by the
    // first device's.
    if (SUCCEEDED(m_reader.snmppGetStringValue(entry, d + 1, index2, text)) &&
        (text[0] != 0 || d == 0))
        m_devices[d].*field = text;
    else
        m_devices[d].*field = m_devices[0].*field;
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetModel(int d) {
    const MIBMappingEntry* entry = Entry(EID_ODRAGENERALQXMODEL);
    if (!entry)
        return E_FAIL;
    // The controllers of the KORVALEN pair report no model of their own.
    if (m_reader.HasSysObjectId({kSysObjectIdKorvalen1, kSysObjectIdKorvalen2}))
        return S_OK;
    char text[kTextSize] = "";
    if (SUCCEEDED(m_reader.snmppGetStringValue(entry, d + 1, -1, text)))
        m_devices[d].m_strModel = UpperCase(text);
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetDeviceDescr(int d) {
    const MIBMappingEntry* entry = Entry(EID_HRDEVICEDESCR);
    if (!entry)
        return E_FAIL;
    char text[kTextSize] = "";
    // The RK-2030 answers its host resources only to GET-NEXT.
    HRESULT hr = IsRk2030(d) ? m_reader.snmppGetNextStringValue(entry, d + 1, -1, text)
                             : m_reader.snmppGetStringValue(entry, d + 1, -1, text);
    if (SUCCEEDED(hr))
        m_devices[d].m_strDeviceDescr = text;
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetPedestal(int d) {
    if (m_nFamilyCode == kOptionFamilyCode) {
        m_devices[d].m_nPedestal = DetectOptions();
        return S_OK;
    }
    return snmppGetInt32Field(d, EID_ODRAGENERALQXPEDESTALSETUP, &PrinterDeviceRecord::m_nPedestal);
}

int32_t CDsePrinterSummaryTable::DetectOptions() {
    // Units are read only as far as they decide the code; a unit answering
    // 0 and one that does not answer are both absent.
    const bool unit2 = m_reader.snmppGetOptionValue(2) != 0;
    if (m_reader.snmppGetOptionValue(5) != 0)
        return unit2 ? 11 : 7;
    if (m_reader.snmppGetOptionValue(4) != 0)
        return unit2 ? 13 : 9;
    if (m_reader.snmppGetOptionValue(3) != 0)
        return unit2 ? 12 : 8;
    return unit2 ? 10 : 6;
}

HRESULT CDsePrinterSummaryTable::snmppGetInt32Field(int d, int32_t elementId,
                                                    int32_t PrinterDeviceRecord::*field) {
    const MIBMappingEntry* entry = Entry(elementId);
    if (!entry)
        return E_FAIL;
    // A reply that is no number leaves the value as it was.
    int32_t value = m_devices[d].*field;
    if (SUCCEEDED(m_reader.snmppGetInt32Value(entry, d + 1, 1, &value)))
        m_devices[d].*field = value;
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetADUState(int d) {
    const MIBMappingEntry* entry = Entry(EID_ODRAADUSTATE);
    if (!entry)
        return E_FAIL;
    int32_t state = 0;
    if (SUCCEEDED(m_reader.snmppGetInt32Value(entry, d + 1, 1, &state)))
        m_devices[d].m_nADUState = state == 3 ? 1 : 0;
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetMemorySize(int d) {
    int32_t size = m_devices[d].m_nMemorySize;
    if (FAILED(m_reader.GetInt32(kOidHrMemorySize, &size)))
        return E_FAIL;
    m_devices[d].m_nMemorySize = size;
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetPrinterStatus(int d) {
    const MIBMappingEntry* entry = Entry(EID_HRPRINTERSTATUS);
    if (!entry)
        return E_FAIL;
    const bool next = IsRk2030(d);
    int32_t status = 0;
    HRESULT hr = next ? m_reader.snmppGetNextInt32Value(entry, d + 1, -1, &status)
                      : m_reader.snmppGetInt32Value(entry, d + 1, -1, &status);
    if (FAILED(hr)) {
        Trace(kTracePrefix, "EID_HRPRINTERSTATUS: failed to get");
        return E_FAIL;
    }
    switch (status) {
        case 1:
            m_devices[d].m_strStatusText.clear();
            Trace(kTracePrefix, "EID_HRPRINTERSTATUS=other(1)");
            break;
        case 2:
            Trace(kTracePrefix, "EID_HRPRINTERSTATUS=unknown(2)");
            break;
        case 3:
            Trace(kTracePrefix, "EID_HRPRINTERSTATUS=idle(3)");
            break;
        case 4:
            Trace(kTracePrefix, "EID_HRPRINTERSTATUS=printing(4)");
            break;
        case 5:
            Trace(kTracePrefix, "EID_HRPRINTERSTATUS=warmup(5)");
            break;
        default:
            Trace(kTracePrefix, "EID_HRPRINTERSTATUS=invalid value %d", status);
            break;
    }

    entry = Entry(EID_HRPRINTERDETECTEDERRORSTATE);
    if (!entry)
        return E_FAIL;
    m_errorState[0] = m_errorState[1] = 0;
    char bits[kTextSize] = "";
    hr = next ? m_reader.snmppGetNextStringValue(entry, d + 1, -1, bits)
              : m_reader.snmppGetStringValue(entry, d + 1, -1, bits);
    if (FAILED(hr)) {
        Trace(kTracePrefix, "EID_HRPRINTERDETECTEDERRORSTATE: failed to get");
        return E_FAIL;
    }
    m_errorState[0] = static_cast<uint8_t>(bits[0]);
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetInserter(int d) {
    const MIBMappingEntry* entry = Entry(EID_ODRAFINISHERINSERTER);
    if (!entry)
        return E_FAIL;
    int32_t value = 0;
    if (FAILED(m_reader.snmppGetInt32Value(entry, d + 1, 1, &value)))
        value = 0;
    m_devices[d].m_bInserter = value == 3 ? 1 : 0;
    return S_OK;
}

void CDsePrinterSummaryTable::BeginRead() {
    if (m_bDebugLocks)
        Trace(kTracePrefix, "Component requests to read table");
    m_lock.lock();
    if (m_bDebugLocks)
        Trace(kTracePrefix, "Component has exclusively opened the table for reading");
}

void CDsePrinterSummaryTable::EndRead() {
    if (m_bDebugLocks)
        Trace(kTracePrefix, "Component has closed the table for reading");
    m_lock.unlock();
}

void CDsePrinterSummaryTable::UpdateFrom(CDsePrinterSummaryTable& other) {
    if (m_bDebugLocks)
        Trace(kTracePrefix, "Component requests to update table");
    {
        // Both locks, taken together so that two tables updating from each
        // other cannot deadlock.
        std::scoped_lock locks(m_lock, other.m_lock);
        Trace(kTracePrefix, "Component has exlusive lock to update table");
        // Updating a table from itself would clear what it is to copy.
        if (&other != this) {
            ClearDevices();
            m_bTandem = other.m_bTandem;
            m_strMacAddress = other.m_strMacAddress;
            m_errorState[0] = other.m_errorState[0];
            m_errorState[1] = other.m_errorState[1];
            for (int d = 0; d < kDeviceCount; ++d) {
                const PrinterDeviceRecord& from = other.m_devices[d];
                PrinterDeviceRecord copy = from;
                copy.m_alerts.clear();
                for (const PrinterAlert& alert : from.m_alerts) {
                    bool known = false;
                    for (const PrinterAlert& kept : copy.m_alerts)
                        known = known || kept.nAlertCode == alert.nAlertCode;
                    if (!known)
                        copy.m_alerts.push_back(alert);
                }
                m_devices[d] = std::move(copy);
            }
            m_varAddress = other.m_varAddress;
        }
    }
    Trace(kTracePrefix, "Component is done updating table");
}

}  // namespace qx
