#include "CDseTendraKORVALEN.h"

namespace qx {

HRESULT CDseTendraKORVALEN::SubmitDocument(BSTR, BSTR, int32_t) {
    return E_NOTIMPL;
}

HRESULT CDseTendraKORVALEN::GetPrinterAddress(BSTR, int32_t, VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDseTendraKORVALEN::DoNetworkDiscovery(int) {
    return E_NOTIMPL;
}

HRESULT CDseTendraKORVALEN::DoNetworkDiscoveryKORVALEN(int*) {
    return E_NOTIMPL;
}

}  // namespace qx
