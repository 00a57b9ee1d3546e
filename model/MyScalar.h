#pragma once
// An element holding one value. The printer summary table embeds one to hold
// the device address (element 999).
//
// Reference counting follows COM: a new object holds one reference for its
// creator, and the last Release deletes it. An object embedded in another
// keeps that first reference for its whole life, so references handed out
// and given back never delete it.

#include <atomic>

#include "ElementInterfaces.h"

class CMyScalar : public IDSE_SCALAR {
  public:
    CMyScalar();
    virtual ~CMyScalar();
    CMyScalar(const CMyScalar&) = delete;
    CMyScalar& operator=(const CMyScalar&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT SetTag(uint32_t tag) override;
    HRESULT Reserved4(int32_t) override { return S_OK; }
    HRESULT Reserved5(int32_t) override { return S_OK; }
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

    // The scalar keeps its own copy of the value; GetValue hands the caller
    // a copy of its own to clear.
    HRESULT GetValue(VARIANT* value) override;
    HRESULT SetValue(const VARIANT* value) override;

  private:
    int32_t m_nElementId = 0;
    VARIANT m_value;
    std::atomic<ULONG> m_nRefs{1};
    uint32_t m_nTag = 0;
};
