#pragma once
// Registry keys that the printer inventory reads and writes.

#include <string>

namespace qx {

// Port monitors' per-port keys (HKEY_LOCAL_MACHINE, read only); a port's key
// is "<ports key>\<port name>".
constexpr const char* kStandardTcpIpPortsKey =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports";
constexpr const char* kAippPortsKey =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\AIPP Port\\Ports";
constexpr const char* kLprPortsKey =
    "System\\CurrentControlSet\\Control\\Print\\Monitors\\LPR Port\\Ports";

// The PrinterDiscovery store (HKEY_CURRENT_USER): one REG_SZ device address
// per printer, named by the printer's printable port name. Family 1 keeps it
// below the KORVALEN settings key, every other family below the ORVEN one.
std::string PrinterDiscoveryKey(int family);

}  // namespace qx
