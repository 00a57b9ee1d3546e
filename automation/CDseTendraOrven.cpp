#include "CDseTendraOrven.h"

#include "CDseTendra.h"

namespace qx {

HRESULT CDseTendraOrven::SubmitDocumentOrven(BSTR bstrPrinterName, BSTR bstrSubmissionID,
                                             int32_t PrinterFamily) {
    return CDseTendra(CDseTendra::kOrven)
        .SubmitDocument(bstrPrinterName, bstrSubmissionID, PrinterFamily);
}

HRESULT CDseTendraOrven::GetPrinterAddressOrven(BSTR bstrPrinterName, int32_t PrinterFamily,
                                                VARIANT* address) {
    return CDseTendra(CDseTendra::kOrven)
        .GetPrinterAddress(bstrPrinterName, PrinterFamily, address);
}

HRESULT CDseTendraOrven::DoNetworkDiscoveryOrven(int nCaller) {
    return CDseTendra(CDseTendra::kOrven).DoNetworkDiscovery(nCaller);
}

HRESULT CDseTendraOrven::DoNetworkDiscoveryOr(int* nCancel) {
    return CDseTendra(CDseTendra::kOrven).DoNetworkDiscoveryNetwork(nCancel);
}

}  // namespace qx
