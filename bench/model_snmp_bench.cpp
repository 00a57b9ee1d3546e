// One mapped GET (mapping-table lookup, OID text, session, exchange, value)
// against Net-SNMP's snmpd, beside the floor: a bare Net-SNMP GET loop on one
// open session to the same agent. The agent runs in the program's own
// network namespace, so the program needs root.
//
//   build/bin/model_snmp_bench [--benchmark_min_time=2]

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <benchmark/benchmark.h>

#include <cstdio>

#include "model/MIBMappingTable.h"
#include "model/SnmpReader.h"
#include "support/NetSnmpAgent.h"
#include "support/PrivateNetwork.h"

QX_TEST_USES_PRIVATE_NETWORK();

namespace {

constexpr const char* kAddress = "127.0.0.2";
// EID_ODRAGENERALQXNAME at device 1, as the installed mapping files place it.
constexpr const char* kNameOid = "1.3.6.1.4.1.32473.2.3.50.1.2.3.1.2.1";
constexpr oid kNameArcs[] = {1, 3, 6, 1, 4, 1, 32473, 2, 3, 50, 1, 2, 3, 1, 2, 1};

void BM_MappedGet(benchmark::State& state) {
    qx::MIBMappingTable table;
    if (!table.Load(qx::MapFilePaths())) {
        state.SkipWithError(table.LastError().c_str());
        return;
    }
    qx::CSnmpReader reader;
    reader.Target().SetAddress(kAddress);
    char name[260];
    for (auto _ : state) {
        const qx::MIBMappingEntry* entry = table.GetEntryById(qx::EID_ODRAGENERALQXNAME);
        if (reader.snmppGetStringValue(entry, 1, -1, name) != S_OK) {
            state.SkipWithError("the mapped GET failed");
            return;
        }
        benchmark::DoNotOptimize(name);
    }
}
BENCHMARK(BM_MappedGet)->Unit(benchmark::kMicrosecond);

// A session opened and closed for every GET, as each mapped GET does.
void BM_NetSnmpGetSessionPerRequest(benchmark::State& state) {
    for (auto _ : state) {
        netsnmp_session settings;
        snmp_sess_init(&settings);
        settings.version = SNMP_VERSION_1;
        settings.community = reinterpret_cast<u_char*>(const_cast<char*>("public"));
        settings.community_len = 6;
        settings.peername = const_cast<char*>("udp:127.0.0.2:161");
        settings.timeout = 1000000;
        settings.retries = 1;
        void* session = snmp_sess_open(&settings);
        netsnmp_pdu* request = snmp_pdu_create(SNMP_MSG_GET);
        snmp_add_null_var(request, kNameArcs, sizeof kNameArcs / sizeof kNameArcs[0]);
        netsnmp_pdu* response = nullptr;
        if (snmp_sess_synch_response(session, request, &response) != STAT_SUCCESS) {
            state.SkipWithError("GET failed");
            snmp_sess_close(session);
            return;
        }
        benchmark::DoNotOptimize(response->variables->val.string);
        snmp_free_pdu(response);
        snmp_sess_close(session);
    }
}
BENCHMARK(BM_NetSnmpGetSessionPerRequest)->Unit(benchmark::kMicrosecond);

// The floor: one open session, one GET after the other.
void BM_NetSnmpGetFloor(benchmark::State& state) {
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.version = SNMP_VERSION_1;
    settings.community = reinterpret_cast<u_char*>(const_cast<char*>("public"));
    settings.community_len = 6;
    settings.peername = const_cast<char*>("udp:127.0.0.2:161");
    settings.timeout = 1000000;
    settings.retries = 1;
    void* session = snmp_sess_open(&settings);
    for (auto _ : state) {
        netsnmp_pdu* request = snmp_pdu_create(SNMP_MSG_GET);
        snmp_add_null_var(request, kNameArcs, sizeof kNameArcs / sizeof kNameArcs[0]);
        netsnmp_pdu* response = nullptr;
        if (snmp_sess_synch_response(session, request, &response) != STAT_SUCCESS) {
            state.SkipWithError("GET failed");
            break;
        }
        benchmark::DoNotOptimize(response->variables->val.string);
        snmp_free_pdu(response);
    }
    snmp_sess_close(session);
}
BENCHMARK(BM_NetSnmpGetFloor)->Unit(benchmark::kMicrosecond);

void BM_MappingTableLoad(benchmark::State& state) {
    for (auto _ : state) {
        qx::MIBMappingTable table;
        benchmark::DoNotOptimize(table.Load(qx::MapFilePaths()));
    }
}
BENCHMARK(BM_MappingTableLoad)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qxtest::EnterRequestedPrivateNetwork();
    if (!qxtest::InPrivateNetwork()) {
        std::fprintf(stderr, "model_snmp_bench: no private network (%s); run it as root\n",
                     qxtest::PrivateNetworkError().c_str());
        return 1;
    }
    qxtest::NetSnmpAgent agent(
        kAddress, std::string("override ") + kNameOid + " octet_str \"Korvalen 5070\"");
    std::string error;
    if (!agent.Start(error)) {
        std::fprintf(stderr, "model_snmp_bench: %s\n", error.c_str());
        return 1;
    }
    // The first mapped GET sets the SNMP library up for the bare loops too.
    qx::CSnmpReader warmUp;
    warmUp.Target().SetAddress(kAddress);
    std::string value;
    if (warmUp.GetPrintableValue(kNameOid, &value) != S_OK || value != "Korvalen 5070") {
        std::fprintf(stderr, "model_snmp_bench: the agent does not serve the name: %s\n",
                     agent.LogTail().c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
