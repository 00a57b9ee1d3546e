#include "CancelEvent.h"

#include "platform/sync/NamedEvent.h"

namespace qx {

CancelEvent::CancelEvent() = default;
CancelEvent::~CancelEvent() = default;

bool CancelEvent::Create(std::string_view name) {
    auto event = std::make_unique<NamedEvent>();
    if (event->Create(name, NamedEvent::ResetMode::Manual, false) != 0)
        return false;
    m_event = std::move(event);
    return true;
}

bool CancelEvent::Signal() {
    return m_event && m_event->Set();
}

bool CancelEvent::Open(std::string_view name) {
    auto event = std::make_unique<NamedEvent>();
    if (event->Open(name) != 0)
        return false;
    m_event = std::move(event);
    return true;
}

bool CancelEvent::TakeCancel() {
    if (!m_event || !m_event->TryWait())
        return false;
    m_event->Reset();
    return true;
}

NamedEvent* CancelEvent::Handle() {
    return m_event.get();
}

}  // namespace qx
