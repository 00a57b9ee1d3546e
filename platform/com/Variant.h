#pragma once
// VARIANT: the tagged value of automation, for the types this system passes.

#include <cstdint>
#include <string>

#include "Bstr.h"
#include "HResult.h"

struct IUnknown;
struct IDispatch;

using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_NULL = 1;
constexpr VARTYPE VT_I2 = 2;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_DISPATCH = 9;
constexpr VARTYPE VT_ERROR = 10;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_VARIANT = 12;
constexpr VARTYPE VT_UNKNOWN = 13;
constexpr VARTYPE VT_INT = 22;
constexpr VARTYPE VT_BYREF = 0x4000;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

struct VARIANT {
    VARTYPE vt;
    uint16_t wReserved1, wReserved2, wReserved3;
    union {
        int16_t iVal;
        int32_t lVal;
        VARIANT_BOOL boolVal;
        HRESULT scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        int intVal;
        int32_t* plVal;
        int* pintVal;
        int16_t* piVal;
        VARIANT_BOOL* pboolVal;
        BSTR* pbstrVal;
        VARIANT* pvarVal;
        void* byref;
    };
};
using VARIANTARG = VARIANT;

void VariantInit(VARIANT* v);
// Frees what the variant owns (its BSTR, its reference on an interface) and
// leaves it VT_EMPTY.
HRESULT VariantClear(VARIANT* v);
// Deep copy: a new BSTR, one more reference on an interface. dest is cleared first.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Converts src to the type vt into dest (which may be src itself), as late-bound
// callers rely on: numbers, VT_BOOL and decimal texts convert into each other
// (VT_EMPTY gives 0 or ""; a VT_BYREF source is read through). DISP_E_OVERFLOW
// for a number out of range, DISP_E_TYPEMISMATCH for anything else; dest is
// left alone on failure. flags is accepted for the platform's signature and unused.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, uint16_t flags, VARTYPE vt);

namespace qx {

// Owns one VARIANT.
class Variant {
  public:
    Variant() { VariantInit(&m_v); }
    explicit Variant(int32_t i4) {
        VariantInit(&m_v);
        m_v.vt = VT_I4;
        m_v.lVal = i4;
    }
    // VT_I2, VT_BOOL (any stored value, 1 stays 1) and friends.
    static Variant Of(VARTYPE vt, int32_t value) {
        Variant v;
        v.m_v.vt = vt;
        if (vt == VT_I2 || vt == VT_BOOL)
            v.m_v.iVal = static_cast<int16_t>(value);
        else
            v.m_v.lVal = value;
        return v;
    }
    // Takes over a BSTR.
    static Variant AdoptBstr(BSTR text) {
        Variant v;
        v.m_v.vt = VT_BSTR;
        v.m_v.bstrVal = text;
        return v;
    }
    Variant(Variant&& o) noexcept {
        m_v = o.m_v;
        VariantInit(&o.m_v);
    }
    Variant& operator=(Variant&& o) noexcept {
        if (this != &o) {
            VariantClear(&m_v);
            m_v = o.m_v;
            VariantInit(&o.m_v);
        }
        return *this;
    }
    explicit Variant(std::string_view utf8) {
        VariantInit(&m_v);
        m_v.vt = VT_BSTR;
        m_v.bstrVal = BstrFromUtf8(utf8);
    }
    ~Variant() { VariantClear(&m_v); }
    Variant(const Variant& o) {
        VariantInit(&m_v);
        VariantCopy(&m_v, &o.m_v);
    }
    Variant& operator=(const Variant& o) {
        if (this != &o)
            VariantCopy(&m_v, &o.m_v);
        return *this;
    }

    VARIANT* Get() { return &m_v; }
    const VARIANT* Get() const { return &m_v; }
    VARIANT* operator->() { return &m_v; }
    const VARIANT* operator->() const { return &m_v; }
    void Clear() { VariantClear(&m_v); }
    // Gives up ownership: the caller owns what the returned value holds.
    VARIANT Detach() {
        VARIANT v = m_v;
        VariantInit(&m_v);
        return v;
    }

  private:
    VARIANT m_v;
};

// "VT_BSTR" and friends; "VT_BYREF|VT_VARIANT" for references; the number for others.
std::string VarTypeName(VARTYPE vt);

}  // namespace qx
