// The server's lifetime on a private bus: started by a client's first call,
// ended about 6 s after its last object goes, kept by a new object within the
// 5000 ms, kept when started by hand and never used, and not held up by a
// client that was killed while holding an object.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <signal.h>

#include "ServerProcess.h"
#include "automation/TypeLibrary.h"
#include "platform/bus/RemoteObject.h"
#include "platform/com/ComPtr.h"
#include "support/PrivateBus.h"
#include "support/TempRegistry.h"

using namespace qxtest;

namespace {

const QString kName = QStringLiteral("com.quorvia.KORVALENMISvr");
// 5000 ms of quiet, then the 1000 ms pause after the message loop.
constexpr qint64 kEndAfterMs = 6000;
constexpr qint64 kTolerance = 60;  // the clocks of two processes
// The latest a server may end: the wait plus one and a half seconds.
constexpr qint64 kGoneWithinMs = 5000 + 1500;
// Not much later: a loaded machine, or a sanitizer build, may be slow.
constexpr int kLateMs = 30000;

class ServerLifetime : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_bus.Ok());
        QProcess reg;
        reg.start(ServerProgram(), {"-RegServer"});
        ASSERT_TRUE(reg.waitForFinished(60000));
        ASSERT_EQ(reg.exitCode(), 0);
        m_client = m_bus.Connect();
    }
    void TearDown() override { m_bus.Disconnect(m_client); }

    qx::ComPtr<IDispatch> Create(const char* progId) {
        qx::ComPtr<IDispatch> object;
        HRESULT hr = qx::bus::CreateRemoteInstance(m_client, qx::KORVALENMISvrEndpoint(), progId,
                                                   IID_IDispatch, object.OutVoid());
        EXPECT_EQ(hr, S_OK);
        return object;
    }
    HRESULT CallGetModel(IDispatch* object) {
        qx::Variant model;
        VARIANTARG arg;
        VariantInit(&arg);
        arg.vt = VT_BYREF | VT_VARIANT;
        arg.pvarVal = model.Get();
        DISPPARAMS params{&arg, nullptr, 1, 0};
        return object->Invoke(3, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }

    TempRegistry m_registry;  // before the bus: the bus hands it to the server it starts
    PrivateBus m_bus;
    QDBusConnection m_client{QString()};
};

}  // namespace

TEST_F(ServerLifetime, FirstCallStartsTheServerAndReleaseEndsItAboutSixSecondsLater) {
    ASSERT_EQ(m_bus.OwnerPid(kName), 0) << "no server runs before the first call";
    auto object = Create("KORVALENMISvr.DsePrinterConfigKORVALEN");
    ASSERT_TRUE(object);
    qint64 pid = m_bus.OwnerPid(kName);
    ASSERT_GT(pid, 0) << "the bus started the server";
    EXPECT_EQ(CallGetModel(object.Get()), S_OK);

    object.Reset();
    QElapsedTimer sinceRelease;
    sinceRelease.start();
    qint64 ended = WaitForProcessEnd(pid, kLateMs);
    ASSERT_GE(ended, 0) << "the server did not end";
    EXPECT_GE(sinceRelease.elapsed(), kEndAfterMs - kTolerance);
    EXPECT_LE(sinceRelease.elapsed(), kGoneWithinMs) << "and not much later";
}

TEST_F(ServerLifetime, NewObjectWithinTheWaitKeepsTheServer) {
    auto first = Create("KORVALENMISvr.DseTendraKORVALEN");
    qint64 pid = m_bus.OwnerPid(kName);
    ASSERT_GT(pid, 0);
    first.Reset();
    QThread::msleep(2500);
    auto second = Create("KORVALENMISvr.DseTendraKORVALEN");
    EXPECT_EQ(m_bus.OwnerPid(kName), pid) << "the same server serves";
    QThread::msleep(kEndAfterMs + 2000 - 2500);
    EXPECT_FALSE(ProcessGone(pid)) << "an object is alive";
    second.Reset();
    QElapsedTimer sinceRelease;
    sinceRelease.start();
    ASSERT_GE(WaitForProcessEnd(pid, kLateMs), 0);
    EXPECT_GE(sinceRelease.elapsed(), kEndAfterMs - kTolerance)
        << "5000 ms after the next release, then the pause";
    EXPECT_LE(sinceRelease.elapsed(), kGoneWithinMs);
}

TEST_F(ServerLifetime, ServerStartedByHandAndNeverUsedKeepsRunning) {
    QProcess* server = StartServer({});
    QElapsedTimer timer;
    timer.start();
    while (m_bus.OwnerPid(kName) == 0 && timer.elapsed() < 20000)
        QThread::msleep(50);
    ASSERT_EQ(m_bus.OwnerPid(kName), server->processId());
    QThread::msleep(kEndAfterMs + 2000);
    EXPECT_EQ(server->state(), QProcess::Running);
    EXPECT_EQ(m_bus.OwnerPid(kName), server->processId());
    StopServer(server);
}

TEST_F(ServerLifetime, KilledClientDoesNotKeepTheServerAlive) {
    QProcess client;
    client.start(QString::fromStdString(qx::ProgramDirectory() + "/qx_test_hold_object"), {});
    ASSERT_TRUE(client.waitForReadyRead(60000));
    ASSERT_TRUE(client.readAllStandardOutput().startsWith("ready")) << "the client holds an object";
    qint64 pid = m_bus.OwnerPid(kName);
    ASSERT_GT(pid, 0);
    kill(static_cast<pid_t>(client.processId()), SIGKILL);
    client.waitForFinished(10000);
    QElapsedTimer sinceKill;
    sinceKill.start();
    // The object waits the client grace time for another user, then goes;
    // the server ends as after any last release.
    qint64 ended = WaitForProcessEnd(pid, 10000 + kLateMs + kEndAfterMs);
    ASSERT_GE(ended, 0) << "the killed client's object held the server";
    EXPECT_GE(sinceKill.elapsed(), 10000 + kEndAfterMs - kTolerance);
}
