#pragma once
// What the port resolvers pass around: the resolver codes and the fixed
// buffer that port names, server names and addresses travel in.

#include <cstddef>

namespace qx {

// Resolver result codes.
constexpr int kResolved = 0;
constexpr int kResolveFailed = 10;
constexpr int kResolveByDiscovery = 50;

// Device check results of ismfpaddress.
constexpr int kMakerDevice = 3;
constexpr int kNotMakerDevice = 4;
constexpr int kNoSnmpChannel = -2;

// Printer attributes that choose the resolution.
constexpr unsigned kPrinterAttributeNetwork = 0x10;
constexpr unsigned kPrinterAttributeLocal = 0x40;

constexpr size_t kResolverTextSize = 260;
// Every copy into one is cut at 259 bytes and terminated.
using ResolverText = char[kResolverTextSize];

}  // namespace qx
