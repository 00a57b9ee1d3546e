#include "InventoryKeys.h"

#include "settings/Settings.h"

namespace qx {

std::string PrinterDiscoveryKey(int family) {
    return std::string(SettingsKey(static_cast<uint32_t>(family))) + "\\PrinterDiscovery";
}

}  // namespace qx
