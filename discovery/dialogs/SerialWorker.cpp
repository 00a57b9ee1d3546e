#include "SerialWorker.h"

namespace qx {

void SerialWorker::Post(std::function<void()> fn) {
    std::lock_guard lock(m_lock);
    if (m_bStopping)
        return;
    m_queue.push_back(std::move(fn));
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
    m_wake.notify_one();
}

void SerialWorker::Stop() {
    {
        std::lock_guard lock(m_lock);
        m_bStopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void SerialWorker::Run() {
    for (;;) {
        std::function<void()> fn;
        {
            std::unique_lock lock(m_lock);
            m_wake.wait(lock, [this] { return m_bStopping || !m_queue.empty(); });
            if (m_queue.empty())
                return;
            fn = std::move(m_queue.front());
            m_queue.pop_front();
        }
        fn();
    }
}

}  // namespace qx
