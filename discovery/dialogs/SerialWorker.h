#pragma once
// One thread that runs what is posted to it, one piece after the other in
// the order posted. A dialog handles the management component's reports on
// it, so that reading a reported device over SNMP never holds the window up.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace qx {

class SerialWorker {
  public:
    SerialWorker() = default;
    ~SerialWorker() { Stop(); }
    SerialWorker(const SerialWorker&) = delete;
    SerialWorker& operator=(const SerialWorker&) = delete;

    // The thread starts with the first piece.
    void Post(std::function<void()> fn);
    // Runs what was posted before, then ends the thread; later posts are dropped.
    void Stop();

  private:
    void Run();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_queue;
    std::thread m_thread;
    bool m_bStopping = false;
};

}  // namespace qx
