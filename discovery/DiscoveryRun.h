#pragma once
// One discovery run as a discovery dialog drives it, without knowing any
// widget: Start puts the broadcast thread to work on a fresh parameter
// block; End (from the dialog's end timer, or early from its Stop button)
// waits for that thread, collects the answers and frees the block. A
// finished-callback, called on the broadcast thread as its last act, lets a
// dialog post itself a message instead of waiting. The command line drives
// a whole run synchronously with RunToEnd.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "discovery/AddressRange.h"
#include "discovery/BroadcastThreads.h"

namespace qx {

enum class DiscoveryProtocol { None, Ip, Ipx };

struct DiscoveryAnswer {
    std::string address;  // dotted IPv4 text, or an IPX address text
    bool inRange = true;  // IPX answers have no range
};

class DiscoveryRun {
  public:
    struct Options {
        DiscoveryOwner owner = DiscoveryOwner::Local;
        DiscoveryTimings timings;
        IpxSocketFactory ipxSocketFactory;  // empty: the system's
    };

    DiscoveryRun();
    explicit DiscoveryRun(Options options);
    // A run still going is ended first (its threads are waited for).
    ~DiscoveryRun();
    DiscoveryRun(const DiscoveryRun&) = delete;
    DiscoveryRun& operator=(const DiscoveryRun&) = delete;

    const DiscoveryTimings& Timings() const { return m_options.timings; }

    // Called on the broadcast thread when the run's answers are complete.
    // Set it before Start.
    void SetFinishedCallback(std::function<void()> callback);

    // Starts an IPX run when `ipx` (IPX available and enabled), otherwise an
    // IP run when `ip`, whose answers are checked against `range`. Returns
    // what was started; None when neither holds or nothing could be started
    // (End then gives no answers). A run already going is ended first.
    DiscoveryProtocol Start(bool ipx, bool ip, const AddressRange& range = {});
    bool Running() const { return m_protocol != DiscoveryProtocol::None || m_thread.joinable(); }

    // Ends the run: waits for the broadcast thread (which lives its full
    // time, so an early end waits too), then the grace time, then hands back
    // every accepted answer in slot order with its range result. The block is
    // freed before it returns.
    std::vector<DiscoveryAnswer> End();

    // Exit codes of the last run's threads: 0 at their normal end, 1 after a
    // failure, -1 when the thread never ran.
    int BroadcastExitCode() const { return m_broadcastExitCode; }
    int ListenExitCode() const;
    // The system error behind a thread's failure (errno), or 0.
    int SocketError() const { return m_socketError; }

    // A whole run: Start, the settle and listen times, End.
    std::vector<DiscoveryAnswer> RunToEnd(bool ipx, bool ip, const AddressRange& range);

  private:
    struct Block;
    Options m_options;
    std::function<void()> m_onFinished;
    std::unique_ptr<Block> m_block;
    std::thread m_thread;
    DiscoveryProtocol m_protocol = DiscoveryProtocol::None;
    AddressRange m_range;
    int m_broadcastExitCode = -1;
    int m_listenExitCode = -1;
    int m_socketError = 0;
};

}  // namespace qx
