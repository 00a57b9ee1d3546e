#include "MyScalar.h"

CMyScalar::CMyScalar() {
    VariantInit(&m_value);
}

CMyScalar::~CMyScalar() {
    VariantClear(&m_value);
}

HRESULT CMyScalar::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDSE_ELEMENT || riid == IID_IDSE_SCALAR) {
        *ppv = static_cast<IDSE_SCALAR*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CMyScalar::AddRef() {
    return ++m_nRefs;
}

ULONG CMyScalar::Release() {
    ULONG n = --m_nRefs;
    if (n == 0)
        delete this;
    return n;
}

HRESULT CMyScalar::SetTag(uint32_t tag) {
    m_nTag = tag;
    return S_OK;
}

HRESULT CMyScalar::GetTag(uint32_t* tag) {
    if (!tag)
        return E_POINTER;
    *tag = m_nTag;
    return S_OK;
}

HRESULT CMyScalar::GetKind(int32_t* kind) {
    if (!kind)
        return E_POINTER;
    *kind = DSE_ELEMENT_SCALAR;
    return S_OK;
}

HRESULT CMyScalar::GetElementId(int32_t* id) {
    if (!id)
        return E_POINTER;
    *id = m_nElementId;
    return S_OK;
}

HRESULT CMyScalar::SetElementId(int32_t id) {
    m_nElementId = id;
    return S_OK;
}

HRESULT CMyScalar::GetValue(VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    return VariantCopy(value, &m_value);
}

HRESULT CMyScalar::SetValue(const VARIANT* value) {
    if (!value)
        return E_POINTER;
    return VariantCopy(&m_value, value);
}
