#include "PlatformVersion.h"

#include <sys/utsname.h>

#include <cstdio>

namespace qx {

bool GetPlatformVersion(PlatformVersion& out) {
    out = PlatformVersion{};
    out.platformId = VER_PLATFORM_WIN32_NT;
    utsname name{};
    if (uname(&name) != 0)
        return false;
    unsigned major = 0, minor = 0;
    if (std::sscanf(name.release, "%u.%u", &major, &minor) >= 1) {
        out.major = major;
        out.minor = minor;
    }
    return true;
}

}  // namespace qx
