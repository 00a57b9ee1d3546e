#pragma once
// The host's IPv4 interfaces in the system's order, as the socket layer's
// interface-list request (SIO_GET_INTERFACE_LIST) gives them: address, netmask
// and flags of each, at most as many entries as the caller's buffer holds.

#include <cstddef>
#include <vector>

#include "platform/net/HostResolver.h"

namespace qx {

struct InterfaceEntry {
    Ipv4Address address{};
    Ipv4Address netmask{};
    bool loopback = false;
    bool up = false;
};

// False when the list cannot be read; otherwise the first maxEntries IPv4
// interfaces (an interface with several addresses gives one entry each).
bool GetInterfaceList(std::vector<InterfaceEntry>& out, size_t maxEntries);

}  // namespace qx
