#include "Variant.h"

#include <cstring>

#include "Unknown.h"

void VariantInit(VARIANT* v) {
    if (!v) return;
    std::memset(v, 0, sizeof *v);
    v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
    if (!v) return E_INVALIDARG;
    switch (v->vt) {
        case VT_BSTR: SysFreeString(v->bstrVal); break;
        case VT_UNKNOWN:
            if (v->punkVal) v->punkVal->Release();
            break;
        case VT_DISPATCH:
            if (v->pdispVal) v->pdispVal->Release();
            break;
        default: break;
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src) return E_INVALIDARG;
    if (dest == src) return S_OK;
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
            if (src->punkVal) src->punkVal->AddRef();
            break;
        case VT_DISPATCH:
            if (src->pdispVal) src->pdispVal->AddRef();
            break;
        default: break;
    }
    return S_OK;
}
