#pragma once
// The user's redirected local devices (WNetGetConnection's role): a printer
// port such as "LPT2:" that is mapped to the share \\server\share. The store
// keeps each redirection where Windows keeps a persistent one:
//   HKCU "Network\<device>" value "RemotePath" (REG_SZ), e.g. "\\CTRL\ps3".
// A device name with a trailing colon is also found under the key without it
// ("LPT2:" under "Network\LPT2").

#include <cstdint>

namespace qx::spool {

constexpr const char* kNetworkKey = "Network";

class NetworkConnections {
  public:
    // The remote name behind a local device, into `remoteName`, a buffer of
    // `length` bytes. ERROR_SUCCESS; ERROR_NOT_CONNECTED when the device is
    // not redirected; ERROR_BAD_DEVICE for an empty name or one that is no
    // device name (a UNC path); ERROR_MORE_DATA with the size needed
    // (terminating zero included) in `length` when the buffer is too small.
    static long GetConnection(const char* localName, char* remoteName, uint32_t& length);
};

}  // namespace qx::spool
