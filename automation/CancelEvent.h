#pragma once
// The cancel event that a caller of InitPrinter owns and names: the object
// opens it by name and tests it between its steps without waiting.

#include <memory>
#include <string_view>

namespace qx {

class NamedEvent;

class CancelEvent {
  public:
    CancelEvent();
    ~CancelEvent();
    CancelEvent(const CancelEvent&) = delete;
    CancelEvent& operator=(const CancelEvent&) = delete;

    // The caller's side: a new manual-reset event, not signalled. False when
    // the name cannot be used.
    bool Create(std::string_view name);
    // False when no process holds an event of that name.
    bool Open(std::string_view name);
    bool Signal();
    // A signalled event is reset (so that the caller's next request starts
    // clear) and reported as true.
    bool TakeCancel();
    // What the resolver tests on its own; null when not open.
    NamedEvent* Handle();

  private:
    std::unique_ptr<NamedEvent> m_event;
};

}  // namespace qx
