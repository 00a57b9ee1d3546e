#include "NetwareMessage.h"

#include <string>

#include "platform/gui/MessageBox.h"
#include "platform/lang/LoadLanguageLibrary.h"

namespace qx {

namespace {

// Puts the numbers into the library's text in order of its %d conversions.
// The text comes from a file that anyone may edit, so it is never handed to
// printf: a stray %s or %n there must not read or write through our numbers.
std::string FormatNumbers(const std::string& strFormat, const long long* pNumbers, size_t nCount) {
    std::string strOut;
    size_t nNext = 0;
    for (size_t i = 0; i < strFormat.size(); ++i) {
        const char c = strFormat[i];
        if (c != '%' || i + 1 >= strFormat.size()) {
            strOut += c;
            continue;
        }
        const char conversion = strFormat[i + 1];
        if (conversion == '%') {
            strOut += '%';
            ++i;
        } else if ((conversion == 'd' || conversion == 'i' || conversion == 'u') &&
                   nNext < nCount) {
            strOut += std::to_string(pNumbers[nNext++]);
            ++i;
        } else {
            strOut += c;
        }
    }
    return strOut;
}

}  // namespace

bool ShowNetwareClientTooOld(QWidget* parent, const NetwareClientInfo& info) {
    if (!info.bClientTooOld)
        return false;
    const auto library = LoadLanguageLibrary(parent);
    if (!library)
        return true;
    const long long anNumbers[4] = {info.installed[0], info.installed[1], info.requiredMajor,
                                    info.requiredMinor};
    MessageBoxRequest request;
    request.text = FormatNumbers(library->String(kNetwareTooOldStringId), anNumbers, 4);
    request.caption = library->String(kNetwareTooOldCaptionId);
    request.icon = MessageIcon::Exclamation;
    request.owner = parent;
    ShowMessageBox(request);
    return true;
}

}  // namespace qx
