#pragma once
// Stand-in for port address resolution until it arrives: a local printer on
// an "IP_" or Standard TCP/IP port gives the port's "IPAddress", a network
// printer on an "IP_" port the port name behind "IP_"; anything else E_FAIL.

#include <cstdint>

#include "platform/com/Variant.h"

namespace qx {

class NamedEvent;

HRESULT GetLocalPrinterAddress(BSTR bstrPrinterName, VARIANT* pAddress, NamedEvent* hCancelEvent,
                               int nFamily, BSTR bstrPortName, BSTR bstrServerName,
                               uint32_t dwAttribute);

}  // namespace qx
