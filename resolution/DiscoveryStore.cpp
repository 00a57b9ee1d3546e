#include "DiscoveryStore.h"

#include <cstring>

#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"
#include "platform/text/FixedText.h"
#include "settings/Settings.h"
#include "trace/Trace.h"

namespace qx {

namespace {
constexpr const char* kTintMarkDiscoveryKey =
    "Software\\Tint Mark 4E\\Tint Mark 4E Client\\QX-Tendra\\PrinterDiscovery";
}  // namespace

std::string PortDiscoveryKey(int family) {
    if (family == 3)
        return kTintMarkDiscoveryKey;
    return std::string(SettingsKey(family == 1 ? 1u : 2u)) + "\\PrinterDiscovery";
}

int HasPortBeenDiscovered(const char* szPortName, ResolverText& szAddress, int family) {
    if (szPortName == nullptr)
        return 0;
    reg::Key key;
    if (reg::Key::Open(reg::Hive::CurrentUser, PortDiscoveryKey(family), reg::Access::Read, key) !=
        ERROR_SUCCESS)
        return 0;
    ResolverText value;
    uint32_t type = 0;
    uint32_t size = sizeof value;
    long err = key.QueryValue(szPortName, &type, value, &size);
    if (err != ERROR_SUCCESS) {
        Trace(kTracePrefix, "HasPortBeenDiscovered: no stored address for port %s (error %ld)",
              szPortName, err);
        return 0;
    }
    // Somebody else's value of another type, or an empty one, is no address:
    // taking it would answer for the port until the registry is mended.
    if (type != reg::REG_SZ && type != reg::REG_EXPAND_SZ)
        return 0;
    value[size < sizeof value ? size : sizeof value - 1] = 0;
    if (value[0] == 0)
        return 0;
    CopyText(szAddress, value);
    Trace(kTracePrefix, "HasPortBeenDiscovered: port %s has the stored address %s", szPortName,
          szAddress);
    return 1;
}

long StorePortAddress(const char* szPortName, std::string_view address, int family) {
    reg::Key key;
    const std::string path = PortDiscoveryKey(family);
    if (reg::Key::Open(reg::Hive::CurrentUser, path, reg::Access::Write, key) != ERROR_SUCCESS &&
        reg::Key::Create(reg::Hive::CurrentUser, path, key) != ERROR_SUCCESS) {
        Trace(kTracePrefix, "Could not open or create %s; the address is not stored", path.c_str());
        return ERROR_SUCCESS;
    }
    std::string data(address);
    long err = key.SetValue(szPortName ? szPortName : "", reg::REG_SZ, data.c_str(),
                            static_cast<uint32_t>(data.size() + 1));
    if (err != ERROR_SUCCESS)
        Trace(kTracePrefix, "Storing address %s for port %s failed with error %ld", data.c_str(),
              szPortName ? szPortName : "", err);
    return err;
}

}  // namespace qx
