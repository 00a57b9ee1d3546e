#pragma once
// The parameter block of one discovery run: allocated zero-filled by the
// owner of the run when it starts, shared without locks by the run's
// broadcast and listen threads, and freed by the owner after the broadcast
// thread (which waits for its listen thread) has ended.

#include <netinet/in.h>

#include <cstdint>

namespace qx {

constexpr int kIpAnswerSlots = 260;
constexpr int kIpAnswerTextSize = 20;
constexpr int kIpxAnswerSlots = 255;
constexpr int kRequestDatagramSize = 256;
constexpr uint16_t kSnmpPort = 161;

// The IPX socket address as the socket layer lays it out (14 bytes).
struct IpxSocketAddress {
    uint16_t sa_family;
    uint8_t sa_netnum[4];
    uint8_t sa_nodenum[6];
    uint8_t sa_socket[2];  // most significant byte first
};
static_assert(sizeof(IpxSocketAddress) == 14);

constexpr uint16_t AF_IPX_WINSOCK = 6;  // the family number inside IpxSocketAddress

struct DiscoveryParam {
    int32_t iCount_Local;
    char szIpAnswers[kIpAnswerSlots][kIpAnswerTextSize];
    uint8_t byRequest[kRequestDatagramSize];
    int hSocket;
    uint32_t nSourceLength;
    sockaddr_in stSource;
    sockaddr_in stIpDestination;
    uint8_t byUnused[16];
    IpxSocketAddress stIpxDestination;
    IpxSocketAddress stIpxAnswers[kIpxAnswerSlots];
    int hStopEvent;
    // Set by the listen thread once it has dropped an answer for want of a
    // slot, so that the drop is traced once per run.
    bool bDropTraced;
};

}  // namespace qx
