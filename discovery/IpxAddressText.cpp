#include "IpxAddressText.h"

#include <cstdio>

#include "platform/text/Hex.h"

namespace qx {

std::string IpxAddressText(const IpxSocketAddress& address) {
    uint8_t net[6] = {address.sa_netnum[0], address.sa_netnum[1],  address.sa_netnum[2],
                      address.sa_netnum[3], address.sa_nodenum[0], address.sa_nodenum[1]};
    char netText[13], nodeText[13];
    std::snprintf(netText, sizeof netText, "%02X%02X%02X%02X%02X%02X", net[0], net[1], net[2],
                  net[3], net[4], net[5]);
    const uint8_t* n = address.sa_nodenum;
    std::snprintf(nodeText, sizeof nodeText, "%02X%02X%02X%02X%02X%02X", n[0], n[1], n[2], n[3],
                  n[4], n[5]);
    return std::string(netText, 8) + ":" + nodeText;
}

bool HexTextToBytes(std::string_view text, uint8_t* bytes, size_t size) {
    if (text.size() != 2 * size)
        return false;
    for (size_t i = 0; i < size; ++i) {
        int hi = HexDigit(text[2 * i]), lo = HexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    return true;
}

IpxSocketAddress IpxBroadcastDestination() {
    IpxSocketAddress a{};
    a.sa_family = AF_IPX_WINSOCK;
    HexTextToBytes("00000000", a.sa_netnum, sizeof a.sa_netnum);
    HexTextToBytes("FFFFFFFFFFFF", a.sa_nodenum, sizeof a.sa_nodenum);
    HexTextToBytes("900F", a.sa_socket, sizeof a.sa_socket);
    return a;
}

}  // namespace qx
