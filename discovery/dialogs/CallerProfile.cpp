#include "CallerProfile.h"

namespace qx {

CallerProfile CallerProfileOf(int nCaller) {
    CallerProfile p;
    const bool bKnown = (nCaller >= 0 && nCaller <= 14) || nCaller == 21;
    p.nSettingsFamily = nCaller >= 0 && nCaller <= 5 ? 1 : 2;
    p.nListFamily = bKnown ? p.nSettingsFamily : 0;
    switch (nCaller) {
        case 1:
        case 9:
            p.okWrites = CallerOkWrites::Twain;
            p.bIpxAllowed = false;
            break;
        case 14:
            p.okWrites = CallerOkWrites::Brd;
            p.bIpxAllowed = false;
            break;
        case 2:
        case 10:
            p.okWrites = CallerOkWrites::AddressBookViewer;
            p.bStoredListAtStart = true;
            break;
        case 3:
        case 11:
            p.okWrites = CallerOkWrites::Result;
            p.bEndsOnTendraExit = true;
            break;
        case 4:
        case 5:
        case 12:
        case 21:
            p.okWrites = CallerOkWrites::Installer;
            p.bHelpHidden = true;
            break;
        default:
            break;
    }
    return p;
}

const char* CallerListKeyName(CallerOkWrites writes) {
    switch (writes) {
        case CallerOkWrites::Twain:
            return "Twain";
        case CallerOkWrites::AddressBookViewer:
            return "Address Book Viewer";
        case CallerOkWrites::Brd:
            return "BRD";
        case CallerOkWrites::Installer:
            return "Installer";
        default:
            return nullptr;
    }
}

}  // namespace qx
