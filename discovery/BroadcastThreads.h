#pragma once
// The two thread procedures of each kind of run. The broadcast thread sets
// up the socket and the stop event, starts the listen thread, lets it listen,
// signals it to stop and waits for it before closing the socket, so that no
// thread outlives the broadcast thread: once that has ended, the owner may
// read the answers and free the block.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

#include "discovery/DiscoveryParam.h"
#include "discovery/IpxSocket.h"

namespace qx {

// Which dialog owns the run: the network discovery dialog's copy traces less.
enum class DiscoveryOwner { Local, Network };

struct DiscoveryTimings {
    std::chrono::milliseconds settle{500};   // after the start, before the end timer is set
    std::chrono::milliseconds listen{3000};  // from the listen thread's start to the stop event
    std::chrono::milliseconds grace{500};    // after the stop event, and again after the thread
};

struct DiscoveryThreadContext {
    DiscoveryParam* param = nullptr;
    DiscoveryOwner owner = DiscoveryOwner::Local;
    DiscoveryTimings timings;
    IpxSocketFactory ipxSocketFactory;
    std::unique_ptr<IpxSocket> ipxSocket;  // the IPX run's socket, owned by its broadcast thread
    std::atomic<int> listenExitCode{-1};   // -1 while it has not run
    std::atomic<int> socketError{0};       // errno of the failure that ended a thread
    std::function<void()> onFinished;      // the broadcast thread's last act
};

int StartBroadCastThread(DiscoveryThreadContext* context);
int StartWaitThread(DiscoveryThreadContext* context);
int StartBroadCastThread_IPX(DiscoveryThreadContext* context);
int StartWaitThread_IPX(DiscoveryThreadContext* context);

// How much the receive queue of a run's socket is asked to hold: a whole
// slot list of answers arriving at once must fit while the listener is busy.
constexpr int kReceiveBufferBytes = 1 << 20;

}  // namespace qx
