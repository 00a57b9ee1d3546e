// InitPrinter for a printer on a Standard TCP/IP port, as a driver calls it
// over a private session bus, against Net-SNMP's snmpd serving the single
// device's profile (tests/state/data/single.snmprec), beside its floors:
//
//   warm: the server runs; InitPrinter through the object's proxy beside as
//         many bare single-binding Net-SNMP GETs on one open session to the
//         same agent as InitPrinter makes exchanges (the agent counts them,
//         snmpInPkts). Target: within 10%.
//   cold: no server runs; creating the object (the bus starts the server)
//         and InitPrinter, beside the cold start of a bare activatable
//         service (bare_bus_service: takes its name, answers Ping) plus the
//         warm InitPrinter. Target: within 2x.
//
//   build/bin/printer_config_bench [--rounds N] [--cold-rounds N]
//
// The agent and the bus run in the program's own network namespace, so the
// program needs root. Warm rounds alternate InitPrinter and floor; the
// summary gives medians. Exit status 3 when a target is missed.

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QThread>

#include <signal.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "automation/CDsePrinterConfigKORVALEN.h"
#include "automation/Interfaces.h"
#include "automation/TypeLibrary.h"
#include "model/MIBMappingTable.h"
#include "model/SnmpReader.h"
#include "platform/bus/RemoteObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/RegistryKey.h"
#include "platform/sync/NamedEvent.h"
#include "platform/system/ProgramPath.h"
#include "state/DsePrinterSummaryTable.h"
#include "support/NetSnmpAgent.h"
#include "support/PrivateBus.h"
#include "support/PrivateNetwork.h"
#include "support/SimulatedDevice.h"
#include "support/TempRegistry.h"
#include "support/TestData.h"

QX_TEST_USES_PRIVATE_NETWORK();

namespace {

constexpr const char* kAddress = "127.0.0.2";
constexpr const char* kPort = "IP_127.0.0.2";
constexpr const char* kEventName = "printer-config-bench";
const QString kServer = QStringLiteral("com.quorvia.KORVALENMISvr");
const QString kBare = QStringLiteral("com.quorvia.BareService");
constexpr int kWarmUpRounds = 10;

constexpr const char* kInPackets = "1.3.6.1.2.1.11.1.0";  // snmpInPkts
// EID_ODRAGENERALQXNAME of device 1.
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

int InPackets() {
    qx::CSnmpReader reader;
    reader.Target().SetAddress(kAddress);
    int32_t count = -1;
    return reader.GetInt32(kInPackets, &count) == S_OK ? count : -1;
}

class FloorSession {
  public:
    FloorSession() : m_peer(std::string("udp:") + kAddress + ":161") {
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

template <typename Work>
double Micros(Work work) {
    auto t0 = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
}

double Quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

qxtest::PrivateBus* g_bus = nullptr;
QDBusConnection* g_client = nullptr;

// Ends a service that the bus started, and waits until its name is free.
void EndService(const QString& name) {
    qint64 pid = g_bus->OwnerPid(name);
    if (pid <= 0)
        return;
    kill(static_cast<pid_t>(pid), SIGTERM);
    qxtest::WaitForProcessEnd(pid, 30000);
    while (g_bus->OwnerPid(name) != 0)
        QThread::msleep(5);
}

qx::ComPtr<IDispatch> CreateObject() {
    qx::ComPtr<IDispatch> object;
    HRESULT hr = qx::bus::CreateRemoteInstance(*g_client, qx::KORVALENMISvrEndpoint(),
                                               "KORVALENMISvr.DsePrinterConfigKORVALEN",
                                               IID_IDispatch, object.OutVoid());
    if (FAILED(hr))
        std::fprintf(stderr, "CreateInstance failed: 0x%08X\n", static_cast<unsigned>(hr));
    return object;
}

HRESULT InitPrinter(IDispatch* object) {
    qx::Variant args[] = {qx::Variant(0x40),
                          qx::Variant(std::string_view("")),
                          qx::Variant(kPort),
                          qx::Variant(kEventName),
                          qx::Variant(3),
                          qx::Variant(0),
                          qx::Variant(std::string_view("Bench"))};  // last first
    VARIANTARG raw[7];
    for (int i = 0; i < 7; ++i)
        raw[i] = *args[i].Get();
    DISPPARAMS params{raw, nullptr, 7, 0};
    return object->Invoke(1, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

bool PingBare() {
    QDBusMessage r = g_client->call(
        QDBusMessage::createMethodCall(kBare, "/", "org.freedesktop.DBus.Peer", "Ping"),
        QDBus::Block, INT_MAX);
    return r.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 200, coldRounds = 15;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            rounds = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--cold-rounds") == 0 && i + 1 < argc &&
                   std::atoi(argv[i + 1]) > 0) {
            coldRounds = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: printer_config_bench [--rounds N] [--cold-rounds N]\n");
            return 2;
        }
    }
    qxtest::EnterRequestedPrivateNetwork();
    if (!qxtest::InPrivateNetwork()) {
        std::fprintf(stderr, "printer_config_bench: no private network (%s); run it as root\n",
                     qxtest::PrivateNetworkError().c_str());
        return 1;
    }
    QCoreApplication app(argc, argv);
    qxtest::TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    qxtest::TempRegistry registry;  // before the bus: the server it starts uses it
    {
        qx::reg::Key key;
        qx::reg::Key::Create(qx::reg::Hive::LocalMachine,
                             std::string("SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\"
                                         "Standard TCP/IP Port\\Ports\\") +
                                 kPort,
                             key);
        key.SetString("IPAddress", kAddress);
    }
    qxtest::PrivateBus bus;
    if (!bus.Ok()) {
        std::fprintf(stderr, "printer_config_bench: no private bus\n");
        return 1;
    }
    std::string reg = "'" + qx::ProgramDirectory() + "/AL1MISvr' -RegServer";
    if (std::system(reg.c_str()) != 0) {
        std::fprintf(stderr, "printer_config_bench: registration failed\n");
        return 1;
    }
    std::ofstream(bus.ServiceDir() + "/com.quorvia.BareService.service")
        << "[D-BUS Service]\nName=com.quorvia.BareService\nExec=" << qx::ProgramDirectory()
        << "/bare_bus_service com.quorvia.BareService\n";

    qxtest::NetSnmpAgent agent(
        kAddress,
        OverrideLines(qxtest::ReadTextFile(qxtest::TestDataPath("state", "single.snmprec"))));
    std::string error;
    if (!agent.Start(error)) {
        std::fprintf(stderr, "printer_config_bench: %s\n", error.c_str());
        return 1;
    }
    QDBusConnection client = bus.Connect();
    g_bus = &bus;
    g_client = &client;
    qx::NamedEvent cancel;
    if (cancel.Create(kEventName, qx::NamedEvent::ResetMode::Manual, false) != 0) {
        std::fprintf(stderr, "printer_config_bench: no cancel event\n");
        return 1;
    }

    // Warm: one object, the server running.
    auto object = CreateObject();
    int before = InPackets();
    HRESULT hr = object ? InitPrinter(object.Get()) : E_FAIL;
    int after = InPackets();
    if (hr != S_OK || before < 0 || after < 0) {
        std::fprintf(stderr, "printer_config_bench: InitPrinter answered 0x%08X\n",
                     static_cast<unsigned>(hr));
        return 1;
    }
    const int exchanges = after - before - 1;
    FloorSession floor;
    std::vector<double> warm, floorTimes, ratios;
    bool ok = true;
    for (int round = -kWarmUpRounds; round < rounds && ok; ++round) {
        double w = 0, f = 0;
        auto init = [&] { ok = ok && InitPrinter(object.Get()) == S_OK; };
        auto gets = [&] { ok = ok && floor.Gets(exchanges); };
        if (round % 2 == 0) {
            w = Micros(init);
            f = Micros(gets);
        } else {
            f = Micros(gets);
            w = Micros(init);
        }
        if (round < 0)
            continue;
        warm.push_back(w);
        floorTimes.push_back(f);
        ratios.push_back(w / f);
    }
    object.Reset();
    if (!ok) {
        std::fprintf(stderr, "printer_config_bench: a warm round failed\n");
        return 1;
    }

    // Where the warm time goes: the same InitPrinter in this process (no
    // bus), and the summary table's refresh alone.
    std::vector<double> local, refresh, creation, mapping;
    {
        CoInitialize();
        qx::ComPtr<IDsePrinterConfigKORVALEN> config;
        qx::CDsePrinterConfigKORVALEN::CreateInstance(nullptr, IID_IDsePrinterConfigKORVALEN,
                                                      config.OutVoid());
        qx::Bstr printer("Bench"), event(kEventName), port(kPort), server("");
        for (int round = -kWarmUpRounds; round < rounds / 2 && ok; ++round) {
            double l = Micros([&] {
                ok = ok && config->InitPrinter(printer.Get(), 0, 3, event.Get(), port.Get(),
                                               server.Get(), 0x40) == S_OK;
            });
            double r = Micros([&] {
                qx::CDsePrinterSummaryTable table;
                table.SetAddress(kAddress);
                ok = ok && table.Refresh() == S_OK;
            });
            double c = Micros([&] { qx::CDsePrinterSummaryTable table; });
            double m = Micros([&] {
                qx::MIBMappingTable table;
                ok = ok && table.Load(qx::MapFilePaths());
            });
            if (round >= 0) {
                local.push_back(l);
                refresh.push_back(r);
                creation.push_back(c);
                mapping.push_back(m);
            }
        }
        config->ExitPrinter();
        config.Reset();
        CoUninitialize();
    }

    // Cold: server and bare service started by the bus, alternately.
    std::vector<double> cold, coldCreate, coldInit, bare;
    for (int round = 0; round < coldRounds && ok; ++round) {
        EndService(kServer);
        qx::ComPtr<IDispatch> o;
        const double create = Micros([&] { o = CreateObject(); });
        const double init = Micros([&] { ok = ok && o && InitPrinter(o.Get()) == S_OK; });
        o.Reset();
        cold.push_back(create + init);
        coldCreate.push_back(create);
        coldInit.push_back(init);
        EndService(kBare);
        bare.push_back(Micros([&] { ok = ok && PingBare(); }));
    }
    EndService(kServer);
    EndService(kBare);
    if (!ok) {
        std::fprintf(stderr, "printer_config_bench: a cold round failed\n");
        return 1;
    }

    const double warmMedian = Quantile(warm, 0.5), ratio = Quantile(ratios, 0.5);
    const double coldFloor = Quantile(bare, 0.5) + warmMedian;
    const double coldRatio = Quantile(cold, 0.5) / coldFloor;
    std::printf(
        "InitPrinter (Standard TCP/IP port, family code 3, single device on snmpd),\n"
        "%d exchanges with the agent. Medians; ratio quartiles in brackets.\n\n",
        exchanges);
    std::printf(
        "warm  InitPrinter %7.0f us   floor (%d bare GETs) %7.0f us   ratio %.3f "
        "[%.3f, %.3f]  %s\n",
        warmMedian, exchanges, Quantile(floorTimes, 0.5), ratio, Quantile(ratios, 0.25),
        Quantile(ratios, 0.75), ratio <= 1.10 ? "within 10%" : "OVER TARGET");
    std::printf(
        "      in this process: InitPrinter %7.0f us, table creation and refresh %7.0f us\n",
        Quantile(local, 0.5), Quantile(refresh, 0.5));
    std::printf("      table creation alone %5.0f us; one load of the mapping files %5.0f us\n",
                Quantile(creation, 0.5), Quantile(mapping, 0.5));
    std::printf(
        "cold  create + InitPrinter %7.0f us   floor (bare activation %.0f us + warm) "
        "%7.0f us   ratio %.2f  %s\n",
        Quantile(cold, 0.5), Quantile(bare, 0.5), coldFloor, coldRatio,
        coldRatio <= 2.0 ? "within 2x" : "OVER TARGET");
    std::printf(
        "      of which the server's start and CreateInstance %7.0f us, the first "
        "InitPrinter %7.0f us\n",
        Quantile(coldCreate, 0.5), Quantile(coldInit, 0.5));
    g_client = nullptr;
    bus.Disconnect(client);
    return ratio <= 1.10 && coldRatio <= 2.0 ? 0 : 3;
}
