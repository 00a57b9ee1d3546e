#pragma once
// The device address behind a workstation printer, for the printer
// configuration object's InitPrinter: the port's own form, an SNMP check of a
// candidate host, the family's PrinterDiscovery store, a NetWare queue search
// and, as the last resort, the user's pick in the local discovery dialog
// (which is then stored for the port). Runs on the caller's thread and may
// block for name resolution, SNMP time-outs or the user.

#include <cstdint>

#include "platform/com/HResult.h"
#include "platform/com/Variant.h"
#include "resolution/ResolverTypes.h"

namespace qx {

class NamedEvent;

// bstrPrinterName is not used. pAddress receives the address as VT_BSTR on
// S_OK (and, after the dialog, also when a late cancel or a failed store
// write gives E_FAIL). hCancelEvent is the caller's cancel event (null for
// none); when it is found signalled it is reset and the request fails.
// family: 1 KORVALEN, 3 Tint Mark, any other ORVEN; it picks the store and is
// the dialog's caller number (3 is given as 0). dwAttributes: the spooler's
// printer attributes (local 0x40, network 0x10).
HRESULT GetLocalPrinterAddress(BSTR bstrPrinterName, VARIANT* pAddress, NamedEvent* hCancelEvent,
                               int family, BSTR bstrPortName, BSTR bstrServerName,
                               uint32_t dwAttributes);

}  // namespace qx
