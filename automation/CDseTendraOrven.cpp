#include "CDseTendraOrven.h"

namespace qx {

HRESULT CDseTendraOrven::SubmitDocumentOrven(BSTR, BSTR, int32_t) {
    return E_NOTIMPL;
}

HRESULT CDseTendraOrven::GetPrinterAddressOrven(BSTR, int32_t, VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDseTendraOrven::DoNetworkDiscoveryOrven(int) {
    return E_NOTIMPL;
}

HRESULT CDseTendraOrven::DoNetworkDiscoveryOr(int*) {
    return E_NOTIMPL;
}

}  // namespace qx
