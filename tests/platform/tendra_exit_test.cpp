// The document monitor's exit broadcast: any client may send it, from any
// path, and a dialog's watcher ends the process on it.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <cstdlib>

#include "platform/bus/TendraExit.h"
#include "platform/system/ProgramPath.h"
#include "support/PrivateBus.h"

using namespace qx;

namespace {

bool Spin(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

}  // namespace

TEST(TendraExit, WatchersHearTheBroadcastFromAnyClient) {
    qxtest::PrivateBus bus;
    ASSERT_TRUE(bus.Ok());
    QDBusConnection listener = bus.Connect();
    int heard = 0;
    {
        bus::TendraExitWatcher watcher(listener);
        ASSERT_TRUE(watcher.IsListening());
        QObject::connect(&watcher, &bus::TendraExitWatcher::TendraExit, [&] { ++heard; });

        QDBusConnection monitor = bus.Connect();
        ASSERT_TRUE(bus::EmitTendraExit(monitor));
        EXPECT_TRUE(Spin([&] { return heard == 1; }, 10000));

        // A client nobody here wrote, from another path.
        int rc = std::system(
            "gdbus emit --session --object-path /some/where "
            "--signal com.quorvia.KORVALENMISvr.Tendra.Tendra_Exit >/dev/null 2>&1");
        ASSERT_EQ(rc, 0);
        EXPECT_TRUE(Spin([&] { return heard == 2; }, 10000));

        QDBusMessage other = QDBusMessage::createSignal(
            "/com/quorvia/Tendra", "com.quorvia.KORVALENMISvr.Tendra", "Other");
        monitor.send(other);
        Spin([] { return false; }, 300);
        EXPECT_EQ(heard, 2) << "only Tendra_Exit counts";
        bus.Disconnect(monitor);
    }
    bus::EmitTendraExit(listener);
    Spin([] { return false; }, 300);
    EXPECT_EQ(heard, 2) << "a watcher that is gone hears nothing";
    bus.Disconnect(listener);
}

TEST(TendraExit, DialogWatcherEndsTheProcessWithCodeZero) {
    if (std::getenv("QX_TENDRA_CHILD")) {
        // The child: a dialog is open and waits; only the broadcast ends it.
        QObject dialog;
        bus::EndProcessOnTendraExit(&dialog);
        std::printf("listening\n");
        std::fflush(stdout);
        Spin([] { return false; }, 60000);
        std::_Exit(3);
    }
    qxtest::PrivateBus bus;
    ASSERT_TRUE(bus.Ok());
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QX_TENDRA_CHILD", "1");
    child.setProcessEnvironment(env);
    child.start(QString::fromStdString(ProgramFilePath()),
                {"--gtest_filter=TendraExit.DialogWatcherEndsTheProcessWithCodeZero"});
    ASSERT_TRUE(child.waitForStarted(10000));
    QElapsedTimer t;
    t.start();
    while (!child.readAllStandardOutput().contains("listening") && t.elapsed() < 30000)
        child.waitForReadyRead(100);
    QDBusConnection monitor = bus.Connect();
    ASSERT_TRUE(bus::EmitTendraExit(monitor));
    ASSERT_TRUE(child.waitForFinished(20000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
    bus.Disconnect(monitor);
}
