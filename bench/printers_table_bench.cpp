// Building a printers table over a workstation with 500 printers: the time
// per printer and the store reads per printer, beside what the table cannot
// avoid (the spooler's enumeration, one language-library load per DSSC check).

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "inventory/DsePrintersTable.h"
#include "inventory/InventoryKeys.h"
#include "platform/lang/LanguageLibrary.h"
#include "platform/registry/RegistryKey.h"
#include "platform/spooler/Spooler.h"

namespace {

using qx::reg::Hive;
using qx::reg::Key;

constexpr int kPrinters = 500;
constexpr const char* kPrintersKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";

// A workstation as an administrator sets one up: printers on Standard TCP/IP,
// AIPP and LPR ports (dotted hosts: nothing waits for a name server), local
// ports, printer connections (some of them QX-2 controller shares), and a
// PrinterDiscovery store that knows a third of the printers.
struct Workstation {
    std::string dir;
    Workstation() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qx-bench-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        setenv("QX_REGISTRY_DIR", dir.c_str(), 1);
        qx::reg::ResetStoreConnections();
        Key store;
        Key::Create(Hive::CurrentUser, qx::PrinterDiscoveryKey(1), store);
        for (int i = 0; i < kPrinters; ++i) {
            std::string n = std::to_string(i);
            std::string ip = "10.1." + std::to_string(i / 200) + "." + std::to_string(i % 200 + 1);
            std::string port;
            Key monitor;
            switch (i % 5) {
                case 0:
                case 1:
                    port = "IP_" + ip;
                    Key::Create(Hive::LocalMachine,
                                std::string(qx::kStandardTcpIpPortsKey) + "\\" + port, monitor);
                    monitor.SetString("IPAddress", ip);
                    break;
                case 2:
                    port = "AIPP_" + n;
                    Key::Create(Hive::LocalMachine, std::string(qx::kAippPortsKey) + "\\" + port,
                                monitor);
                    monitor.SetString("Url", "http://" + ip + ":631/printers/p" + n);
                    break;
                case 3:
                    port = ip + ":raw";
                    Key::Create(Hive::LocalMachine, std::string(qx::kLprPortsKey) + "\\" + port,
                                monitor);
                    break;
                case 4:
                    port = "LPT" + std::to_string(i % 3 + 1) + ":";
                    break;
            }
            Key printer;
            if (i % 10 == 9) {
                // A connection; every other one a controller's share.
                std::string queue = i % 20 == 19 ? "print" : "Printer " + n;
                Key::Create(Hive::CurrentUser, "Printers\\Connections\\,,SRV" + n + "," + queue,
                            printer);
            } else {
                Key::Create(Hive::LocalMachine, std::string(kPrintersKey) + "\\Printer " + n,
                            printer);
                printer.SetString("Name", "Printer " + n);
            }
            printer.SetString("Port", port);
            printer.SetString("Printer Driver", "QX Universal PCL");
            printer.SetString("Description", "Floor " + std::to_string(i % 7));
            printer.SetString("Location", "Room " + n);
            if (i % 3 == 0 && i % 5 < 2)
                store.SetString(port, ip);
        }
    }
    ~Workstation() {
        qx::reg::ResetStoreConnections();
        std::filesystem::remove_all(dir);
    }
};

Workstation& TheWorkstation() {
    static Workstation w;
    return w;
}

void Report(benchmark::State& state, uint64_t readsBefore) {
    uint64_t reads = qx::reg::StoreReadCount() - readsBefore;
    state.counters["time_per_printer"] = benchmark::Counter(
        kPrinters, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["reads_per_printer"] =
        static_cast<double>(reads) / static_cast<double>(state.iterations()) / kPrinters;
}

// The discovery dialogs' table: every printer, no name resolution.
void BM_BuildTable(benchmark::State& state) {
    TheWorkstation();
    uint64_t before = qx::reg::StoreReadCount();
    for (auto _ : state) {
        qx::CDsePrintersTable table(nullptr, false, false, 1);
        benchmark::DoNotOptimize(table.GetCount());
    }
    Report(state, before);
}
BENCHMARK(BM_BuildTable)->Unit(benchmark::kMillisecond);

// The document monitor's table: one printer in scope, spooler check and
// name resolution on (its LPR host is dotted).
void BM_BuildTableForOnePrinter(benchmark::State& state) {
    TheWorkstation();
    uint64_t before = qx::reg::StoreReadCount();
    for (auto _ : state) {
        qx::CDsePrintersTable table("Printer 103", true, true, 1);
        benchmark::DoNotOptimize(table.GetPrinterByShellName("Printer 103"));
    }
    Report(state, before);
}
BENCHMARK(BM_BuildTableForOnePrinter)->Unit(benchmark::kMillisecond);

// Floor: the spooler's two-call enumeration alone (the table makes it once and
// the shell's folder reads the same printers once more).
void BM_EnumPrinters(benchmark::State& state) {
    TheWorkstation();
    uint64_t before = qx::reg::StoreReadCount();
    for (auto _ : state) {
        uint32_t needed = 0, count = 0;
        constexpr uint32_t kFlags =
            qx::spool::PRINTER_ENUM_LOCAL | qx::spool::PRINTER_ENUM_CONNECTIONS;
        qx::spool::Spooler::EnumPrinters(kFlags, 2, nullptr, 0, needed, count);
        auto buffer = std::make_unique<uint8_t[]>(needed);
        qx::spool::Spooler::EnumPrinters(kFlags, 2, buffer.get(), needed, needed, count);
        benchmark::DoNotOptimize(buffer.get());
    }
    Report(state, before);
}
BENCHMARK(BM_EnumPrinters)->Unit(benchmark::kMillisecond);

// Floor: one load of the language library, which each DSSC check makes.
void BM_LanguageLibraryLoad(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(qx::LanguageLibrary::Load());
}
BENCHMARK(BM_LanguageLibraryLoad)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
