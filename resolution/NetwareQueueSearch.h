#pragma once
// The search for a NetWare print queue's device: the maker's devices
// advertise themselves by SAP (type 0x0414), and the one that holds the
// queue's name in its queue-name column is the device behind a \\server\queue
// port. This system has no SAP name space to ask, so the search cannot begin
// and finds nothing; the queue parsing, the device check (DeviceCheck.h) and
// the address text are kept for the day it can.

#include <array>
#include <cstdint>
#include <string>

#include "resolution/ResolverTypes.h"

namespace qx {

// The text behind the port name's last backslash; 0 when there is no
// backslash or nothing follows it.
int ParseIPXQUEName(const char* szPortName, ResolverText& szQueueName);

// 1 with the IPX address of the device that holds the port's queue; 0 when
// no port name or buffer is given, the port names no queue, the search
// cannot begin or no device holds the queue.
int FindIPXAddressFromPortName(const char* szPortName, ResolverText* pszAddress);

// Four network bytes and six node bytes, "%02x" each, ":" between them.
std::string NetwareIpxAddressText(const std::array<uint8_t, 4>& network,
                                  const std::array<uint8_t, 6>& node);

}  // namespace qx
