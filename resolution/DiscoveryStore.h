#pragma once
// The PrinterDiscovery store as port resolution uses it: per family, one
// REG_SZ device address per spooler port name, written after the user picked
// the device and read on every later request for that port.

#include <string>
#include <string_view>

#include "resolution/ResolverTypes.h"

namespace qx {

// HKEY_CURRENT_USER key: family 1 KORVALEN, family 3 Tint Mark, any other
// ORVEN.
std::string PortDiscoveryKey(int family);

// 1 with the stored address in szAddress, 0 (szAddress untouched) when the
// key or the value is missing, or the value is no usable text: not a string,
// empty, or longer than the buffer.
int HasPortBeenDiscovered(const char* szPortName, ResolverText& szAddress, int family);

// Writes the address under the port's name, creating the key when it cannot
// be opened. A key that can be neither opened nor created is skipped
// (ERROR_SUCCESS); a failed write gives its Win32 error code.
long StorePortAddress(const char* szPortName, std::string_view address, int family);

}  // namespace qx
