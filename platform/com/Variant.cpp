#include "Variant.h"

#include <cctype>
#include <cstring>
#include <string>

#include "Unknown.h"

void VariantInit(VARIANT* v) {
    if (!v)
        return;
    std::memset(v, 0, sizeof *v);
    v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
    if (!v)
        return E_INVALIDARG;
    switch (v->vt) {
        case VT_BSTR:
            SysFreeString(v->bstrVal);
            break;
        case VT_UNKNOWN:
            if (v->punkVal)
                v->punkVal->Release();
            break;
        case VT_DISPATCH:
            if (v->pdispVal)
                v->pdispVal->Release();
            break;
        default:
            break;
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src)
        return E_INVALIDARG;
    if (dest == src)
        return S_OK;
    VariantClear(dest);
    *dest = *src;
    switch (src->vt) {
        case VT_BSTR:
            if (src->bstrVal) {
                dest->bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
                if (!dest->bstrVal) {
                    VariantInit(dest);
                    return E_OUTOFMEMORY;
                }
            }
            break;
        case VT_UNKNOWN:
            if (src->punkVal)
                src->punkVal->AddRef();
            break;
        case VT_DISPATCH:
            if (src->pdispVal)
                src->pdispVal->AddRef();
            break;
        default:
            break;
    }
    return S_OK;
}

namespace {

// The value of an integer-like variant; false for other types.
bool ReadInteger(const VARIANT& v, int64_t& out) {
    switch (v.vt) {
        case VT_EMPTY:
            out = 0;
            return true;
        case VT_I2:
        case VT_BOOL:
            out = v.iVal;
            return true;
        case VT_I4:
        case VT_INT:
            out = v.lVal;
            return true;
        default:
            return false;
    }
}

bool ParseDecimal(BSTR text, int64_t& out) {
    std::string s = qx::Utf8FromBstr(text);
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    if (b == std::string::npos)
        return false;
    s = s.substr(b, e - b + 1);
    size_t i = 0;
    bool negative = false;
    if (s[0] == '-' || s[0] == '+') {
        negative = s[0] == '-';
        i = 1;
    }
    if (i == s.size())
        return false;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
        if (v > 0xFFFFFFFFll)
            return false;  // far out of every target's range
    }
    out = negative ? -v : v;
    return true;
}

bool EqualsIgnoreCase(const std::string& a, const char* b) {
    size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, uint16_t, VARTYPE vt) {
    if (!dest || !src)
        return E_INVALIDARG;
    // Read through a reference first.
    VARIANT value;
    VariantInit(&value);
    if (src->vt & VT_BYREF) {
        if (!src->byref)
            return E_INVALIDARG;
        switch (src->vt & ~VT_BYREF) {
            case VT_I2:
                value.vt = VT_I2;
                value.iVal = *src->piVal;
                break;
            case VT_BOOL:
                value.vt = VT_BOOL;
                value.boolVal = *src->pboolVal;
                break;
            case VT_I4:
                value.vt = VT_I4;
                value.lVal = *src->plVal;
                break;
            case VT_INT:
                value.vt = VT_INT;
                value.intVal = *src->pintVal;
                break;
            case VT_BSTR:
                value.vt = VT_BSTR;
                value.bstrVal = *src->pbstrVal;
                break;
            case VT_VARIANT:
                return VariantChangeType(dest, src->pvarVal, 0, vt);
            default:
                return DISP_E_TYPEMISMATCH;
        }
    } else {
        value = *src;  // borrowed: only read below
    }

    VARIANT result;
    VariantInit(&result);
    result.vt = vt;
    int64_t n = 0;
    switch (vt) {
        case VT_EMPTY:
            break;
        case VT_I2:
        case VT_I4:
        case VT_INT:
        case VT_BOOL: {
            if (value.vt == VT_BSTR) {
                std::string text = qx::Utf8FromBstr(value.bstrVal);
                if (vt == VT_BOOL && EqualsIgnoreCase(text, "true"))
                    n = VARIANT_TRUE;
                else if (vt == VT_BOOL && EqualsIgnoreCase(text, "false"))
                    n = VARIANT_FALSE;
                else if (!ParseDecimal(value.bstrVal, n))
                    return DISP_E_TYPEMISMATCH;
            } else if (!ReadInteger(value, n)) {
                return DISP_E_TYPEMISMATCH;
            }
            if (vt == VT_BOOL) {
                // A VT_BOOL keeps whatever it stores; numbers become true or false.
                result.boolVal = value.vt == VT_BOOL ? value.boolVal
                                 : n                 ? VARIANT_TRUE
                                                     : VARIANT_FALSE;
            } else if (vt == VT_I2) {
                if (n < INT16_MIN || n > INT16_MAX)
                    return DISP_E_OVERFLOW;
                result.iVal = static_cast<int16_t>(n);
            } else {
                if (n < INT32_MIN || n > INT32_MAX)
                    return DISP_E_OVERFLOW;
                result.lVal = static_cast<int32_t>(n);
            }
            break;
        }
        case VT_BSTR: {
            if (value.vt == VT_BSTR) {
                result.bstrVal = SysAllocStringLen(value.bstrVal, SysStringLen(value.bstrVal));
            } else if (ReadInteger(value, n)) {
                result.bstrVal = qx::BstrFromUtf8(std::to_string(n));
            } else {
                return DISP_E_TYPEMISMATCH;
            }
            if (!result.bstrVal && value.vt != VT_BSTR)
                return E_OUTOFMEMORY;
            break;
        }
        default:
            return DISP_E_TYPEMISMATCH;
    }
    // Clearing dest frees src's text when they are one variant: result owns its own copy.
    VariantClear(dest);
    *dest = result;
    return S_OK;
}

namespace qx {

std::string VarTypeName(VARTYPE vt) {
    std::string prefix = (vt & VT_BYREF) ? "VT_BYREF|" : "";
    switch (vt & ~VT_BYREF) {
        case VT_EMPTY:
            return prefix + "VT_EMPTY";
        case VT_NULL:
            return prefix + "VT_NULL";
        case VT_I2:
            return prefix + "VT_I2";
        case VT_I4:
            return prefix + "VT_I4";
        case VT_BSTR:
            return prefix + "VT_BSTR";
        case VT_DISPATCH:
            return prefix + "VT_DISPATCH";
        case VT_ERROR:
            return prefix + "VT_ERROR";
        case VT_BOOL:
            return prefix + "VT_BOOL";
        case VT_VARIANT:
            return prefix + "VT_VARIANT";
        case VT_UNKNOWN:
            return prefix + "VT_UNKNOWN";
        case VT_INT:
            return prefix + "VT_INT";
        default:
            return std::to_string(vt);
    }
}

}  // namespace qx
