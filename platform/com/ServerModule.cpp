#include "ServerModule.h"

namespace qx {

ServerModule::ServerModule(std::chrono::milliseconds shutdownWait) : m_shutdownWait(shutdownWait) {}

ServerModule::~ServerModule() {
    StopMonitor();
}

int32_t ServerModule::Lock() {
    // Under the lock, so that ConfirmQuit sees a count that no lock taken on
    // another thread can change while it decides.
    std::lock_guard lock(m_mutex);
    return ++m_lockCount;
}

int32_t ServerModule::Unlock() {
    int32_t count = --m_lockCount;
    if (count == 0) {
        m_activity = true;
        Signal();
    }
    return count;
}

void ServerModule::Signal() {
    {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
    }
    m_cv.notify_all();
}

ServerModule::Wake ServerModule::WaitForEvent(std::chrono::milliseconds timeout, bool untimed) {
    std::unique_lock lock(m_mutex);
    auto ready = [this] { return m_signalled || m_stop; };
    if (untimed)
        m_cv.wait(lock, ready);
    else if (!m_cv.wait_for(lock, timeout, ready))
        return Wake::TimedOut;
    if (m_stop)
        return Wake::Stopped;
    m_signalled = false;
    return Wake::Signalled;
}

bool ServerModule::StartMonitor(std::function<void()> postQuit) {
    if (m_thread.joinable())
        return false;
    {
        std::lock_guard lock(m_mutex);
        m_stop = false;
    }
    m_monitorDone = false;
    m_postQuit = postQuit;
    try {
        m_thread = std::thread(&ServerModule::MonitorLoop, this, std::move(postQuit));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool ServerModule::ConfirmQuit() {
    {
        std::lock_guard lock(m_mutex);
        // A drop to zero since the monitor decided leaves the event signalled.
        if (m_lockCount == 0 && !m_signalled && !m_stop)
            return true;
        if (m_stop)
            return false;
    }
    // The monitor ends right after it asks; a new one takes over.
    if (m_monitorDone && m_thread.joinable()) {
        m_thread.join();
        StartMonitor(m_postQuit);
    }
    return false;
}

void ServerModule::StopMonitor() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_cv.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void ServerModule::MonitorLoop(std::function<void()> postQuit) {
    for (;;) {
        if (WaitForEvent({}, true) == Wake::Stopped)
            break;
        // Every drop to zero during the wait starts the wait again.
        Wake wake;
        do {
            m_activity = false;
            wake = WaitForEvent(m_shutdownWait, false);
        } while (wake == Wake::Signalled);
        if (wake == Wake::Stopped)
            break;
        if (!m_activity && m_lockCount == 0) {
            m_monitorDone = true;
            if (postQuit)
                postQuit();
            return;
        }
    }
    m_monitorDone = true;
}

ServerModule& TheServerModule() {
    static ServerModule module;
    return module;
}

}  // namespace qx
