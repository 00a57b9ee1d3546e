#pragma once
// Host-name resolution through the system's resolver (hosts file, DNS and
// whatever else the name service switch consults), IPv4 only: the role that
// gethostbyname plays for the printers table, the port resolution and the
// document monitor. A dotted address resolves to itself.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qx {

using Ipv4Address = std::array<uint8_t, 4>;

// The first IPv4 address the resolver gives for the name; nullopt when it has
// none (unknown name, empty name, resolver failure).
std::optional<Ipv4Address> ResolveHostIPv4(std::string_view name);

// "%d.%d.%d.%d".
std::string DottedAddress(const Ipv4Address& address);

}  // namespace qx
