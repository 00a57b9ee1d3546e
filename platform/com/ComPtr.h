#pragma once
// Holds one reference on an interface.

#include <utility>

#include "Unknown.h"

namespace qx {

template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(T* p) : m_p(p) {  // takes a new reference
        if (m_p)
            m_p->AddRef();
    }
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr& o) : ComPtr(o.m_p) {}
    ComPtr& operator=(const ComPtr& o) {
        ComPtr(o).Swap(*this);
        return *this;
    }
    ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        ComPtr(std::move(o)).Swap(*this);
        return *this;
    }

    // Adopts a pointer whose reference the caller already holds.
    static ComPtr Attach(T* p) {
        ComPtr c;
        c.m_p = p;
        return c;
    }
    T* Detach() { return std::exchange(m_p, nullptr); }
    void Reset() {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }
    // For out-parameters of the void** kind.
    void** OutVoid() {
        Reset();
        return reinterpret_cast<void**>(&m_p);
    }
    T** Out() {
        Reset();
        return &m_p;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    void Swap(ComPtr& o) noexcept { std::swap(m_p, o.m_p); }

  private:
    T* m_p = nullptr;
};

}  // namespace qx
