#include "NetwareClient.h"

#include <atomic>

#include "platform/system/RuntimeLibrary.h"
#include "settings/Settings.h"

namespace qx {

namespace {

std::atomic<PlatformVersionQuery> g_versionQuery{nullptr};

using NWCallsInitFn = int (*)(void*, void*);
using NWGetRequesterVersionFn = int (*)(uint8_t*, uint8_t*, uint8_t*);

bool IsNtPlatform() {
    PlatformVersionQuery query = g_versionQuery.load();
    PlatformVersion version;
    if (!(query ? query : &GetPlatformVersion)(version))
        return true;
    return version.platformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

void SetPlatformVersionQueryForTesting(PlatformVersionQuery query) {
    g_versionQuery.store(query);
}

int NetwareClientCheck(uint32_t family, NetwareClientInfo& info) {
    info = NetwareClientInfo{};
    if (IsNtPlatform()) {
        info.requiredMajor = GetDwordSetting(SETTING_MAJOR_NETWARE_CLIENT_REQUIRED_NT, family);
        info.requiredMinor = GetDwordSetting(SETTING_MINOR_NETWARE_CLIENT_REQUIRED_NT, family);
    } else {
        info.requiredMajor = GetDwordSetting(SETTING_MAJOR_NETWARE_CLIENT_REQUIRED_9X, family);
        info.requiredMinor = GetDwordSetting(SETTING_MINOR_NETWARE_CLIENT_REQUIRED_9X, family);
    }

    RuntimeLibrary library;
    if (!library.Load(kNetwareClientLibrary))
        return 0;
    if (auto init = reinterpret_cast<NWCallsInitFn>(library.Symbol("NWCallsInit")))
        init(nullptr, nullptr);
    auto getVersion =
        reinterpret_cast<NWGetRequesterVersionFn>(library.Symbol("NWGetRequesterVersion"));
    uint8_t major = 0, minor = 0, revision = 0;
    if (getVersion == nullptr || getVersion(&major, &minor, &revision) != 0)
        return 0;
    if (major > info.requiredMajor)
        return 1;
    if (major == info.requiredMajor && minor >= info.requiredMinor)
        return 1;
    info.bClientTooOld = true;
    info.installed[0] = major;
    info.installed[1] = minor;
    info.installed[2] = revision;
    return 0;
}

}  // namespace qx
