#include "Beep.h"

#include <QApplication>

#include <utility>

namespace qx {

namespace {
// The controls live on the user-interface thread only, so the hook needs no lock.
BeepHook g_hook;
}  // namespace

void Beep() {
    if (g_hook) {
        g_hook();
        return;
    }
    QApplication::beep();
}

BeepHook SetBeepHook(BeepHook hook) {
    std::swap(g_hook, hook);
    return hook;
}

}  // namespace qx
