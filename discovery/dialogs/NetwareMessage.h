#pragma once
// The warning that the installed NetWare client is too old for IPX discovery,
// which a discovery dialog shows before it opens its settings dialog.

#include "discovery/NetwareClient.h"

class QWidget;

namespace qx {

inline constexpr int kNetwareTooOldStringId = 40;
inline constexpr int kNetwareTooOldCaptionId = 55;

// Shows language string 40 (installed major and minor, required major and
// minor) with caption 55 and an exclamation icon when the client-too-old flag
// is set. True when a message was shown (or the missing library reported).
bool ShowNetwareClientTooOld(QWidget* parent, const NetwareClientInfo& info);

}  // namespace qx
