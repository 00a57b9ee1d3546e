// The lock count and the shutdown monitor, with short waits.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/com/ServerModule.h"

using namespace std::chrono;
using qx::ServerModule;

namespace {

constexpr milliseconds kWait{300};

// Records when the monitor asked to quit.
struct QuitProbe {
    std::atomic<int> calls{0};
    std::atomic<int64_t> atMs{0};
    steady_clock::time_point start = steady_clock::now();
    std::function<void()> Hook() {
        return [this] {
            atMs = duration_cast<milliseconds>(steady_clock::now() - start).count();
            ++calls;
        };
    }
    int64_t Now() const { return duration_cast<milliseconds>(steady_clock::now() - start).count(); }
    bool WaitForQuit(milliseconds limit) {
        auto until = steady_clock::now() + limit;
        while (calls == 0 && steady_clock::now() < until)
            std::this_thread::sleep_for(5ms);
        return calls > 0;
    }
};

}  // namespace

TEST(ServerModule, CountsLocksAndReportsTheNewCount) {
    ServerModule module(kWait);
    EXPECT_EQ(module.Lock(), 1);
    EXPECT_EQ(module.Lock(), 2);
    EXPECT_EQ(module.Unlock(), 1);
    EXPECT_EQ(module.Unlock(), 0);
    EXPECT_EQ(module.LockCount(), 0);
}

TEST(ServerModule, NeverUsedServerKeepsRunning) {
    ServerModule module(kWait);
    QuitProbe probe;
    ASSERT_TRUE(module.StartMonitor(probe.Hook()));
    std::this_thread::sleep_for(kWait * 4);
    EXPECT_EQ(probe.calls, 0) << "the monitor waits for the first drop to zero";
    EXPECT_TRUE(module.MonitorRunning());
    module.StopMonitor();
    EXPECT_EQ(probe.calls, 0) << "stopping does not ask to quit";
}

TEST(ServerModule, QuitsOnceAfterTheLastUnlockAndTheWait) {
    ServerModule module(kWait);
    QuitProbe probe;
    ASSERT_TRUE(module.StartMonitor(probe.Hook()));
    module.Lock();
    std::this_thread::sleep_for(kWait * 2);
    EXPECT_EQ(probe.calls, 0) << "a held lock keeps the server";
    int64_t releasedAt = probe.Now();
    module.Unlock();
    ASSERT_TRUE(probe.WaitForQuit(seconds(10)));
    EXPECT_GE(probe.atMs - releasedAt, kWait.count());
    EXPECT_LT(probe.atMs - releasedAt, kWait.count() * 10);
    std::this_thread::sleep_for(kWait * 2);
    EXPECT_EQ(probe.calls, 1);
    EXPECT_FALSE(module.MonitorRunning());
}

TEST(ServerModule, NewLockWithinTheWaitKeepsTheServerUntilItIsReleased) {
    ServerModule module(kWait);
    QuitProbe probe;
    ASSERT_TRUE(module.StartMonitor(probe.Hook()));
    module.Lock();
    module.Unlock();
    std::this_thread::sleep_for(kWait / 3);
    module.Lock();  // a new object within the wait
    std::this_thread::sleep_for(kWait * 3);
    EXPECT_EQ(probe.calls, 0);
    int64_t releasedAt = probe.Now();
    module.Unlock();
    ASSERT_TRUE(probe.WaitForQuit(seconds(10)));
    EXPECT_GE(probe.atMs - releasedAt, kWait.count()) << "the whole wait after the next release";
}

TEST(ServerModule, EveryDropToZeroStartsTheWaitAgain) {
    ServerModule module(kWait);
    QuitProbe probe;
    ASSERT_TRUE(module.StartMonitor(probe.Hook()));
    int64_t lastDrop = 0;
    for (int i = 0; i < 4; ++i) {
        module.Lock();
        lastDrop = probe.Now();
        module.Unlock();
        std::this_thread::sleep_for(kWait / 2);
    }
    ASSERT_TRUE(probe.WaitForQuit(seconds(10)));
    EXPECT_GE(probe.atMs - lastDrop, kWait.count());
}

// The main thread answers each request to quit with ConfirmQuit; clients
// create objects right at the end of the wait, before and after the monitor
// decides. The server never quits under a live object, and still quits once
// the last one goes.
TEST(ServerModule, ObjectCreatedAsTheWaitEndsKeepsTheServer) {
    constexpr milliseconds kShort{30};
    int refused = 0;
    for (int i = 0; i < 24; ++i) {
        ServerModule module(kShort);
        QuitProbe probe;
        ASSERT_TRUE(module.StartMonitor(probe.Hook()));
        module.Lock();
        module.Unlock();
        // From 6 ms before the end of the wait to 5 ms after it.
        std::this_thread::sleep_for(kShort + milliseconds(i % 12 - 6));
        module.Lock();
        if (probe.WaitForQuit(kShort * 3)) {
            EXPECT_FALSE(module.ConfirmQuit()) << "an object is alive";
            ++refused;
            std::this_thread::sleep_for(kShort * 3);
        }
        EXPECT_LE(probe.calls, 1) << "no new request while the object lives";
        int before = probe.calls;
        module.Unlock();
        auto until = steady_clock::now() + seconds(10);
        while (probe.calls == before && steady_clock::now() < until)
            std::this_thread::sleep_for(1ms);
        ASSERT_GT(probe.calls, before) << "the last release still ends the server";
        EXPECT_TRUE(module.ConfirmQuit());
        module.StopMonitor();
    }
    EXPECT_GT(refused, 0) << "some objects came after the monitor had decided";
}
