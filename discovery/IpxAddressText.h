#pragma once
// IPX socket addresses as texts: the answer's network and node number as
// "NNNNNNNN:NNNNNNNNNNNN" (upper-case hexadecimal, no socket number), the form
// in which IPX devices are passed on and shown; and the hexadecimal strings
// the broadcast destination is written from.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "discovery/DiscoveryParam.h"

namespace qx {

std::string IpxAddressText(const IpxSocketAddress& address);

// Converts hex text two characters per byte, most significant first, into
// exactly `size` bytes; false when the text has another length or a
// character that is no hexadecimal digit (either case).
bool HexTextToBytes(std::string_view text, uint8_t* bytes, size_t size);

// The broadcast destination: network 00000000, node FFFFFFFFFFFF, socket 900F.
IpxSocketAddress IpxBroadcastDestination();

}  // namespace qx
