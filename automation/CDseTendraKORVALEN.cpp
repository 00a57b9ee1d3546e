#include "CDseTendraKORVALEN.h"

#include "CDseTendra.h"

namespace qx {

HRESULT CDseTendraKORVALEN::SubmitDocument(BSTR bstrPrinterName, BSTR bstrSubmissionID,
                                           int32_t PrinterFamily) {
    return CDseTendra(CDseTendra::kKorvalen)
        .SubmitDocument(bstrPrinterName, bstrSubmissionID, PrinterFamily);
}

HRESULT CDseTendraKORVALEN::GetPrinterAddress(BSTR bstrPrinterName, int32_t PrinterFamily,
                                              VARIANT* address) {
    return CDseTendra(CDseTendra::kKorvalen)
        .GetPrinterAddress(bstrPrinterName, PrinterFamily, address);
}

HRESULT CDseTendraKORVALEN::DoNetworkDiscovery(int nCaller) {
    return CDseTendra(CDseTendra::kKorvalen).DoNetworkDiscovery(nCaller);
}

HRESULT CDseTendraKORVALEN::DoNetworkDiscoveryKORVALEN(int* nCancel) {
    return CDseTendra(CDseTendra::kKorvalen).DoNetworkDiscoveryNetwork(nCancel);
}

}  // namespace qx
