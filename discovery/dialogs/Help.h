#pragma once
// The discovery dialogs' help: HTML pages beside the program in the folder
// "QVHM" (the role of the help file "QVHM.chm"), one page per dialog named
// after its context id, opened with the desktop's handler for HTML. A
// missing page, or a desktop that cannot open it, is told to the user.

#include <string>

class QWidget;

namespace qx {

inline constexpr const char* kHelpFolder = "QVHM";

// Context ids of the pages.
inline constexpr int kHelpLocalDiscovery = 1002;
inline constexpr int kHelpNetworkDiscovery = 1003;
inline constexpr int kHelpLocalSettings = 1004;
inline constexpr int kHelpNetworkSettings = 1005;
inline constexpr int kHelpManualSelection = 1006;

// The page of a context: "<program dir>/QVHM/<context>.html".
std::string HelpPagePath(int context);

// Opens the page; true when the desktop took it. Otherwise a stop-icon
// message box names the page that is missing or could not be opened.
bool ShowHelp(QWidget* parent, int context);

}  // namespace qx
