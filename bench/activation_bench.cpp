// Cold activation and call round trips of the server on a private session
// bus, beside the floor: a bare bus ping to the same server process, and to
// the bus itself.
//
//   build/bin/activation_bench [--benchmark_repetitions=N]
//
// Cold activation: CreateInstance with no server running, until the client
// holds the object (the bus starts the program, which registers itself,
// offers its classes, creates the object). Between iterations the server is
// ended from outside, untimed.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QThread>

#include <signal.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "automation/TypeLibrary.h"
#include "platform/bus/RemoteObject.h"
#include "platform/com/ComPtr.h"
#include "platform/system/ProgramPath.h"
#include "support/PrivateBus.h"
#include "support/TempRegistry.h"

namespace {

qxtest::PrivateBus* g_bus = nullptr;
QDBusConnection* g_client = nullptr;
const QString kName = QStringLiteral("com.quorvia.KORVALENMISvr");

void EndServer() {
    qint64 pid = g_bus->OwnerPid(kName);
    if (pid <= 0)
        return;
    kill(static_cast<pid_t>(pid), SIGTERM);
    qxtest::WaitForProcessEnd(pid, 30000);
    while (g_bus->OwnerPid(kName) != 0)
        QThread::msleep(5);
}

qx::ComPtr<IDispatch> Create(const char* progId) {
    qx::ComPtr<IDispatch> object;
    HRESULT hr = qx::bus::CreateRemoteInstance(*g_client, qx::KORVALENMISvrEndpoint(), progId,
                                               IID_IDispatch, object.OutVoid());
    if (FAILED(hr))
        std::fprintf(stderr, "CreateInstance failed: 0x%08X\n", static_cast<unsigned>(hr));
    return object;
}

void BM_ColdActivation(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        EndServer();
        state.ResumeTiming();
        auto object = Create("KORVALENMISvr.DsePrinterConfigKORVALEN");
        state.PauseTiming();
        if (!object)
            state.SkipWithError("no object");
        object.Detach();  // the server is ended from outside; no Release needed
        state.ResumeTiming();
    }
    EndServer();
}
BENCHMARK(BM_ColdActivation)->Unit(benchmark::kMillisecond)->Iterations(15);

// GetADUState through the proxy: IDispatch::Invoke, the bus call, the
// server's dispatch to the object and the VARIANT coming back.
void BM_TrivialCallThroughProxy(benchmark::State& state) {
    auto object = Create("KORVALENMISvr.DsePrinterConfigKORVALEN");
    DISPID id = 21;
    qx::Variant value;
    VARIANTARG arg;
    VariantInit(&arg);
    arg.vt = VT_BYREF | VT_VARIANT;
    arg.pvarVal = value.Get();
    DISPPARAMS params{&arg, nullptr, 1, 0};
    object->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                   nullptr);  // type info fetched
    for (auto _ : state)
        benchmark::DoNotOptimize(
            object->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
}
BENCHMARK(BM_TrivialCallThroughProxy)->Unit(benchmark::kMicrosecond);

QDBusMessage Call(const QString& service, const QString& path, const QString& itf,
                  const QString& member) {
    return g_client->call(QDBusMessage::createMethodCall(service, path, itf, member), QDBus::Block,
                          INT_MAX);
}

// The same method as a plain bus call.
void BM_TrivialCallRaw(benchmark::State& state) {
    QDBusMessage create =
        QDBusMessage::createMethodCall(kName, "/com/quorvia/KORVALENMISvr",
                                       "com.quorvia.KORVALENMISvr.ClassFactory", "CreateInstance");
    create << QStringLiteral("KORVALENMISvr.DsePrinterConfigKORVALEN");
    QDBusMessage r = g_client->call(create, QDBus::Block, INT_MAX);
    QString path = r.arguments().value(1).value<QDBusObjectPath>().path();
    QString owner = r.service();
    for (auto _ : state)
        benchmark::DoNotOptimize(Call(
            owner, path, "com.quorvia.KORVALENMISvr.IDsePrinterConfigKORVALEN", "GetADUState"));
    Call(owner, path, "com.quorvia.KORVALENMISvr.Object", "Release");
}
BENCHMARK(BM_TrivialCallRaw)->Unit(benchmark::kMicrosecond);

// The floor: a ping to the server process over the same bus.
void BM_PingServer(benchmark::State& state) {
    auto keep = Create("KORVALENMISvr.DseTendraKORVALEN");  // keeps the server running
    QString owner = g_client->interface()->serviceOwner(kName);
    for (auto _ : state)
        benchmark::DoNotOptimize(Call(owner, "/", "org.freedesktop.DBus.Peer", "Ping"));
}
BENCHMARK(BM_PingServer)->Unit(benchmark::kMicrosecond);

// A ping to the bus daemon itself.
void BM_PingBus(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(Call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                      "org.freedesktop.DBus.Peer", "Ping"));
}
BENCHMARK(BM_PingBus)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qxtest::TempRegistry registry;  // before the bus: the server it starts uses it
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
    QDBusConnection client = bus.Connect();
    g_bus = &bus;
    g_client = &client;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    EndServer();
    g_client = nullptr;
    bus.Disconnect(client);
    return 0;
}
