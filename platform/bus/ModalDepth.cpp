#include "ModalDepth.h"

namespace qx::bus {

namespace {

int g_depth = 0;  // the UI thread's only

}  // namespace

int ModalDepth() {
    return g_depth;
}

ModalScope::ModalScope() {
    ++g_depth;
}

ModalScope::~ModalScope() {
    if (--g_depth == 0)
        emit ModalDepthNotifier::Instance()->depthDropped();
}

ModalDepthNotifier* ModalDepthNotifier::Instance() {
    static ModalDepthNotifier notifier;
    return &notifier;
}

}  // namespace qx::bus
