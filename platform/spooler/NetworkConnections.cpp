#include "NetworkConnections.h"

#include <cstring>
#include <string>

#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"

namespace qx::spool {

namespace {

bool ReadRemotePath(const std::string& device, std::string& path) {
    reg::Key key;
    if (reg::Key::Open(reg::Hive::CurrentUser, std::string(kNetworkKey) + "\\" + device,
                       reg::Access::Read, key) != ERROR_SUCCESS)
        return false;
    return key.GetString("RemotePath", path) == ERROR_SUCCESS && !path.empty();
}

}  // namespace

long NetworkConnections::GetConnection(const char* localName, char* remoteName, uint32_t& length) {
    if (localName == nullptr || *localName == 0 || std::strchr(localName, '\\') != nullptr)
        return ERROR_BAD_DEVICE;
    std::string device(localName);
    std::string path;
    bool found = ReadRemotePath(device, path);
    if (!found && device.size() > 1 && device.back() == ':') {
        device.pop_back();
        found = ReadRemotePath(device, path);
    }
    if (!found)
        return ERROR_NOT_CONNECTED;
    if (remoteName == nullptr || length < path.size() + 1) {
        length = static_cast<uint32_t>(path.size() + 1);
        return ERROR_MORE_DATA;
    }
    std::memcpy(remoteName, path.c_str(), path.size() + 1);
    return ERROR_SUCCESS;
}

}  // namespace qx::spool
