#include "ClassFactory.h"

#include "platform/com/ServerModule.h"

namespace qx {

HRESULT CClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory)
        return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<IClassFactory*>(this);
    return S_OK;
}

ULONG CClassFactory::Release() {
    ULONG n = --m_refs;
    if (n == 0)
        delete this;
    return n;
}

HRESULT CClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    return m_row.create(outer, riid, ppv);
}

HRESULT CClassFactory::LockServer(bool lock) {
    if (lock)
        TheServerModule().Lock();
    else
        TheServerModule().Unlock();
    return S_OK;
}

}  // namespace qx
