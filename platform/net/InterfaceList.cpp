#include "InterfaceList.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>

namespace qx {

namespace {

Ipv4Address Octets(const sockaddr* sa) {
    Ipv4Address a{};
    if (sa != nullptr && sa->sa_family == AF_INET)
        std::memcpy(a.data(), &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr.s_addr, 4);
    return a;
}

}  // namespace

bool GetInterfaceList(std::vector<InterfaceEntry>& out, size_t maxEntries) {
    out.clear();
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    for (ifaddrs* ifa = list; ifa != nullptr && out.size() < maxEntries; ifa = ifa->ifa_next) {
        if (ifa->ifa_addr == nullptr || ifa->ifa_addr->sa_family != AF_INET)
            continue;
        InterfaceEntry e;
        e.address = Octets(ifa->ifa_addr);
        e.netmask = Octets(ifa->ifa_netmask);
        e.loopback = (ifa->ifa_flags & IFF_LOOPBACK) != 0;
        e.up = (ifa->ifa_flags & IFF_UP) != 0;
        out.push_back(e);
    }
    freeifaddrs(list);
    return true;
}

}  // namespace qx
