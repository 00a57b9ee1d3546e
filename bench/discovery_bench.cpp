// IP discovery on the broadcast test bed with 10, 40 and 250 snmpd devices
// (each in a network namespace of its own on one bridge with the program's
// private network). For each size it reports the run's time from start to
// the answer list, the answers kept against the devices present and the CPU
// the run used while it listened, beside the floor: when the last reply
// arrives after one bare broadcast GET on the same bed. Needs root.
//
//   discovery_bench [--rounds N] [--devices 10,40,250]

#include <arpa/inet.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "BroadcastBed.h"
#include "discovery/DiscoveryRun.h"
#include "discovery/RequestMessage.h"
#include "support/PrivateNetwork.h"

QX_TEST_USES_PRIVATE_NETWORK();

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct FloorResult {
    double lastReplyMs = 0;
    size_t replies = 0;
};

// One bare broadcast GET; replies are collected until none came for a second.
FloorResult BareBroadcast() {
    FloorResult r;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int on = 1, bytes = 1 << 20;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes);
    uint8_t request[256];
    qx::BuildRequestDatagram(request, sizeof request);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(161);
    to.sin_addr.s_addr = INADDR_BROADCAST;
    auto start = Clock::now();
    if (sendto(fd, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0) {
        std::perror("floor sendto");
        close(fd);
        return r;
    }
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 1000) <= 0)
            break;
        uint8_t buffer[256];
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (qx::IsAcceptedAnswer(buffer, n)) {
            ++r.replies;
            r.lastReplyMs = Ms(Clock::now() - start);
        }
    }
    close(fd);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3;
    std::vector<int> sizes = {10, 40, 250};
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--devices" && i + 1 < argc) {
            sizes.clear();
            std::stringstream list(argv[++i]);
            std::string n;
            while (std::getline(list, n, ','))
                sizes.push_back(std::clamp(std::atoi(n.c_str()), 1, 250));
            std::sort(sizes.begin(), sizes.end());
        } else {
            std::fprintf(stderr, "usage: discovery_bench [--rounds N] [--devices 10,40,250]\n");
            return 2;
        }
    }
    qxtest::EnterRequestedPrivateNetwork();
    if (!qxtest::InPrivateNetwork()) {
        std::fprintf(stderr, "discovery_bench: no private network (%s); run it as root\n",
                     qxtest::PrivateNetworkError().c_str());
        return 1;
    }
    std::string error;
    qxtest::BroadcastBed bed;
    if (!bed.Create(error)) {
        std::fprintf(stderr, "discovery_bench: %s\n", error.c_str());
        return 1;
    }
    std::vector<std::unique_ptr<qxtest::AgentProcess>> agents;
    std::printf(
        "IP discovery run (500 + 3000 + 500 + 500 ms by design) on snmpd devices, "
        "%d rounds, medians\n",
        rounds);
    for (int size : sizes) {
        auto setupStart = Clock::now();
        std::vector<std::string> added;
        while (static_cast<int>(agents.size()) < size) {
            std::string address = "10.203.0." + std::to_string(3 + agents.size());
            int device = bed.AddDevice(address, 24, error);
            agents.push_back(std::make_unique<qxtest::AgentProcess>());
            if (device < 0 ||
                !bed.LaunchSnmpd(*agents.back(), device,
                                 "override 1.3.6.1.2.1.43.5.1.1.16.1 octet_str Bench", error)) {
                std::fprintf(stderr, "discovery_bench: %s\n", error.c_str());
                return 1;
            }
            added.push_back(address);
        }
        for (size_t i = 0; i < added.size(); ++i) {
            auto& agent = agents[agents.size() - added.size() + i];
            if (!agent->WaitUntilAnswering(added[i], std::chrono::seconds(60), error)) {
                std::fprintf(stderr, "discovery_bench: %s: %s\n", added[i].c_str(), error.c_str());
                return 1;
            }
        }
        std::printf("\n%d devices (bed set up in %.1f s)\n", size,
                    Ms(Clock::now() - setupStart) / 1000);

        std::vector<double> floorMs, floorReplies, runMs, kept, cpuPercent, cpuMs;
        for (int r = 0; r < rounds; ++r) {
            FloorResult f = BareBroadcast();
            floorMs.push_back(f.lastReplyMs);
            floorReplies.push_back(static_cast<double>(f.replies));

            qx::DiscoveryRun run;
            auto start = Clock::now();
            double cpuStart = CpuSeconds();
            auto answers = run.RunToEnd(false, true, {"10.203.0.0", "10.203.0.255"});
            double cpu = CpuSeconds() - cpuStart;
            double wall = Ms(Clock::now() - start);
            std::set<std::string> distinct;
            for (const auto& a : answers)
                if (a.inRange)
                    distinct.insert(a.address);
            runMs.push_back(wall);
            kept.push_back(static_cast<double>(distinct.size()));
            cpuMs.push_back(cpu * 1000);
            cpuPercent.push_back(100.0 * cpu * 1000 / wall);
        }
        std::printf("  floor  last reply after one bare broadcast GET  %8.1f ms  (%.0f replies)\n",
                    Median(floorMs), Median(floorReplies));
        std::printf("  run    start to answer list                     %8.1f ms\n", Median(runMs));
        std::printf(
            "  run    answers kept / devices present           %5.0f / %d  (worst round %.0f)\n",
            Median(kept), size, *std::min_element(kept.begin(), kept.end()));
        std::printf(
            "  run    process CPU during the run               %8.2f ms  = %.3f %% of a core\n",
            Median(cpuMs), Median(cpuPercent));
    }
    return 0;
}
