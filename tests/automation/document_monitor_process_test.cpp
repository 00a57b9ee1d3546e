// The document-monitor objects end to end: the server started on demand on
// a private bus, qxctl as the client, qxmonitor as the Tendra monitor, a
// registry store and a session (runtime directory) of the test's own.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdlib>
#include <string>

#include "automation/CDseTendra.h"
#include "platform/bus/TendraExit.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/ProgramPath.h"
#include "support/PrivateBus.h"
#include "support/PrivateHosts.h"
#include "support/PrivateSession.h"
#include "support/RegFixture.h"
#include "support/TempRegistry.h"

using namespace qxtest;

namespace {

struct Result {
    int code = -1;
    std::string out, err;
};

QString Program(const char* name) {
    return QString::fromStdString(qx::ProgramDirectory() + "/" + name);
}

Result RunTool(const char* program, const QStringList& args) {
    QProcess p;
    p.start(Program(program), args);
    Result r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitCode();
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

std::string Record(int family, const std::string& id, const char* value) {
    qx::reg::Key key;
    std::string text;
    if (qx::reg::Key::Open(qx::reg::Hive::CurrentUser,
                           qx::CDseTendra::SubmissionsKey(family) + "\\" + id,
                           qx::reg::Access::Read, key) ||
        key.GetString(value, text))
        return "(none)";
    return text;
}

// The stand-in monitor, running until the test ends.
class Monitor {
  public:
    explicit Monitor(const QStringList& args = {}) {
        m_process.start(Program("qxmonitor"), args);
        m_ready = m_process.waitForStarted(10000);
        QElapsedTimer clock;
        clock.start();
        QByteArray err;
        while (m_ready && !err.contains("waiting for submissions")) {
            if (clock.elapsed() > 20000 || m_process.state() != QProcess::Running)
                m_ready = false;
            m_process.waitForReadyRead(50);  // reads stderr too
            err += m_process.readAllStandardError();
        }
    }
    ~Monitor() {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
    bool Ready() const { return m_ready; }
    std::string NextLine() {
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(20000))
                return "(nothing)";
        return m_process.readLine().toStdString();
    }

  private:
    QProcess m_process;
    bool m_ready = false;
};

// A session of its own, then the store, then the bus.
using Session = qxtest::PrivateSession;

class DocumentMonitorProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_bus.Ok());
        SeedRegistry(DataFile("automation", "monitor_printers.reg"));
        ASSERT_EQ(RunTool("AL1MISvr", {"-RegServer"}).code, 0);
    }
    Session m_session;
    TempRegistry m_registry;
    PrivateBus m_bus;
};

}  // namespace

TEST_F(DocumentMonitorProcess, ASubmissionReachesTheRunningMonitor) {
    {
        Monitor monitor;
        ASSERT_TRUE(monitor.Ready());
        Result r = RunTool("qxctl", {"submit", "Office Laser", "1001"});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, "S_OK\n");
        EXPECT_EQ(monitor.NextLine(), "1001 10.1.2.3 Office Laser\n");
        EXPECT_EQ(Record(1, "1001", "Printer"), "Office Laser");

        r = RunTool("qxctl", {"submit", "Stored Printer", "1002", "--orven"});
        EXPECT_EQ(r.out, "E_FAIL\n")
            << "the ORVEN store has no address for it, and no user answers the question";
        r = RunTool("qxctl", {"submit", "Office Laser", "1003", "--orven"});
        EXPECT_EQ(r.out, "S_OK\n");
        EXPECT_EQ(monitor.NextLine(), "1003 10.1.2.3 Office Laser\n");
        EXPECT_EQ(Record(2, "1003", "Address"), "10.1.2.3");

        r = RunTool("qxctl", {"submit", "", "1004"});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.out, "E_INVALIDARG\n");
        r = RunTool("qxctl", {"submit", "Office Laser", ""});
        EXPECT_EQ(r.out, "E_INVALIDARG\n");
    }
    // The monitor is gone (killed): nothing is submitted.
    Result r = RunTool("qxctl", {"submit", "Office Laser", "1005"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "E_FAIL\n");
    EXPECT_EQ(Record(1, "1005", "Address"), "(none)");

    Monitor json({"--json"});
    ASSERT_TRUE(json.Ready());
    EXPECT_EQ(RunTool("qxctl", {"submit", "Office Laser", "1006"}).code, 0);
    EXPECT_EQ(json.NextLine(),
              "{\"address\":\"10.1.2.3\",\"family\":1,\"id\":\"1006\",\"printer\":\"Office "
              "Laser\"}\n");
}

TEST_F(DocumentMonitorProcess, AddressesComeFromTheTableOrTheLastLookUp) {
    Result r = RunTool("qxctl", {"address", "Office Laser"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "S_OK 10.1.2.3\n");
    r = RunTool("qxctl", {"address", "Printer Nobody Knows"});
    EXPECT_EQ(r.out, "S_OK 10.4.4.2\n") << "Address2, as the last look-up value \"64\" says";
    r = RunTool("qxctl", {"address", "Printer Nobody Knows", "--orven"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "E_FAIL\n");
    r = RunTool("qxctl", {"address"});
    EXPECT_EQ(r.code, 2);
}

TEST_F(DocumentMonitorProcess, ExitBroadcastReachesTheBus) {
    QDBusConnection connection = m_bus.Connect();
    qx::bus::TendraExitWatcher watcher(connection);
    ASSERT_TRUE(watcher.IsListening());
    int heard = 0;
    QObject::connect(&watcher, &qx::bus::TendraExitWatcher::TendraExit, [&] { ++heard; });
    EXPECT_EQ(RunTool("qxmonitor", {"--exit"}).code, 0);
    QElapsedTimer clock;
    clock.start();
    while (heard == 0 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(heard, 1);
}

// The monitor's exit broadcast ends a server that shows the network
// discovery dialog for a client: the dialog's watcher subscribes as it
// opens, so the broadcast is repeated until the server has gone.
TEST_F(DocumentMonitorProcess, TendraExitEndsAServerWhoseNetworkDialogIsOpen) {
    QProcess client;
    client.start(Program("qxctl"),
                 {"call", "KORVALENMISvr.DseTendraKORVALEN", "DoNetworkDiscoveryKORVALEN"});
    ASSERT_TRUE(client.waitForStarted(10000));
    QElapsedTimer clock;
    clock.start();
    qint64 server = 0;
    while ((server = m_bus.OwnerPid("com.quorvia.KORVALENMISvr")) == 0 &&
           client.state() == QProcess::Running && clock.elapsed() < 30000)
        client.waitForFinished(50);
    ASSERT_NE(server, 0) << "the call started no server";
    while (!ProcessGone(server) && clock.elapsed() < 60000) {
        ASSERT_EQ(RunTool("qxmonitor", {"--exit"}).code, 0);
        WaitForProcessEnd(server, 250);
    }
    EXPECT_TRUE(ProcessGone(server));
    ASSERT_TRUE(client.waitForFinished(30000));
    EXPECT_NE(client.exitCode(), 0)
        << "the call was never answered: " << client.readAllStandardOutput().toStdString();
}

// Shared printers whose print server's name resolves from the test's hosts
// file (see PrivateHosts.h).
TEST(DocumentMonitorProcessShared, PrintServersOverTheBus) {
    auto run = RerunWithPrivateHosts("10.20.30.41 QXCTRL\n",
                                     "DocumentMonitorProcessShared.DISABLED_InsidePrivateHosts");
    if (!run.started)
        GTEST_SKIP() << "no private mount namespace can be made here";
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("[  PASSED  ] 1 test."), std::string::npos) << run.output;
}

TEST(DocumentMonitorProcessShared, DISABLED_InsidePrivateHosts) {
    ASSERT_TRUE(InPrivateHosts());
    Session session;
    TempRegistry registry;
    PrivateBus bus;
    ASSERT_TRUE(bus.Ok());
    SeedRegistry(DataFile("automation", "monitor_printers.reg"));
    ASSERT_EQ(RunTool("AL1MISvr", {"-RegServer"}).code, 0);
    Monitor monitor;
    ASSERT_TRUE(monitor.Ready());

    EXPECT_EQ(RunTool("qxctl", {"submit", "\\\\QXCTRL\\Reception", "s1"}).out, "S_OK\n");
    EXPECT_EQ(monitor.NextLine(), "s1 10.20.30.41 Reception\n");
    EXPECT_EQ(RunTool("qxctl", {"submit", "\\\\NOHOST\\long", "s2"}).out, "S_OK\n");
    EXPECT_EQ(monitor.NextLine(), "s2 00000ABCD:00AA00BB00CC long\n");
    Result r = RunTool("qxctl", {"submit", "\\\\NOHOST\\short", "s3"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(Record(1, "s3", "Address"), "(none)") << "12 characters are no address";
    r = RunTool("qxctl", {"submit", "\\\\NOHOST\\missing", "s4"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "S_FALSE\n");
    EXPECT_EQ(RunTool("qxctl", {"submit", "\\\\0000ABCD:00AA00BB00CC\\Queue", "s5", "--orven"}).out,
              "S_OK\n");
    EXPECT_EQ(monitor.NextLine(), "s5 0000ABCD:00AA00BB00CC Queue\n");
}
