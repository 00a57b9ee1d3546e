#include "HostResolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstring>

namespace qx {

std::optional<Ipv4Address> ResolveHostIPv4(std::string_view name) {
    if (name.empty() || name.find('\0') != std::string_view::npos)
        return std::nullopt;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    // One socket type, so that each address is listed once.
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    std::string host(name);
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || list == nullptr)
        return std::nullopt;
    std::optional<Ipv4Address> result;
    for (addrinfo* ai = list; ai != nullptr; ai = ai->ai_next) {
        if (ai->ai_family != AF_INET || ai->ai_addrlen < sizeof(sockaddr_in))
            continue;
        const auto* sin = reinterpret_cast<const sockaddr_in*>(ai->ai_addr);
        Ipv4Address a;
        std::memcpy(a.data(), &sin->sin_addr.s_addr, 4);
        result = a;
        break;
    }
    freeaddrinfo(list);
    return result;
}

std::string DottedAddress(const Ipv4Address& address) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", address[0], address[1], address[2], address[3]);
    return text;
}

}  // namespace qx
