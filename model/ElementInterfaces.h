#pragma once
// Interfaces of the element value objects: an element is a device value
// addressed by element id, either a scalar holding one VARIANT or a
// composite holding other elements. Operations are declared in slot order;
// the reserved operations have no effect in this system's objects.

#include <cstdint>

#include "platform/com/Unknown.h"

constexpr IID IID_IDSE_ELEMENT = MakeGuid("96699D5E-EF5D-445A-8A77-F70DA10A718B");
constexpr IID IID_IDSE_SCALAR = MakeGuid("EF880199-77B4-4FBD-8EEE-ABE0F83E8B02");
constexpr IID IID_IDSE_COMPOSITE = MakeGuid("07C9D1ED-1981-4324-AE30-C02410E5035D");
constexpr IID IID_IDSE_EP_ITERATOR = MakeGuid("F7860F2E-5B0E-4A51-9F99-510914AF5DDF");
constexpr IID IID_IDSECallback = MakeGuid("B1EAA8A7-DE86-4DF8-9C19-19D4946B736C");

// GetKind answers.
constexpr int32_t DSE_ELEMENT_SCALAR = 0;
constexpr int32_t DSE_ELEMENT_COMPOSITE = 1;

struct IDSE_ELEMENT : IUnknown {
    virtual HRESULT SetTag(uint32_t tag) = 0;  // 3
    virtual HRESULT Reserved4(int32_t) = 0;
    virtual HRESULT Reserved5(int32_t) = 0;
    virtual HRESULT Reserved6() = 0;
    virtual HRESULT GetTag(uint32_t* tag) = 0;      // 7
    virtual HRESULT GetKind(int32_t* kind) = 0;     // 8
    virtual HRESULT GetElementId(int32_t* id) = 0;  // 9
    virtual HRESULT SetElementId(int32_t id) = 0;   // 10
    virtual HRESULT Reserved11(int32_t) = 0;
    virtual HRESULT Reserved12(int32_t) = 0;
    virtual HRESULT Reserved13(int32_t) = 0;
    virtual HRESULT Reserved14(int32_t) = 0;
    virtual HRESULT Reserved15(int32_t) = 0;

  protected:
    ~IDSE_ELEMENT() = default;
};

struct IDSE_SCALAR : IDSE_ELEMENT {
    virtual HRESULT GetValue(VARIANT* value) = 0;        // 16
    virtual HRESULT SetValue(const VARIANT* value) = 0;  // 17

  protected:
    ~IDSE_SCALAR() = default;
};

// Walks a composite's children: Next hands out one child per call as a
// VT_UNKNOWN VARIANT (VT_EMPTY past the last), FindElement the first child
// with an element id (S_FALSE when none has it).
struct IDSE_EP_ITERATOR : IEnumVARIANT {
    virtual HRESULT FindElement(int32_t elementId, IDSE_ELEMENT** element) = 0;  // 7

  protected:
    ~IDSE_EP_ITERATOR() = default;
};

struct IDSE_COMPOSITE : IDSE_ELEMENT {
    virtual HRESULT GetIterator(IDSE_EP_ITERATOR** iterator) = 0;  // 16
    virtual HRESULT AddElement(IDSE_ELEMENT* element) = 0;         // 17

  protected:
    ~IDSE_COMPOSITE() = default;
};

// The callback side of an element source, implemented by the printer
// summary table. Its life is governed by its owner, not by references:
// AddRef and Release answer 0 and change nothing.
struct IDSECallback : IUnknown {
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDSECallback) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }
    virtual HRESULT Notify(int32_t) { return S_OK; }  // 3
    virtual ~IDSECallback() = default;                // 4
};
