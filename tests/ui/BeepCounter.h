#pragma once
// Hears the controls' beeps for as long as it lives.

#include "ui/Beep.h"

namespace qxtest {

class BeepCounter {
  public:
    BeepCounter() {
        m_previous = qx::SetBeepHook([this] { ++m_count; });
    }
    ~BeepCounter() { qx::SetBeepHook(m_previous); }
    BeepCounter(const BeepCounter&) = delete;
    BeepCounter& operator=(const BeepCounter&) = delete;

    int Count() const { return m_count; }
    // The beeps since the last call.
    int Take() {
        const int n = m_count;
        m_count = 0;
        return n;
    }

  private:
    int m_count = 0;
    qx::BeepHook m_previous;
};

}  // namespace qxtest
