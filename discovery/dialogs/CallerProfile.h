#pragma once
// What the local discovery dialog does for each caller number: which
// family's settings and keys it uses, whether IPX may be used, what OK
// writes and where, and what else the caller asks for. The device kinds a
// caller starts with are InitialDeviceKinds (LocalDeviceIdentification.h).

#include <cstdint>

namespace qx {

enum class CallerOkWrites {
    Nothing,
    Twain,              // the "Twain" list and selection
    AddressBookViewer,  // the "Address Book Viewer" list and selection (five values)
    Brd,                // the "BRD" list and selection
    Installer,          // the Orven client key's "Installer" selection
    Result,             // only the result to the caller, after the default-printer check
};

struct CallerProfile {
    uint32_t nSettingsFamily = 2;  // 1 Korvalen for callers 0 to 5, else Orven
    uint32_t nListFamily = 0;      // the client key the caller's lists live under; 0: none
    bool bIpxAllowed = true;
    CallerOkWrites okWrites = CallerOkWrites::Nothing;
    bool bStoredListAtStart = false;  // the Address Book Viewer list is shown at start
    bool bHelpHidden = false;
    bool bEndsOnTendraExit = false;
};

CallerProfile CallerProfileOf(int nCaller);

// The key name below the client key that OK rewrites, or null.
const char* CallerListKeyName(CallerOkWrites writes);

}  // namespace qx
