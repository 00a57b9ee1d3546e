#pragma once
// The base interfaces of the object model: IUnknown, IDispatch,
// ISupportErrorInfo, IClassFactory and IEnumVARIANT, with their interface ids.

#include <cstdint>

#include "Guid.h"
#include "HResult.h"
#include "Variant.h"

using ULONG = uint32_t;
using DISPID = int32_t;
using LCID = uint32_t;

constexpr IID IID_IUnknown = MakeGuid("00000000-0000-0000-C000-000000000046");
constexpr IID IID_IClassFactory = MakeGuid("00000001-0000-0000-C000-000000000046");
constexpr IID IID_IDispatch = MakeGuid("00020400-0000-0000-C000-000000000046");
constexpr IID IID_IEnumVARIANT = MakeGuid("00020404-0000-0000-C000-000000000046");
constexpr IID IID_ISupportErrorInfo = MakeGuid("DF0B3D60-548F-101B-8E65-08002B2BD119");

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    ~IUnknown() = default;
};

// Arguments of IDispatch::Invoke, last argument first, as automation passes them.
struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    uint32_t cArgs;
    uint32_t cNamedArgs;
};

struct EXCEPINFO;
struct ITypeInfo;

constexpr uint16_t DISPATCH_METHOD = 0x1;
constexpr uint16_t DISPATCH_PROPERTYGET = 0x2;

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(uint32_t* count) = 0;
    virtual HRESULT GetTypeInfo(uint32_t index, LCID lcid, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, const OLECHAR* const* names, uint32_t count,
                                  LCID lcid, DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, uint16_t flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* excepInfo, uint32_t* argErr) = 0;

  protected:
    ~IDispatch() = default;
};

struct ISupportErrorInfo : IUnknown {
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

  protected:
    ~ISupportErrorInfo() = default;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;
    virtual HRESULT LockServer(bool lock) = 0;

  protected:
    ~IClassFactory() = default;
};

struct IEnumVARIANT : IUnknown {
    virtual HRESULT Next(ULONG count, VARIANT* items, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumVARIANT** copy) = 0;

  protected:
    ~IEnumVARIANT() = default;
};
