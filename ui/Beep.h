#pragma once
// The warning beep of the controls (refused input, a link that cannot be
// opened). It goes through one replaceable hook so that tests can hear it.

#include <functional>

namespace qx {

// Sounds the beep: QApplication::beep() unless a hook is installed.
void Beep();

using BeepHook = std::function<void()>;
// Installs a hook that is called instead of the platform's beep (an empty
// function restores the platform's). Returns the previous hook.
BeepHook SetBeepHook(BeepHook hook);

}  // namespace qx
