// A SubmitDocument round trip on a private session bus, for a printer whose
// address discovery stored earlier, while a monitor holds the event: the
// printers tables, the record and the signal. Beside it the floor: a bare
// bus call of the same server (a method that does nothing) and a ping.
// Goal: the submission within 2x of the bare call.
//
//   build/bin/document_monitor_bench [--benchmark_repetitions=N]

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "automation/CDseTendra.h"
#include "platform/sync/NamedEvent.h"
#include "platform/system/ProgramPath.h"
#include "support/PrivateBus.h"
#include "support/RegFixture.h"
#include "support/TempRegistry.h"

namespace {

QDBusConnection* g_client = nullptr;
const QString kName = QStringLiteral("com.quorvia.KORVALENMISvr");

QDBusMessage Call(QDBusMessage message) {
    return g_client->call(message, QDBus::Block, INT_MAX);
}

// An object of the class, and the server's unique name.
std::pair<QString, QString> Create(const char* progId) {
    QDBusMessage create =
        QDBusMessage::createMethodCall(kName, "/com/quorvia/KORVALENMISvr",
                                       "com.quorvia.KORVALENMISvr.ClassFactory", "CreateInstance");
    create << QString::fromLatin1(progId);
    QDBusMessage r = Call(create);
    return {r.service(), r.arguments().value(1).value<QDBusObjectPath>().path()};
}

void Release(const std::pair<QString, QString>& object) {
    Call(QDBusMessage::createMethodCall(object.first, object.second,
                                        "com.quorvia.KORVALENMISvr.Object", "Release"));
}

void BM_SubmitDocument(benchmark::State& state) {
    auto object = Create("KORVALENMISvr.DseTendraKORVALEN");
    QDBusMessage submit = QDBusMessage::createMethodCall(
        object.first, object.second, "com.quorvia.KORVALENMISvr.IDseTendraKORVALEN",
        "SubmitDocument");
    submit << QStringLiteral("Stored Printer") << QStringLiteral("4711") << 1;
    if (Call(submit).arguments().value(0).toInt() != 0)
        state.SkipWithError("SubmitDocument did not succeed");
    for (auto _ : state)
        benchmark::DoNotOptimize(Call(submit));
    Release(object);
}
BENCHMARK(BM_SubmitDocument)->Unit(benchmark::kMicrosecond);

// The floor: a method of the same server that answers at once.
void BM_BareCall(benchmark::State& state) {
    auto object = Create("KORVALENMISvr.DsePrinterConfigKORVALEN");
    QDBusMessage call = QDBusMessage::createMethodCall(
        object.first, object.second, "com.quorvia.KORVALENMISvr.IDsePrinterConfigKORVALEN",
        "ExitPrinter");
    for (auto _ : state)
        benchmark::DoNotOptimize(Call(call));
    Release(object);
}
BENCHMARK(BM_BareCall)->Unit(benchmark::kMicrosecond);

void BM_PingServer(benchmark::State& state) {
    auto keep = Create("KORVALENMISvr.DseTendraKORVALEN");
    for (auto _ : state)
        benchmark::DoNotOptimize(Call(
            QDBusMessage::createMethodCall(keep.first, "/", "org.freedesktop.DBus.Peer", "Ping")));
    Release(keep);
}
BENCHMARK(BM_PingServer)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qxtest::TempDir runtime;  // the session the monitor event lives in
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    qxtest::TempRegistry registry;  // before the bus: the server it starts uses it
    qxtest::SeedRegistry(qxtest::DataFile("automation", "monitor_printers.reg"));
    qxtest::PrivateBus bus;
    if (!bus.Ok()) {
        std::fprintf(stderr, "no private bus (is dbus-daemon installed?)\n");
        return 1;
    }
    std::string reg = "'" + qx::ProgramDirectory() + "/AL1MISvr' -RegServer";
    if (std::system(reg.c_str()) != 0) {
        std::fprintf(stderr, "registration failed\n");
        return 1;
    }
    qx::NamedEvent monitor;
    if (monitor.Create(qx::kMonitorEventName, qx::NamedEvent::ResetMode::Auto, false) != 0) {
        std::fprintf(stderr, "cannot create the monitor event\n");
        return 1;
    }
    QDBusConnection client = bus.Connect();
    g_client = &client;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_client = nullptr;
    bus.Disconnect(client);
    return 0;
}
