// Identification of the devices that answered a discovery run (the network
// dialog's variant, family 1), for 10 and 40 devices served by Net-SNMP's
// snmpd, one after the other (as each answer's BroadCastQuery would run) and
// side by side (IdentifyAddresses, 16 at a time), beside the floor: a bare
// Net-SNMP loop of the same four single-binding exchanges per device
// (sysObjectID, name, the model column's GET-NEXT, location), one device
// after the other. The same again with two addresses that answered the run
// and then stay silent. "TimeOut" is set to 100 (one second per attempt, one
// retry) instead of the default 3000, so a silent address costs 2 s here
// where it costs 60 s by default. The agents run in the program's own network
// namespace, so the program needs root.
//
//   build/bin/identification_bench [--rounds N]

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "discovery/NetworkDeviceIdentification.h"
#include "platform/registry/RegistryKey.h"
#include "settings/Settings.h"
#include "support/NetSnmpAgent.h"
#include "support/PrivateNetwork.h"

QX_TEST_USES_PRIVATE_NETWORK();

namespace {

constexpr int kMaxDevices = 40;
constexpr uint32_t kTimeOut = 100;

std::string DeviceAddress(int i) {
    return "127.0.1." + std::to_string(10 + i);
}

std::vector<oid> Arcs(const char* text) {
    oid arcs[MAX_OID_LEN];
    size_t length = MAX_OID_LEN;
    read_objid(text, arcs, &length);
    return std::vector<oid>(arcs, arcs + length);
}

// The floor: one bare Net-SNMP session per device, the same exchanges.
bool FloorIdentify(const std::string& address) {
    static const std::vector<oid> sysObjectId = Arcs(".1.3.6.1.2.1.1.2.0");
    static const std::vector<oid> name = Arcs(".1.3.6.1.4.1.32473.2.3.50.1.2.3.1.2.1.1");
    static const std::vector<oid> model = Arcs(".1.3.6.1.2.1.25.3.2.1.3");
    static const std::vector<oid> location = Arcs(".1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4.1.1");
    std::string peer = "udp:" + address + ":161";
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.version = SNMP_VERSION_1;
    settings.community = reinterpret_cast<u_char*>(const_cast<char*>("public"));
    settings.community_len = 6;
    settings.peername = peer.data();
    settings.timeout = kTimeOut * 10000L;
    settings.retries = 1;
    void* session = snmp_sess_open(&settings);
    if (!session)
        return false;
    bool ok = true;
    for (const auto* arcs : {&sysObjectId, &name, &model, &location}) {
        netsnmp_pdu* request = snmp_pdu_create(arcs == &model ? SNMP_MSG_GETNEXT : SNMP_MSG_GET);
        snmp_add_null_var(request, arcs->data(), arcs->size());
        netsnmp_pdu* response = nullptr;
        int status = snmp_sess_synch_response(session, request, &response);
        if (response)
            snmp_free_pdu(response);
        if (status != STAT_SUCCESS) {
            ok = false;
            break;  // as identification stops when sysObjectID does not come
        }
    }
    snmp_sess_close(session);
    return ok;
}

template <typename Work>
double Seconds(Work work) {
    auto t0 = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 5;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc && std::atoi(argv[i + 1]) > 0)
            rounds = std::atoi(argv[++i]);
    qxtest::EnterRequestedPrivateNetwork();
    if (!qxtest::InPrivateNetwork()) {
        std::fprintf(stderr, "needs root for a private network: %s\n",
                     qxtest::PrivateNetworkError().c_str());
        return 2;
    }
    setenv("MIBS", "", 1);
    init_snmp("identification_bench");

    char dir[] = "/tmp/qx-identbench-XXXXXX";
    if (!mkdtemp(dir))
        return 2;
    setenv("QX_REGISTRY_DIR", dir, 1);
    qx::reg::ResetStoreConnections();
    qx::reg::Key key;
    qx::reg::Key::Create(qx::reg::Hive::CurrentUser, qx::ClientRootKey(1), key);
    key.SetDword("TimeOut", kTimeOut);

    std::vector<std::unique_ptr<qxtest::NetSnmpAgent>> agents;
    for (int i = 0; i < kMaxDevices; ++i) {
        const std::string config =
            "sysobjectid 1.3.6.1.4.1.32473.2.3.14.1\n"
            "override 1.3.6.1.4.1.32473.2.3.50.1.2.3.1.2.1.1 octet_str \"device " +
            std::to_string(i) +
            "\"\n"
            "override 1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4.1.1 octet_str \"room " +
            std::to_string(i) + "\"\n";
        agents.push_back(std::make_unique<qxtest::NetSnmpAgent>(DeviceAddress(i), config));
        std::string error;
        if (!agents.back()->Start(error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 2;
        }
    }

    std::printf("%-34s %10s %10s %10s %6s\n", "addresses", "one-by-one", "16 at once", "floor",
                "rows");
    for (int devices : {10, 40}) {
        for (int silent : {0, 2}) {
            std::vector<std::string> addresses;
            for (int i = 0; i < devices; ++i)
                addresses.push_back(DeviceAddress(i));
            // Silent ones early in the list, where they hold up every row after them.
            for (int s = 0; s < silent; ++s)
                addresses.insert(addresses.begin() + 1 + s, "127.0.2." + std::to_string(10 + s));
            const int n = silent ? std::max(1, rounds / 3) : rounds;
            std::vector<double> one, many, floor;
            size_t rows = 0;
            for (int r = 0; r < n; ++r) {
                one.push_back(Seconds([&] {
                    qx::CDeviceList list;
                    qx::CNetworkDeviceIdentification id(list, 1, 1);
                    id.IdentifyAddresses(addresses, 1);
                    rows = list.RowCount();
                }));
                many.push_back(Seconds([&] {
                    qx::CDeviceList list;
                    qx::CNetworkDeviceIdentification id(list, 1, 1);
                    id.IdentifyAddresses(addresses, 16);
                    if (list.RowCount() != rows)
                        rows = 0;
                }));
                floor.push_back(Seconds([&] {
                    for (const std::string& a : addresses)
                        FloorIdentify(a);
                }));
            }
            char label[64];
            std::snprintf(label, sizeof label, "%d devices, %d silent", devices, silent);
            std::printf("%-34s %9.3fs %9.3fs %9.3fs %6zu\n", label, Median(one), Median(many),
                        Median(floor), rows);
        }
    }
    agents.clear();
    std::filesystem::remove_all(dir);
    return 0;
}
