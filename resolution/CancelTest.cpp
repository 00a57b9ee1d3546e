#include "CancelTest.h"

#include <utility>

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
    if (Hook())
        signalled = Hook()(hCancelEvent);
    if (signalled)
        Trace(kTracePrefix, "The cancel event is signalled; it is reset and the request ends");
    return signalled;
}

}  // namespace qx
