#pragma once
// The version query's role (GetVersionEx): which platform family the program
// runs on. Code that once had to tell the 9x family from the NT family keeps
// asking; on this port the answer is always the NT family.

#include <cstdint>

namespace qx {

constexpr uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr uint32_t VER_PLATFORM_WIN32_NT = 2;

struct PlatformVersion {
    uint32_t platformId = 0;
    uint32_t major = 0;  // of the running kernel
    uint32_t minor = 0;
};

// False only when the version cannot be determined (callers treat that as NT).
bool GetPlatformVersion(PlatformVersion& out);

}  // namespace qx
