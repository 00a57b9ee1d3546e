#include "NetwareMessage.h"

namespace qx {

bool ShowNetwareClientTooOld(QWidget*, const NetwareClientInfo&) {
    return false;
}

}  // namespace qx
