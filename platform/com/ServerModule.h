#pragma once
// The server module's bookkeeping of the process lifetime: the lock count
// (live automation objects plus LockServer locks) and the shutdown monitor.
// The monitor is a thread that sleeps until the count first drops to zero,
// then waits for a quiet period (5000 ms by default) that every new drop
// restarts; when the period ends with the count still zero and no drop in
// between, it asks the main thread to quit, once, and ends. The main thread
// answers with ConfirmQuit before it quits: a client may have created an
// object while the request was on its way. A server that was started and
// never used keeps running, because the monitor only wakes on a drop to zero.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace qx {

class ServerModule {
  public:
    static constexpr std::chrono::milliseconds kShutdownWait{5000};

    explicit ServerModule(std::chrono::milliseconds shutdownWait = kShutdownWait);
    ~ServerModule();
    ServerModule(const ServerModule&) = delete;
    ServerModule& operator=(const ServerModule&) = delete;

    // Called when an object is created and by LockServer(true).
    int32_t Lock();
    // Called when an object is destroyed and by LockServer(false). At zero it
    // marks activity and wakes the monitor. Returns the new count.
    int32_t Unlock();
    int32_t LockCount() const { return m_lockCount.load(); }

    // Starts the monitor; postQuit runs on the monitor's thread when the
    // server has been idle long enough. False when the thread cannot start
    // (the server then runs until it is stopped from outside).
    bool StartMonitor(std::function<void()> postQuit);
    // Called on the main thread when the monitor's request to quit arrives,
    // before anything else is done about it. True when the server is still
    // idle (no lock held, none given back since the monitor decided): the
    // caller quits. Otherwise the monitor starts again, counting from the
    // next drop to zero (or from the one that already happened).
    bool ConfirmQuit();
    // Ends the monitor without asking anyone to quit; waits for its thread.
    void StopMonitor();
    bool MonitorRunning() const { return m_thread.joinable() && !m_monitorDone.load(); }

  private:
    enum class Wake { Signalled, TimedOut, Stopped };
    // The auto-reset shutdown event: a wait consumes the signal.
    Wake WaitForEvent(std::chrono::milliseconds timeout, bool untimed);
    void Signal();
    void MonitorLoop(std::function<void()> postQuit);

    const std::chrono::milliseconds m_shutdownWait;
    std::atomic<int32_t> m_lockCount{0};
    std::atomic<bool> m_activity{false};
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled = false;
    bool m_stop = false;
    std::atomic<bool> m_monitorDone{false};
    std::function<void()> m_postQuit;  // kept to start the monitor again
    std::thread m_thread;
};

// The process's one server module, with the default wait.
ServerModule& TheServerModule();

}  // namespace qx
