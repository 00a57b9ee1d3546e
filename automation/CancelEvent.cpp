#include "CancelEvent.h"

#if __has_include("platform/sync/NamedEvent.h")
#include "platform/sync/NamedEvent.h"
#define QX_HAVE_NAMED_EVENTS 1
#else
// Named events arrive with the document monitor's work; until then no event
// can be opened.
namespace qx {
class NamedEvent {};
}  // namespace qx
#endif

namespace qx {

CancelEvent::CancelEvent() = default;
CancelEvent::~CancelEvent() = default;

bool CancelEvent::Create(std::string_view name) {
#ifdef QX_HAVE_NAMED_EVENTS
    auto event = std::make_unique<NamedEvent>();
    if (event->Create(name, NamedEvent::ResetMode::Manual, false) != 0)
        return false;
    m_event = std::move(event);
    return true;
#else
    (void)name;
    return false;
#endif
}

bool CancelEvent::Signal() {
#ifdef QX_HAVE_NAMED_EVENTS
    return m_event && m_event->Set();
#else
    return false;
#endif
}

bool CancelEvent::Open(std::string_view name) {
#ifdef QX_HAVE_NAMED_EVENTS
    auto event = std::make_unique<NamedEvent>();
    if (event->Open(name) != 0)
        return false;
    m_event = std::move(event);
    return true;
#else
    (void)name;
    return false;
#endif
}

bool CancelEvent::TakeCancel() {
#ifdef QX_HAVE_NAMED_EVENTS
    if (!m_event || !m_event->TryWait())
        return false;
    m_event->Reset();
    return true;
#else
    return false;
#endif
}

NamedEvent* CancelEvent::Handle() {
    return m_event.get();
}

}  // namespace qx
