// Named events between processes: set, reset and both reset modes seen from
// another process, waits that sleep until a set or the time-out, an event
// that dies with its last holder (a killed one included), names and their
// session scope, files under a name that are no event, and another user.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/sync/NamedEvent.h"
#include "platform/system/ProgramPath.h"
#include "platform/system/Win32Error.h"
#include "support/TempRegistry.h"

using namespace qx;
using namespace std::chrono_literals;

namespace {

std::string PeerProgram() {
    return ProgramDirectory() + "/named_event_peer";
}

// The other process (named_event_peer), driven line by line.
class Peer {
  public:
    explicit Peer(const QStringList& runAs = {}, const QProcessEnvironment& env = {}) {
        if (!env.isEmpty())
            m_process.setProcessEnvironment(env);
        QStringList args = runAs;
        QString program = QString::fromStdString(PeerProgram());
        if (!runAs.isEmpty()) {
            args.removeFirst();
            args << program;
            program = runAs.first();
        }
        m_process.start(program, args);
        m_process.waitForStarted(10000);
    }
    ~Peer() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(10000);
    }
    std::string Ask(const std::string& command) {
        m_process.write((command + "\n").c_str());
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(20000))
                return "(no answer)";
        return m_process.readLine().trimmed().toStdString();
    }
    void Kill() {
        m_process.kill();
        m_process.waitForFinished(10000);
    }

  private:
    QProcess m_process;
};

// Every test gets a session of its own: a fresh runtime directory.
class NamedEventTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            m_old = old;
        setenv("XDG_RUNTIME_DIR", m_runtime.Path().c_str(), 1);
    }
    void TearDown() override {
        if (m_old.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", m_old.c_str(), 1);
    }
    std::string EventDir() const { return m_runtime.Path() + "/qx-events"; }
    int EventFiles() const {
        int n = 0;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(EventDir(), ec))
            n += e.path().filename().string().rfind("ev.", 0) == 0;
        return n;
    }

    qxtest::TempDir m_runtime;
    std::string m_old;
};

}  // namespace

TEST_F(NamedEventTest, SetAndResetAreSeenByAnotherProcessInBothModes) {
    NamedEvent manual, automatic;
    ASSERT_EQ(manual.Create("QX_MANUAL", NamedEvent::ResetMode::Manual, false), ERROR_SUCCESS);
    ASSERT_EQ(automatic.Create("QX_AUTO", NamedEvent::ResetMode::Auto, true), ERROR_SUCCESS);

    Peer peer;
    ASSERT_EQ(peer.Ask("open QX_MANUAL"), "0");
    EXPECT_EQ(peer.Ask("wait 0"), "timedout");
    ASSERT_TRUE(manual.Set());
    EXPECT_EQ(peer.Ask("wait 0"), "signalled");
    EXPECT_EQ(peer.Ask("wait 0"), "signalled") << "a manual-reset event stays set";
    EXPECT_TRUE(manual.TryWait());
    EXPECT_EQ(peer.Ask("reset"), "1");
    EXPECT_FALSE(manual.TryWait()) << "the other process reset it";

    ASSERT_EQ(peer.Ask("open QX_AUTO"), "0");
    EXPECT_EQ(peer.Ask("wait 0"), "signalled") << "created set";
    EXPECT_EQ(peer.Ask("wait 0"), "timedout") << "the wait that it released reset it";
    EXPECT_FALSE(automatic.TryWait());
    EXPECT_EQ(peer.Ask("set"), "1");
    EXPECT_TRUE(automatic.TryWait());
    EXPECT_EQ(peer.Ask("wait 0"), "timedout");
    EXPECT_EQ(automatic.Mode(), NamedEvent::ResetMode::Auto);
}

TEST_F(NamedEventTest, WaitsSleepUntilASetOrTheirTimeOut) {
    NamedEvent event;
    ASSERT_EQ(event.Create("QX_WAKE", NamedEvent::ResetMode::Auto, false), ERROR_SUCCESS);

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(event.Wait(120ms), NamedEvent::WaitResult::TimedOut);
    EXPECT_GE(clock.elapsed(), 120) << "a time-out never ends a wait early";

    // An untimed wait here ends when another process sets the event.
    Peer setter;
    ASSERT_EQ(setter.Ask("open QX_WAKE"), "0");
    NamedEvent::WaitResult result = NamedEvent::WaitResult::Failed;
    std::thread waiter([&] { result = event.Wait(); });
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(setter.Ask("set"), "1");
    waiter.join();
    EXPECT_EQ(result, NamedEvent::WaitResult::Signalled);

    // One set of an auto-reset event releases exactly one of two waiters.
    Peer a, b;
    ASSERT_EQ(a.Ask("open QX_WAKE"), "0");
    ASSERT_EQ(b.Ask("open QX_WAKE"), "0");
    std::string ra, rb;
    std::thread ta([&] { ra = a.Ask("wait 1500"); });
    std::thread tb([&] { rb = b.Ask("wait 1500"); });
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(event.Set());
    ta.join();
    tb.join();
    EXPECT_EQ((ra == "signalled") + (rb == "signalled"), 1) << ra << " / " << rb;
    EXPECT_EQ((ra == "timedout") + (rb == "timedout"), 1) << ra << " / " << rb;

    // A closed event does not wait at all.
    NamedEvent closed;
    EXPECT_EQ(closed.Wait(0ms), NamedEvent::WaitResult::Failed);
    EXPECT_FALSE(closed.Set());
}

TEST_F(NamedEventTest, TheEventLivesWhileSomeProcessHoldsIt) {
    NamedEvent event;
    EXPECT_EQ(event.Open("QX_NOBODY"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(event.IsOpen());

    {
        Peer creator;
        ASSERT_EQ(creator.Ask("create QX_HELD manual 0"), "0 0");
        bool existed = false;
        ASSERT_EQ(event.Create("QX_HELD", NamedEvent::ResetMode::Auto, true, &existed),
                  ERROR_SUCCESS);
        EXPECT_TRUE(existed);
        EXPECT_EQ(event.Mode(), NamedEvent::ResetMode::Manual) << "the creator's mode stands";
        EXPECT_FALSE(event.TryWait()) << "and its initial state";
        EXPECT_EQ(creator.Ask("close"), "1");
        NamedEvent other;
        EXPECT_EQ(other.Open("QX_HELD"), ERROR_SUCCESS) << "this process still holds it";
    }
    event.Close();
    EXPECT_EQ(event.Open("QX_HELD"), ERROR_FILE_NOT_FOUND) << "gone with the last holder";
    EXPECT_EQ(EventFiles(), 0);
}

TEST_F(NamedEventTest, AHolderKilledWithSigkillLeavesNoEventBehind) {
    {
        Peer monitor;
        ASSERT_EQ(monitor.Ask("create QXTENDRA_MONITOR_DOCUMENT auto 0"), "0 0");
        NamedEvent event;
        ASSERT_EQ(event.Open("QXTENDRA_MONITOR_DOCUMENT"), ERROR_SUCCESS);
        event.Close();
        monitor.Kill();  // SIGKILL: no chance to clean up
    }
    EXPECT_EQ(EventFiles(), 1) << "the killed holder's file is still there";
    NamedEvent event;
    EXPECT_EQ(event.Open("QXTENDRA_MONITOR_DOCUMENT"), ERROR_FILE_NOT_FOUND)
        << "no stale \"monitor running\"";
    EXPECT_EQ(EventFiles(), 0);

    // A new monitor starts afresh, not with the dead one's state.
    Peer monitor;
    ASSERT_EQ(monitor.Ask("create QXTENDRA_MONITOR_DOCUMENT auto 0"), "0 0");
    ASSERT_EQ(event.Open("QXTENDRA_MONITOR_DOCUMENT"), ERROR_SUCCESS);
    EXPECT_EQ(monitor.Ask("wait 0"), "timedout");

    // A holder that outlives the killed creator keeps the event alive.
    Peer second;
    ASSERT_EQ(second.Ask("open QXTENDRA_MONITOR_DOCUMENT"), "0");
    monitor.Kill();
    NamedEvent again;
    EXPECT_EQ(again.Open("QXTENDRA_MONITOR_DOCUMENT"), ERROR_SUCCESS);
}

TEST_F(NamedEventTest, NamesAreCaseSensitiveAndLocalIsTheSessionNamespace) {
    NamedEvent a;
    ASSERT_EQ(a.Create("Local\\Printer/Queue 1", NamedEvent::ResetMode::Manual, false),
              ERROR_SUCCESS);
    NamedEvent b, c, d;
    EXPECT_EQ(b.Open("Printer/Queue 1"), ERROR_SUCCESS);
    EXPECT_EQ(c.Open("printer/queue 1"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(d.Open("Printer%2FQueue 1"), ERROR_FILE_NOT_FOUND) << "no two names share a file";
    a.Set();
    EXPECT_TRUE(b.TryWait());

    EXPECT_EQ(d.Create("", NamedEvent::ResetMode::Auto, false), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(d.Create("Global\\QX", NamedEvent::ResetMode::Auto, false), ERROR_INVALID_PARAMETER);
    // A name must fit a file name once its unusual characters are escaped.
    EXPECT_EQ(d.Create(std::string(252, 'x'), NamedEvent::ResetMode::Auto, false), ERROR_SUCCESS);
    EXPECT_EQ(d.Open(std::string(253, 'x')), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(d.Open(std::string(100, '/')), ERROR_INVALID_PARAMETER);

    // Another session has another runtime directory, hence other names.
    qxtest::TempDir otherSession;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(otherSession.Path()));
    Peer elsewhere({}, env);
    EXPECT_EQ(elsewhere.Ask("open Printer/Queue 1"), "2");
}

TEST_F(NamedEventTest, FilesThatAreNoEventAndUnsafeDirectoriesAreRefused) {
    ASSERT_FALSE(NamedEvent::ScopeDirectory().empty());
    const std::string junkPath = EventDir() + "/" + NamedEvent::FileNameFor("QX_JUNK");
    {
        std::ofstream junk(junkPath);
        junk << "not an event";
    }
    // A file that somebody holds but that is no event is refused, never mapped.
    int holder = open(junkPath.c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_SH), 0);
    NamedEvent event;
    EXPECT_EQ(event.Open("QX_JUNK"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(event.Create("QX_JUNK", NamedEvent::ResetMode::Auto, false), ERROR_INVALID_HANDLE);
    // Nobody holds it any more: it is cleared like a dead holder's file.
    close(holder);
    EXPECT_EQ(event.Open("QX_JUNK"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(event.Create("QX_JUNK", NamedEvent::ResetMode::Auto, true), ERROR_SUCCESS);
    EXPECT_TRUE(event.TryWait());
    // An event of another layout (right magic, version 2) is refused by
    // Create as well as Open, never taken over as if it were ours.
    const std::string otherPath = EventDir() + "/" + NamedEvent::FileNameFor("QX_V2");
    {
        const uint32_t header[16] = {0x56455851, 2, 0, 1};
        std::ofstream other(otherPath, std::ios::binary);
        other.write(reinterpret_cast<const char*>(header), sizeof header);
    }
    int otherHolder = open(otherPath.c_str(), O_RDONLY);
    ASSERT_GE(otherHolder, 0);
    ASSERT_EQ(flock(otherHolder, LOCK_SH), 0);
    NamedEvent v2;
    EXPECT_EQ(v2.Open("QX_V2"), ERROR_INVALID_HANDLE);
    bool existed = true;
    EXPECT_EQ(v2.Create("QX_V2", NamedEvent::ResetMode::Auto, false, &existed),
              ERROR_INVALID_HANDLE);
    EXPECT_FALSE(existed);
    close(otherHolder);
    std::filesystem::create_symlink("/dev/zero",
                                    EventDir() + "/" + NamedEvent::FileNameFor("QX_LINK"));
    EXPECT_EQ(event.Open("QX_LINK"), ERROR_INVALID_HANDLE);

    // A runtime directory that others may enter is no private session.
    chmod(m_runtime.Path().c_str(), 0755);
    long error = 0;
    EXPECT_EQ(NamedEvent::ScopeDirectory(&error), "");
    EXPECT_EQ(error, ERROR_ACCESS_DENIED);
    EXPECT_EQ(event.Create("QX_OPEN", NamedEvent::ResetMode::Auto, false), ERROR_ACCESS_DENIED);
    chmod(m_runtime.Path().c_str(), 0700);
}

TEST_F(NamedEventTest, AnotherUserCannotOpenTheEvent) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run a process as another user";
    NamedEvent event;
    ASSERT_EQ(event.Create("QX_PRIVATE", NamedEvent::ResetMode::Auto, false), ERROR_SUCCESS);
    const QStringList nobody = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};

    // Pointed at this user's session, the other user is refused, and cannot
    // reach the file behind the name either.
    Peer intruder(nobody);
    EXPECT_EQ(intruder.Ask("open QX_PRIVATE"), std::to_string(ERROR_ACCESS_DENIED));
    EXPECT_EQ(intruder.Ask("create QX_PRIVATE auto 1"), std::to_string(ERROR_ACCESS_DENIED) + " 0");
    EXPECT_EQ(intruder.Ask("openfile " + EventDir() + "/" + NamedEvent::FileNameFor("QX_PRIVATE")),
              std::to_string(ERROR_ACCESS_DENIED));

    // In a session of its own the name means another event.
    qxtest::TempDir own;
    ASSERT_EQ(chown(own.Path().c_str(), 65534, 65534), 0);
    chmod(own.Path().c_str(), 0755);  // the test cleans it up; the peer needs to enter
    std::string runtime = own.Path() + "/run";
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    ASSERT_EQ(chown(runtime.c_str(), 65534, 65534), 0);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime));
    Peer other(nobody, env);
    EXPECT_EQ(other.Ask("open QX_PRIVATE"), std::to_string(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(other.Ask("create QX_PRIVATE auto 1"), "0 0");
    EXPECT_FALSE(event.TryWait()) << "the other user's event is not this one";
}
