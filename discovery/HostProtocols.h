#pragma once
// What a discovery dialog finds out about the host when it opens: whether it
// has a usable IP address (and which), whether a NetWare client allows IPX,
// and the subnet mask that the IP range is worked out from.

#include <cstdint>
#include <string>

#include "discovery/NetwareClient.h"

namespace qx {

struct HostProtocols {
    bool bIpAvailable = false;
    bool bIpxAvailable = false;
    std::string strHostAddress;  // dotted text of the host's first address
    std::string strMask = "0.0.0.0";
    NetwareClientInfo netware;  // the client check's findings
};

// The host check: the first address that the host's own name resolves to,
// unless it is a loopback address (any of 127.0.0.0/8) or 0.0.0.0; then the
// NetWare client check for `family`.
void CheckInstalledProtocols2(HostProtocols& host, uint32_t family);

// The netmask of the first interface in the system's list that is not a
// loopback interface and whose mask is not 0.0.0.0; the mask is left as it
// was when there is none.
void GetSubnetMask(HostProtocols& host);

// Both, as a dialog does when it opens: the mask is read only when IP is
// available, and is 0.0.0.0 otherwise.
HostProtocols ExamineHost(uint32_t family);

}  // namespace qx
