#include "MyComp.h"

#include <algorithm>

CMyComp::CMyComp() = default;

CMyComp::~CMyComp() = default;

HRESULT CMyComp::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDSE_ELEMENT || riid == IID_IDSE_COMPOSITE) {
        *ppv = static_cast<IDSE_COMPOSITE*>(this);
    } else if (riid == IID_IEnumVARIANT || riid == IID_IDSE_EP_ITERATOR) {
        *ppv = static_cast<IDSE_EP_ITERATOR*>(this);
    } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CMyComp::AddRef() {
    return ++m_nRefs;
}

ULONG CMyComp::Release() {
    ULONG n = --m_nRefs;
    if (n == 0)
        delete this;
    return n;
}

HRESULT CMyComp::GetTag(uint32_t* tag) {
    if (!tag)
        return E_POINTER;
    *tag = m_nTag;
    return S_OK;
}

HRESULT CMyComp::GetKind(int32_t* kind) {
    if (!kind)
        return E_POINTER;
    *kind = DSE_ELEMENT_COMPOSITE;
    return S_OK;
}

HRESULT CMyComp::GetElementId(int32_t* id) {
    if (!id)
        return E_POINTER;
    *id = m_nElementId;
    return S_OK;
}

HRESULT CMyComp::SetElementId(int32_t id) {
    m_nElementId = id;
    return S_OK;
}

HRESULT CMyComp::GetIterator(IDSE_EP_ITERATOR** iterator) {
    if (!iterator)
        return E_POINTER;
    *iterator = static_cast<IDSE_EP_ITERATOR*>(this);
    AddRef();
    return S_OK;
}

HRESULT CMyComp::AddElement(IDSE_ELEMENT* element) {
    if (!element)
        return E_POINTER;
    m_children.push_back(element);
    return S_OK;
}

HRESULT CMyComp::Next(ULONG, VARIANT* items, ULONG* fetched) {
    if (!items)
        return E_POINTER;
    VariantInit(items);
    long size = static_cast<long>(m_children.size());
    if (m_nCursor < size)
        ++m_nCursor;
    if (m_nCursor < size) {
        IDSE_ELEMENT* child = m_children[static_cast<size_t>(m_nCursor)];
        child->AddRef();
        items->vt = VT_UNKNOWN;
        items->punkVal = child;
    }
    if (fetched)
        *fetched = items->vt == VT_EMPTY ? 0 : 1;
    return S_OK;
}

HRESULT CMyComp::Skip(ULONG count) {
    long size = static_cast<long>(m_children.size());
    m_nCursor = std::min<long>(size, m_nCursor + static_cast<long>(count));
    return S_OK;
}

HRESULT CMyComp::Reset() {
    m_nCursor = -1;
    return S_OK;
}

HRESULT CMyComp::Clone(IEnumVARIANT** copy) {
    if (copy)
        *copy = nullptr;
    return S_OK;
}

HRESULT CMyComp::FindElement(int32_t elementId, IDSE_ELEMENT** element) {
    if (!element)
        return E_POINTER;
    *element = nullptr;
    for (IDSE_ELEMENT* child : m_children) {
        int32_t id = 0;
        if (SUCCEEDED(child->GetElementId(&id)) && id == elementId) {
            child->AddRef();
            *element = child;
            return S_OK;
        }
    }
    return S_FALSE;
}
