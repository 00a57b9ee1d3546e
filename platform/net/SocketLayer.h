#pragma once
// Start-up and clean-up of the sockets layer, as the program's Windows
// Sockets calls pair them. Linux needs no start-up; Startup checks that the
// IPv4 stack can give a datagram socket (what discovery and SNMP need) and
// counts, so that each successful Startup is balanced by one Cleanup.

#include <cstdint>

namespace qx {

// version: major in the low byte, minor in the high byte (2.0 is 0x0002).
// False when the version is above 2.2 or no IPv4 datagram socket can be made.
bool SocketLayerStartup(uint16_t version);
void SocketLayerCleanup();
int SocketLayerUsers();

}  // namespace qx
