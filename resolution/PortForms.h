#pragma once
// What a spooler port name says by itself: its kind (by plain, case-sensitive
// substring tests in a fixed order) and the address texts that its form
// carries. Nothing here talks to a device; IsStandardTcpIpPort reads the
// local machine's port monitor keys, ResolveHostName asks the system's
// host-name resolver.

#include <optional>
#include <string>
#include <string_view>

#include "resolution/ResolverTypes.h"

namespace qx {

// Kinds of a local printer's port (DetermineLocalPortType).
constexpr int kLocalPortUnc = 0;          // contains "\\": getlocalportaddress
constexpr int kLocalPortIp = 1;           // contains "IP_": GetTcpPortAddress
constexpr int kLocalPortHttp = 2;         // contains "http://": GetIPPportAddress
constexpr int kLocalPortAddress = 3;      // itself an address or a host name
constexpr int kLocalPortColon = 8;        // contains ":": the text before it
constexpr int kLocalPortStandardTcp = 9;  // a Standard TCP/IP port: GetTcpPortAddress
constexpr int kLocalPortIpp = 10;         // contains "ipp://": discovery
constexpr int kLocalPortUnknown = -2;

// Kinds of a network printer's port (DetermineNetworkPortType).
constexpr int kNetworkPortUnc = 4;
constexpr int kNetworkPortIp = 5;
constexpr int kNetworkPortShare = 6;  // none of the others: GetPNP_SambaAddress
constexpr int kNetworkPortColon = 8;
constexpr int kNetworkPortStandardTcp = 9;

// The local machine's key of Standard TCP/IP ports; a port's key is this
// followed by its name.
constexpr const char* kStandardTcpIpPortKeyPrefix =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";

int DetermineLocalPortType(const char* szPortName);
int DetermineNetworkPortType(const char* szPortName);

// One to four dot-separated fields (empty fields are skipped) of one to three
// decimal digits, each at most 255: "10.1.2.3", "10.1" and "7" are addresses.
int isIpAddress(std::string_view text);

// The first IPv4 address the system's resolver gives for the name, dotted.
std::optional<std::string> ResolveHostName(std::string_view name);

// Whether a Standard TCP/IP port key of that name exists.
int IsStandardTcpIpPort(const char* szPortName);

// "http://host:port/path" gives host; "" when nothing remains.
void GetIPPportAddress(const char* szPortName, ResolverText& szAddress);
// "\\host\queue" gives host, "\\host\a\b" gives "host\a".
void GetAddressFromLocalPortName(const char* szPortName, ResolverText& szAddress);
// "host:queue" gives host, "LPT1:" gives LPT1.
void GetTextBeforeColon(const char* szPortName, ResolverText& szAddress);

// The monitor's "IPAddress" of a Standard TCP/IP port, or nullopt when the
// port has no key or the key no such text value.
std::optional<std::string> StandardTcpIpPortAddress(const char* szPortName);

}  // namespace qx
