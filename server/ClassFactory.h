#pragma once
// The class factory of one object-table row: creates plain or aggregated
// objects and turns LockServer into the server module's lock count. Its
// reference count is interlocked, as the factories may be reached from any
// thread.

#include <atomic>

#include "ObjectTable.h"

namespace qx {

class CClassFactory final : public IClassFactory {
  public:
    explicit CClassFactory(const ObjectTableRow& row) : m_row(row) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override;
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    HRESULT LockServer(bool lock) override;

    const ObjectTableRow& Row() const { return m_row; }

  private:
    ~CClassFactory() = default;
    const ObjectTableRow& m_row;
    std::atomic<ULONG> m_refs{1};
};

}  // namespace qx
