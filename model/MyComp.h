#pragma once
// An element holding other elements, with its own iterator over them. The
// composite neither owns nor counts references on its children: whoever adds
// a child keeps it alive for as long as the composite holds it (the printer
// summary table embeds both). Pointers handed out by the iterator and
// GetIterator carry a reference, as COM callers expect.
//
// Reference counting as in CMyScalar.

#include <atomic>
#include <vector>

#include "ElementInterfaces.h"

class CMyComp : public IDSE_COMPOSITE, public IDSE_EP_ITERATOR {
  public:
    CMyComp();
    virtual ~CMyComp();
    CMyComp(const CMyComp&) = delete;
    CMyComp& operator=(const CMyComp&) = delete;

    // IUnknown of both parts.
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT SetTag(uint32_t) override { return S_OK; }
    HRESULT Reserved4(int32_t) override { return S_OK; }
    HRESULT Reserved5(int32_t) override { return E_NOTIMPL; }
    HRESULT Reserved6() override { return S_OK; }
    HRESULT GetTag(uint32_t* tag) override;
    HRESULT GetKind(int32_t* kind) override;
    HRESULT GetElementId(int32_t* id) override;
    HRESULT SetElementId(int32_t id) override;
    HRESULT Reserved11(int32_t) override { return S_OK; }
    HRESULT Reserved12(int32_t) override { return S_OK; }
    HRESULT Reserved13(int32_t) override { return S_OK; }
    HRESULT Reserved14(int32_t) override { return S_OK; }
    HRESULT Reserved15(int32_t) override { return S_OK; }
    HRESULT GetIterator(IDSE_EP_ITERATOR** iterator) override;
    HRESULT AddElement(IDSE_ELEMENT* element) override;

    // The iterator part: one child per Next call, whatever count is asked.
    HRESULT Next(ULONG count, VARIANT* items, ULONG* fetched) override;
    HRESULT Skip(ULONG count) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumVARIANT** copy) override;
    HRESULT FindElement(int32_t elementId, IDSE_ELEMENT** element) override;

  private:
    int32_t m_nElementId = 0;
    std::vector<IDSE_ELEMENT*> m_children;
    // Position of the last child handed out; -1 is just before the first.
    // It stays at the end once the children are exhausted.
    long m_nCursor = -1;
    uint32_t m_nTag = 0;
    std::atomic<ULONG> m_nRefs{1};
};
