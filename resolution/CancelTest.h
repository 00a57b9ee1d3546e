#pragma once
// The caller's cancel event as the resolvers test it: without waiting, and
// reset when found signalled, so that a cancelled request leaves the event
// clear for the next one. No event, or one that cannot be tested, counts as
// not cancelled.

#include <functional>

namespace qx {

class NamedEvent;

bool IsCancelSignalled(NamedEvent* hCancelEvent);

// Answers every test instead of the event (an empty function removes it), so
// that a test can signal at a look that no other thread could time.
using CancelTestHook = std::function<bool(NamedEvent*)>;
void SetCancelTestForTesting(CancelTestHook hook);

}  // namespace qx
