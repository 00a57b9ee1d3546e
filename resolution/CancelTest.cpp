#include "CancelTest.h"

#include <utility>

#include "platform/sync/NamedEvent.h"
#include "trace/Trace.h"

namespace qx {

namespace {
CancelTestHook& Hook() {
    static CancelTestHook hook;
    return hook;
}
}  // namespace

void SetCancelTestForTesting(CancelTestHook hook) {
    Hook() = std::move(hook);
}

bool IsCancelSignalled(NamedEvent* hCancelEvent) {
    bool signalled = false;
    if (Hook()) {
        signalled = Hook()(hCancelEvent);
    } else if (hCancelEvent != nullptr && hCancelEvent->IsOpen() &&
               hCancelEvent->Wait(std::chrono::milliseconds(0)) ==
                   NamedEvent::WaitResult::Signalled) {
        // A manual-reset event stays set after the wait: clear it for the
        // caller's next request.
        hCancelEvent->Reset();
        signalled = true;
    }
    if (signalled)
        Trace(kTracePrefix, "The cancel event is signalled; it is reset and the request ends");
    return signalled;
}

}  // namespace qx
