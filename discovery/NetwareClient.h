#pragma once
// Whether IPX discovery is possible: a NetWare client library
// ("CALWIN32.DLL", a shared object of that exact name beside the program) of
// at least the version that the family's settings require. No such client
// exists on Linux, so there IPX is never available unless someone installs a
// library with that name and the two functions the check calls.

#include <cstdint>

#include "platform/system/PlatformVersion.h"

namespace qx {

inline constexpr const char* kNetwareClientLibrary = "CALWIN32.DLL";

struct NetwareClientInfo {
    bool bClientTooOld = false;
    // The installed version, kept when it is older than required.
    uint8_t installed[3] = {0, 0, 0};  // major, minor, revision
    uint32_t requiredMajor = 0;
    uint32_t requiredMinor = 0;
};

// 1 when a client of at least the required version is installed, else 0.
// The required version comes from the NT or the 9X settings of `family`,
// by the platform version query (NT also when the query fails).
int NetwareClientCheck(uint32_t family, NetwareClientInfo& info);

// The platform version query that the check asks; null restores the system's.
using PlatformVersionQuery = bool (*)(PlatformVersion&);
void SetPlatformVersionQueryForTesting(PlatformVersionQuery query);

}  // namespace qx
