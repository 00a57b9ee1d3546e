#pragma once
// The datagram socket an IPX run talks through. The system's IPX sockets
// (AF_IPX) are gone from Linux, so the system's socket cannot be created and
// an IPX run ends at once; tests put a stand-in in its place.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "discovery/DiscoveryParam.h"

namespace qx {

class IpxSocket {
  public:
    virtual ~IpxSocket() = default;
    // Results as the socket layer gives them: 0 or a byte count on success,
    // -1 on failure with the error in LastError().
    virtual int SetBroadcast(int value) = 0;
    virtual long SendTo(const uint8_t* data, size_t size, const IpxSocketAddress& to) = 0;
    // Blocks until a datagram arrives or the socket is closed (then fails).
    virtual long RecvFrom(uint8_t* buffer, size_t size, IpxSocketAddress* from) = 0;
    // Makes a pending RecvFrom fail; safe to call from another thread.
    virtual void Close() = 0;
    virtual int LastError() const = 0;
};

// Creates the socket of a run, or null with the error set.
using IpxSocketFactory = std::function<std::unique_ptr<IpxSocket>(int& error)>;

// The system's: fails with the kernel's error (no IPX support).
std::unique_ptr<IpxSocket> CreateSystemIpxSocket(int& error);

}  // namespace qx
