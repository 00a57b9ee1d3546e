#pragma once
// The snapshot of one device, and of its tandem partner when it runs in
// tandem, read over SNMP. The printer configuration object creates a table
// for one call: it sets m_nFamilyCode and m_pMgt, gives the address, calls
// Refresh and reads the members and GetInputInfo.
//
// Every value is addressed by element id through the mapping files beside
// the program, which the table loads when it is created. Reads go through one
// SNMP reader whose target gets the address and the time-out of the setting
// "SNMPNoConnnectTimeoutInHundredthOfASecond".
//
// A refresh clears both device records and reads, in this order: tandem
// state and MAC address (a failure ends the refresh); then for the device and,
// in tandem, its partner: name, location, model, description, pedestal, punch
// type, fax, finisher type, ADU state, memory size (a failure ends the
// refresh), printer status and error state; for the partner the management
// component is switched to it; then inserter, input trays and the two alert
// lists. Other failed reads leave their field as the clear left it.
//
// The table is used by one thread. BeginRead, EndRead and UpdateFrom take its
// lock for whoever shares a table between threads; Refresh does not.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "PrinterDeviceRecord.h"
#include "model/ElementInterfaces.h"
#include "model/Imgt.h"
#include "model/MIBMappingTable.h"
#include "model/MyComp.h"
#include "model/MyScalar.h"
#include "model/SnmpReader.h"
#include "platform/com/Variant.h"

namespace qx {

class CEventLogWriter;

class CDsePrinterSummaryTable : public IDSECallback {
  public:
    static constexpr int kDeviceCount = 2;
    static constexpr int32_t kInputTrays = 6;
    static constexpr int32_t kOutputBins = 9;
    // The alert walks end at the first row a device does not answer; a
    // device that answers every row is cut off here.
    static constexpr int32_t kMaxAlertRows = 256;
    // The family code that detects the pedestal from the option units.
    static constexpr int32_t kOptionFamilyCode = 13;

    // pMgt may be null and set later; the table never releases it. The
    // second argument is not used.
    explicit CDsePrinterSummaryTable(Imgt* pMgt = nullptr, int32_t reserved = 0);
    ~CDsePrinterSummaryTable() override;
    CDsePrinterSummaryTable(const CDsePrinterSummaryTable&) = delete;
    CDsePrinterSummaryTable& operator=(const CDsePrinterSummaryTable&) = delete;

    // Tells the management component (device 0, element 999) and points the
    // target at the address: up to 15 characters IPv4, 16 to 21 IPX, longer
    // texts leave it without an address so that every read fails.
    void SetAddress(const char* szAddress);

    // S_OK after every step ran; E_FAIL, or a failure of the management
    // component, when the refresh stopped.
    HRESULT Refresh();

    // The paper size, media type and fill level of the tray at a location
    // code (3, 4, 8, 9, 13, 15) of device 0 or 1; other codes and devices
    // leave the outputs untouched.
    void GetInputInfo(int32_t location, int32_t* pPaperSize, int32_t* pMediaType,
                      int32_t* pPercentFull, int32_t device) const;

    // The table's lock, with "DebugCriticalSections" traces. EndRead only
    // after BeginRead on the same thread.
    void BeginRead();
    void EndRead();
    // Replaces this table's values by a copy of other's (alerts without
    // repeated codes), under the locks of both tables.
    void UpdateFrom(CDsePrinterSummaryTable& other);

    // The walks of Refresh for device d (0 or 1).
    HRESULT snmppGetCassettes(int d);
    HRESULT snmppGetFinisherType(int d);
    HRESULT snmppGetPrinterAlerts(int d);
    HRESULT snmppGetPrinterMibAlerts(int d);

    // Why the mapping files did not load; "" when they did.
    const std::string& MibLoadError() const { return m_strMibLoadError; }
    const CSnmpTarget& Target() const { return m_reader.Target(); }

    int32_t m_nFamilyCode = 0;
    Imgt* m_pMgt = nullptr;
    Variant m_varAddress;  // VT_BSTR
    CMyComp m_composite;
    CMyScalar m_scalar;    // element 999 holding the address
    CSnmpReader m_reader;  // owns the target of every read
    std::recursive_mutex m_lock;
    bool m_bTandem = false;
    bool m_bValid = false;
    uint32_t m_bDebugLocks = 0;
    uint8_t m_errorState[2] = {0, 0};
    PrinterDeviceRecord m_devices[kDeviceCount];
    std::string m_strMacAddress;  // six pairs of hexadecimal digits joined by "."
    std::shared_ptr<const MIBMappingTable> m_pMibTable;  // null when the files did not load
    CEventLogWriter* m_pEventSource = nullptr;
    std::vector<std::string> m_mapFiles;

  private:
    const MIBMappingEntry* Entry(int32_t elementId) const;
    bool IsRk2030(int d) const;
    void ClearDevices();

    HRESULT ReadDevice(int d);
    HRESULT snmppGetTandemState();
    HRESULT snmppGetMacAddress();
    // A text for which the partner falls back to device 0's value.
    HRESULT snmppGetPartnerText(int d, int32_t elementId, int32_t index2,
                                std::string PrinterDeviceRecord::*field);
    HRESULT snmppGetModel(int d);
    HRESULT snmppGetDeviceDescr(int d);
    HRESULT snmppGetPedestal(int d);
    int32_t DetectOptions();
    HRESULT snmppGetInt32Field(int d, int32_t elementId, int32_t PrinterDeviceRecord::*field);
    HRESULT snmppGetADUState(int d);
    HRESULT snmppGetMemorySize(int d);
    HRESULT snmppGetPrinterStatus(int d);
    HRESULT snmppGetInserter(int d);

    std::string m_strMibLoadError;
};

// The maker's alert code at the start of a Printer-MIB alert description:
// "(1A2B) text" gives 0x1A2B. 0 when the text does not start with "(", is
// shorter than four characters, has no ")", starts with no hexadecimal digit
// or holds a code wider than 32 bits.
int32_t MakerAlertCodeOf(const char* szDescription);

}  // namespace qx
