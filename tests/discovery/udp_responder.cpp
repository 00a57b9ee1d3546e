// A device of the broadcast test bed that answers discovery broadcasts in
// ways a real agent will not: several times, with junk, or as a flood of
// answers from many source addresses (raw datagrams from one sender). It
// listens on 0.0.0.0:161; a request sent to its own address (an agent probe)
// gets one plain answer, a broadcast gets the chosen behaviour.
//
//   qx_test_udp_responder [--copies N] [--garbage]
//                         [--flood N --flood-from A.B.C.D] [--dump FILE]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/udp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    int copies = 1;
    bool garbage = false;
    int flood = 0;
    in_addr floodFrom{};
    std::string dump;
};

// GetResponse, community "public", request id 1, prtGeneralPrinterName.1 = "Dummy".
std::vector<uint8_t> Response() {
    std::vector<uint8_t> r = {0x30, 0x2E, 0x02, 0x01, 0x00, 0x04, 0x06, 'p',  'u',  'b',
                              'l',  'i',  'c',  0xA2, 0x21, 0x02, 0x01, 0x01, 0x02, 0x01,
                              0x00, 0x02, 0x01, 0x00, 0x30, 0x16, 0x30, 0x14, 0x06, 0x0B,
                              0x2B, 0x06, 0x01, 0x02, 0x01, 0x2B, 0x05, 0x01, 0x01, 0x10,
                              0x01, 0x04, 0x05, 'D',  'u',  'm',  'm',  'y'};
    return r;
}

void Flood(const Options& o, const sockaddr_in& to) {
    int raw = socket(AF_INET, SOCK_RAW, IPPROTO_RAW);
    if (raw < 0) {
        std::perror("raw socket");
        return;
    }
    std::vector<uint8_t> payload = Response();
    uint8_t packet[sizeof(iphdr) + sizeof(udphdr) + 64] = {};
    auto* ip = reinterpret_cast<iphdr*>(packet);
    auto* udp = reinterpret_cast<udphdr*>(packet + sizeof(iphdr));
    size_t total = sizeof(iphdr) + sizeof(udphdr) + payload.size();
    std::memcpy(packet + sizeof(iphdr) + sizeof(udphdr), payload.data(), payload.size());
    ip->version = 4;
    ip->ihl = 5;
    ip->ttl = 64;
    ip->protocol = IPPROTO_UDP;
    ip->tot_len = htons(static_cast<uint16_t>(total));
    ip->daddr = to.sin_addr.s_addr;
    udp->source = htons(161);
    udp->dest = to.sin_port;
    udp->len = htons(static_cast<uint16_t>(sizeof(udphdr) + payload.size()));
    udp->check = 0;  // no checksum: allowed over IPv4
    uint32_t first = ntohl(o.floodFrom.s_addr);
    for (int i = 0; i < o.flood; ++i) {
        ip->saddr = htonl(first + static_cast<uint32_t>(i));
        if (sendto(raw, packet, total, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0)
            std::perror("raw sendto");
    }
    close(raw);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--copies")
            o.copies = std::atoi(next());
        else if (a == "--garbage")
            o.garbage = true;
        else if (a == "--flood")
            o.flood = std::atoi(next());
        else if (a == "--flood-from")
            inet_pton(AF_INET, next(), &o.floodFrom);
        else if (a == "--dump")
            o.dump = next();
        else {
            std::fprintf(stderr, "unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    int on = 1;
    setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(161);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
        std::perror("bind 0.0.0.0:161");
        return 1;
    }
    for (;;) {
        uint8_t buffer[2048];
        sockaddr_in from{};
        iovec iov{buffer, sizeof buffer};
        alignas(cmsghdr) char control[256];
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        ssize_t n = recvmsg(fd, &msg, 0);
        if (n < 0)
            continue;
        bool broadcast = false;
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c))
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info;
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                broadcast = info.ipi_addr.s_addr == INADDR_BROADCAST;
            }
        auto send = [&](const std::vector<uint8_t>& d) {
            sendto(fd, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&from), sizeof from);
        };
        if (!broadcast) {
            send(Response());
            continue;
        }
        if (!o.dump.empty()) {
            std::string tmp = o.dump + ".tmp";
            if (FILE* f = std::fopen(tmp.c_str(), "wb")) {
                std::fwrite(buffer, 1, static_cast<size_t>(n), f);
                std::fclose(f);
                std::rename(tmp.c_str(), o.dump.c_str());
            }
        }
        if (o.garbage) {
            send({0x30});
            send(std::vector<uint8_t>(20, 0));
            std::vector<uint8_t> big(1000);
            for (size_t k = 0; k < big.size(); ++k)
                big[k] = static_cast<uint8_t>(k * 37 + 11);
            big[20] = 0x55;
            send(big);
        }
        if (o.flood > 0)
            Flood(o, from);
        for (int k = 0; k < o.copies; ++k)
            send(Response());
    }
}
