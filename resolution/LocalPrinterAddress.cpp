#include "LocalPrinterAddress.h"

namespace qx {

HRESULT GetLocalPrinterAddress(BSTR, VARIANT*, NamedEvent*, int, BSTR, BSTR, uint32_t) {
    return E_FAIL;
}

}  // namespace qx
