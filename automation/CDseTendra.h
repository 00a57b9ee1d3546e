#pragma once
// What the two document-monitor classes do, once, for either family: hand a
// printed document's submission over to the Tendra monitor (a record in the
// registry and the monitor's named event), give a printer's device address
// (asking the user and opening the local discovery dialog when it is not
// known yet), and open the discovery dialogs. CDseTendraKORVALEN and
// CDseTendraOrven forward to it with their family's differences. Keeps no
// state between calls.

#include <optional>
#include <string>
#include <string_view>

#include "platform/com/Bstr.h"
#include "platform/com/HResult.h"
#include "platform/com/Variant.h"

namespace qx {

// The named event that the Tendra monitor creates and waits on.
inline constexpr const char* kMonitorEventName = "QXTENDRA_MONITOR_DOCUMENT";

class CDseTendra {
  public:
    struct Family {
        int nFamily;       // 1 KORVALEN, 2 ORVEN: keys, tables and dialogs
        int nLocalCaller;  // the local dialog's caller number for GetPrinterAddress
        bool bOrven;       // the twin's differences (IPX servers, callers 1 and 2, traces)
    };
    static constexpr Family kKorvalen{1, 3, false};
    static constexpr Family kOrven{2, 11, true};

    explicit CDseTendra(const Family& family) : m_family(family) {}

    HRESULT SubmitDocument(BSTR bstrPrinterName, BSTR bstrSubmissionID, int32_t PrinterFamily);
    HRESULT GetPrinterAddress(BSTR bstrPrinterName, int32_t PrinterFamily, VARIANT* address);
    HRESULT DoNetworkDiscovery(int nCaller);
    HRESULT DoNetworkDiscoveryNetwork(int* nCancel);

    // Writes the record "<base>\Submissions\<id>" with "Address" and
    // "Printer"; the registry's error code.
    static long WriteSubmission(const std::string& printer, const std::string& submissionId,
                                const std::string& address, int family);
    // "<base>\Submissions": below the KORVALEN settings key for family 1,
    // below "Software\Quorvia" for any other.
    static std::string SubmissionsKey(int family);
    // Whether the printers table knows the printer and no address is stored
    // for its port yet.
    bool IsFirstDiscover(const std::string& printerName) const;
    // A print controller's host name (or dotted address) as dotted IPv4 text.
    static std::optional<std::string> ResolveControllerHost(const std::string& host);

  private:
    // The print-server case of SubmitDocument: the controller's address by
    // name, as an IPX server part (ORVEN), or from the PrinterDiscovery store.
    // S_FALSE when the stored value cannot be read.
    HRESULT SharedPrinterAddress(const std::string& printerName, std::string& address) const;

    Family m_family;
};

}  // namespace qx
