// A full refresh of the printer summary table, for a single device and for a
// tandem pair, against Net-SNMP's snmpd serving the test profiles
// (tests/state/data/single.snmprec and tandem.snmprec), beside the floor: a
// bare Net-SNMP loop of as many single-binding GETs on one open session to
// the same agent as the refresh makes exchanges. The agent counts the
// exchanges (snmpInPkts). The agents run in the program's own network
// namespace, so the program needs root.
//
//   build/bin/state_summary_bench [--rounds N]
//
// Refresh and floor alternate in rounds, so that both meet the same load on a
// shared machine; the summary gives medians. Exit status 3 when a refresh is
// not within 10% of its floor.

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "state/DsePrinterSummaryTable.h"
#include "support/NetSnmpAgent.h"
#include "support/PrivateNetwork.h"
#include "support/SimulatedDevice.h"
#include "support/TestData.h"

QX_TEST_USES_PRIVATE_NETWORK();

namespace {

struct Agent {
    const char* name;
    const char* address;
    const char* profile;
    int exchanges = 0;  // per refresh, counted by the agent
};

Agent g_agents[] = {
    {"single", "127.0.0.2", "single.snmprec"},
    {"tandem", "127.0.0.3", "tandem.snmprec"},
};

constexpr int kWarmUpRounds = 20;
constexpr int kDefaultRounds = 300;

constexpr const char* kInPackets = "1.3.6.1.2.1.11.1.0";  // snmpInPkts
// EID_ODRAGENERALQXNAME of device 1, served by both agents.
constexpr oid kNameArcs[] = {1, 3, 6, 1, 4, 1, 32473, 2, 3, 50, 1, 2, 3, 1, 2, 1};

// A .snmprec profile as snmpd "override" lines.
std::string OverrideLines(const std::string& profile) {
    std::stringstream in(profile), out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t a = line.find('|'), b = line.find('|', a + 1);
        if (a == std::string::npos || b == std::string::npos)
            continue;
        const std::string oidText = line.substr(0, a), type = line.substr(a + 1, b - a - 1),
                          value = line.substr(b + 1);
        if (type == "2")
            out << "override " << oidText << " integer " << value << "\n";
        else if (type == "4")
            out << "override " << oidText << " octet_str \"" << value << "\"\n";
        else if (type == "4x")
            out << "override " << oidText << " octet_str 0x" << value << "\n";
        else if (type == "6")
            out << "override " << oidText << " object_id " << value << "\n";
    }
    return out.str();
}

int InPackets(const char* address) {
    qx::CSnmpReader reader;
    reader.Target().SetAddress(address);
    int32_t count = -1;
    return reader.GetInt32(kInPackets, &count) == S_OK ? count : -1;
}

// A bare Net-SNMP session to the agent: the floor's GETs.
class FloorSession {
  public:
    explicit FloorSession(const char* address) : m_peer(std::string("udp:") + address + ":161") {
        netsnmp_session settings;
        snmp_sess_init(&settings);
        settings.version = SNMP_VERSION_1;
        settings.community = reinterpret_cast<u_char*>(const_cast<char*>("public"));
        settings.community_len = 6;
        settings.peername = m_peer.data();
        settings.timeout = 1000000;
        settings.retries = 1;
        m_session = snmp_sess_open(&settings);
    }
    ~FloorSession() {
        if (m_session)
            snmp_sess_close(m_session);
    }
    // count single-binding GETs, one after the other.
    bool Gets(int count) {
        for (int i = 0; i < count; ++i) {
            netsnmp_pdu* request = snmp_pdu_create(SNMP_MSG_GET);
            snmp_add_null_var(request, kNameArcs, sizeof kNameArcs / sizeof kNameArcs[0]);
            netsnmp_pdu* response = nullptr;
            int status = snmp_sess_synch_response(m_session, request, &response);
            if (response)
                snmp_free_pdu(response);
            if (status != STAT_SUCCESS)
                return false;
        }
        return true;
    }

  private:
    std::string m_peer;
    void* m_session = nullptr;
};

struct Sample {
    double real;  // microseconds
    double cpu;   // microseconds of this thread
};

template <typename Work>
Sample Measure(Work work) {
    timespec c0, c1;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
    auto r0 = std::chrono::steady_clock::now();
    work();
    auto r1 = std::chrono::steady_clock::now();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
    return {std::chrono::duration<double, std::micro>(r1 - r0).count(),
            (c1.tv_sec - c0.tv_sec) * 1e6 + (c1.tv_nsec - c0.tv_nsec) / 1e3};
}

double Quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = kDefaultRounds;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            rounds = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: state_summary_bench [--rounds N]\n");
            return 2;
        }
    }
    qxtest::EnterRequestedPrivateNetwork();
    if (!qxtest::InPrivateNetwork()) {
        std::fprintf(stderr, "state_summary_bench: no private network (%s); run it as root\n",
                     qxtest::PrivateNetworkError().c_str());
        return 1;
    }
    // Settings come from a store of our own: the defaults.
    std::string store = (std::filesystem::temp_directory_path() / "qx-bench-XXXXXX").string();
    if (!mkdtemp(store.data())) {
        std::perror("state_summary_bench: mkdtemp");
        return 1;
    }
    setenv("QX_REGISTRY_DIR", store.c_str(), 1);

    std::vector<std::unique_ptr<qxtest::NetSnmpAgent>> agents;
    for (Agent& a : g_agents) {
        std::string profile = qxtest::ReadTextFile(qxtest::TestDataPath("state", a.profile));
        agents.push_back(std::make_unique<qxtest::NetSnmpAgent>(a.address, OverrideLines(profile)));
        std::string error;
        if (!agents.back()->Start(error)) {
            std::fprintf(stderr, "state_summary_bench: %s\n", error.c_str());
            return 1;
        }
    }
    // One refresh of each, counted by the agent; the count read itself is
    // one more packet.
    for (Agent& a : g_agents) {
        qx::CDsePrinterSummaryTable table;
        table.SetAddress(a.address);
        int before = InPackets(a.address);
        HRESULT hr = table.Refresh();
        int after = InPackets(a.address);
        if (hr != S_OK || before < 0 || after < 0 ||
            (a.name == std::string("tandem")) != table.m_bTandem) {
            std::fprintf(stderr, "state_summary_bench: the %s agent does not serve the profile\n",
                         a.name);
            return 1;
        }
        a.exchanges = after - before - 1;
    }

    // Refresh and floor alternate round by round, each going first in turn;
    // every round gives a ratio.
    std::printf(
        "Full refresh beside the Net-SNMP floor: as many single-binding GETs on one open\n"
        "session to the same agent. %d rounds, medians (ratio: median of the rounds' ratios,\n"
        "quartiles in brackets). Target: the refresh within 10%% of the floor.\n\n",
        rounds);
    bool allWithin = true;
    for (const Agent& a : g_agents) {
        qx::CDsePrinterSummaryTable table;
        table.SetAddress(a.address);
        FloorSession floor(a.address);
        std::vector<double> refreshReal, floorReal, refreshCpu, floorCpu, ratios;
        bool ok = true;
        for (int round = -kWarmUpRounds; round < rounds && ok; ++round) {
            Sample r, f;
            auto refresh = [&] { ok = ok && table.Refresh() == S_OK; };
            auto gets = [&] { ok = ok && floor.Gets(a.exchanges); };
            if (round % 2 == 0) {
                r = Measure(refresh);
                f = Measure(gets);
            } else {
                f = Measure(gets);
                r = Measure(refresh);
            }
            if (round < 0)
                continue;
            refreshReal.push_back(r.real);
            floorReal.push_back(f.real);
            refreshCpu.push_back(r.cpu);
            floorCpu.push_back(f.cpu);
            ratios.push_back(r.real / f.real);
        }
        if (!ok) {
            std::fprintf(stderr, "state_summary_bench: a read on the %s agent failed\n", a.name);
            return 1;
        }
        const double ratio = Quantile(ratios, 0.5);
        allWithin = allWithin && ratio <= 1.10;
        std::printf("%-7s %3d exchanges a refresh\n", a.name, a.exchanges);
        std::printf(
            "  real time     refresh %7.0f us   floor %7.0f us   ratio %.3f [%.3f, %.3f]  %s\n",
            Quantile(refreshReal, 0.5), Quantile(floorReal, 0.5), ratio, Quantile(ratios, 0.25),
            Quantile(ratios, 0.75), ratio <= 1.10 ? "within target" : "OVER TARGET");
        std::printf("  client cpu    refresh %7.0f us   floor %7.0f us   %+.1f us an exchange\n",
                    Quantile(refreshCpu, 0.5), Quantile(floorCpu, 0.5),
                    (Quantile(refreshCpu, 0.5) - Quantile(floorCpu, 0.5)) / a.exchanges);
        std::printf("  per exchange  refresh %7.1f us   floor %7.1f us\n\n",
                    Quantile(refreshReal, 0.5) / a.exchanges,
                    Quantile(floorReal, 0.5) / a.exchanges);
    }
    // What every refresh is spared: the table loads its mapping files once.
    std::vector<double> creation;
    for (int i = 0; i < 50; ++i)
        creation.push_back(Measure([] { qx::CDsePrinterSummaryTable table; }).real);
    std::printf("table creation (mapping files) %.0f us\n", Quantile(creation, 0.5));
    std::filesystem::remove_all(store);
    return allWithin ? 0 : 3;
}
