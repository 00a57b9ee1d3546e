#pragma once
// The resolvers: a printer's port (and, for a network printer, its server)
// to the address of the device behind it, by the port's kind (PortForms.h).
// Each returns a resolver code (ResolverTypes.h); on 0 the address buffer
// holds the address. They keep no state; the cancel event is only tested.

#include "resolution/ResolverTypes.h"

namespace qx {

class NamedEvent;

// Local printers (attribute 0x40) first, then network printers (0x10); a
// printer with neither gives 10.
int GetMfpAddress(const char* szPortName, const char* szServerName, ResolverText& szAddress,
                  int family, unsigned dwAttributes, NamedEvent* hCancelEvent);
int HandleLocalPrinters(const char* szPortName, ResolverText& szAddress, int family,
                        NamedEvent* hCancelEvent);
int HandleNetworkPrinters(const char* szServerName, const char* szPortName, ResolverText& szAddress,
                          int family, NamedEvent* hCancelEvent);

// A UNC port \\host\queue: the host when it is one of the maker's devices,
// else the store, else the NetWare queue search, else 50.
int getlocalportaddress(const char* szPortName, ResolverText& szAddress, int family,
                        NamedEvent* hCancelEvent);
// A network printer on a port of no known form: its server \\host, when that
// is one of the maker's devices, else the store, else 50.
int GetPNP_SambaAddress(const char* szPortName, const char* szServerName, ResolverText& szAddress,
                        NamedEvent* hCancelEvent, int family);
// An IP_ or Standard TCP/IP port: the monitor's "IPAddress", else the store,
// else 50.
int GetTcpPortAddress(const char* szPortName, ResolverText& szAddress, int family);

}  // namespace qx
