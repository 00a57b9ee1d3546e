#pragma once
// What the three automation classes share: IUnknown with aggregation (a
// plain, not interlocked, reference count: objects live on the main thread),
// IDispatch from the class's dispatch table, ISupportErrorInfo for the class's
// own interface, and the server lock that every live object holds.
// Derived supplies kIid and kDispatchTable.

#include "platform/com/DispatchTable.h"
#include "platform/com/ServerModule.h"

namespace qx {

template <class Derived, class Itf>
class CAutomationObject : public Itf, public ISupportErrorInfo {
  public:
    // The class factory's creator: plain, or aggregated by outer (which then
    // must ask for IUnknown).
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer && riid != IID_IUnknown)
            return CLASS_E_NOAGGREGATION;
        auto* object = new Derived(outer);
        HRESULT hr = object->m_inner.QueryInterface(riid, ppv);
        object->m_inner.Release();
        return hr;
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return m_outer->QueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return m_outer->AddRef(); }
    ULONG Release() override { return m_outer->Release(); }

    // No type information object: callers look names up with GetIDsOfNames.
    HRESULT GetTypeInfoCount(uint32_t* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(uint32_t, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, const OLECHAR* const* names, uint32_t count, LCID,
                          DISPID* ids) override {
        return TableGetIDsOfNames(Derived::kDispatchTable, names, count, ids);
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, uint32_t*) override {
        return TableInvoke(Derived::kDispatchTable, static_cast<Itf*>(this), id, flags, params,
                           result);
    }

    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == Derived::kIid ? S_OK : S_FALSE;
    }

  protected:
    explicit CAutomationObject(IUnknown* outer) : m_inner(this), m_outer(outer ? outer : &m_inner) {
        TheServerModule().Lock();
    }
    virtual ~CAutomationObject() { TheServerModule().Unlock(); }

  private:
    // The object's own IUnknown, which the aggregating object holds.
    struct Inner final : IUnknown {
        explicit Inner(CAutomationObject* self) : m_self(self) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override {
            if (!ppv)
                return E_POINTER;
            *ppv = nullptr;
            if (riid == IID_IUnknown) {
                AddRef();
                *ppv = static_cast<IUnknown*>(this);
            } else if (riid == Derived::kIid || riid == IID_IDispatch) {
                Itf* itf = m_self;
                itf->AddRef();
                *ppv = itf;
            } else if (riid == IID_ISupportErrorInfo) {
                ISupportErrorInfo* info = m_self;
                info->AddRef();
                *ppv = info;
            } else {
                return E_NOINTERFACE;
            }
            return S_OK;
        }
        ULONG AddRef() override { return ++m_refs; }
        ULONG Release() override {
            ULONG n = --m_refs;
            if (n == 0)
                delete m_self;
            return n;
        }
        CAutomationObject* m_self;
        ULONG m_refs = 1;
    };

    Inner m_inner;
    IUnknown* m_outer;
};

}  // namespace qx
