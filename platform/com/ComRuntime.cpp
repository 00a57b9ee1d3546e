#include "ComRuntime.h"

#include <mutex>
#include <unordered_map>

namespace {

thread_local int t_initCount = 0;

std::mutex g_mutex;
std::unordered_map<GUID, IClassFactory*, GuidHash>& InprocClasses() {
    static std::unordered_map<GUID, IClassFactory*, GuidHash> classes;
    return classes;
}
qx::LocalServerActivator& Activator() {
    static qx::LocalServerActivator activator;
    return activator;
}

}  // namespace

HRESULT CoInitialize(void*) { return t_initCount++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
    if (t_initCount > 0) --t_initCount;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, CLSCTX context, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (t_initCount == 0) return CO_E_NOTINITIALIZED;

    if (context & CLSCTX_INPROC_SERVER) {
        IClassFactory* factory = nullptr;
        {
            std::lock_guard lock(g_mutex);
            auto it = InprocClasses().find(clsid);
            if (it != InprocClasses().end()) {
                factory = it->second;
                factory->AddRef();
            }
        }
        if (factory) {
            HRESULT hr = factory->CreateInstance(outer, riid, ppv);
            factory->Release();
            return hr;
        }
    }
    if (context & CLSCTX_LOCAL_SERVER) {
        if (outer) return CLASS_E_NOAGGREGATION;  // no aggregation across processes
        qx::LocalServerActivator activator;
        {
            std::lock_guard lock(g_mutex);
            activator = Activator();
        }
        if (activator) return activator(clsid, riid, ppv);
    }
    return REGDB_E_CLASSNOTREG;
}

namespace qx {

bool IsComInitialized() { return t_initCount > 0; }

HRESULT RegisterInprocClass(REFCLSID clsid, IClassFactory* factory) {
    if (!factory) return E_INVALIDARG;
    factory->AddRef();
    IClassFactory* old = nullptr;
    {
        std::lock_guard lock(g_mutex);
        auto& slot = InprocClasses()[clsid];
        old = slot;
        slot = factory;
    }
    if (old) old->Release();
    return S_OK;
}

void RevokeInprocClass(REFCLSID clsid) {
    IClassFactory* old = nullptr;
    {
        std::lock_guard lock(g_mutex);
        auto it = InprocClasses().find(clsid);
        if (it == InprocClasses().end()) return;
        old = it->second;
        InprocClasses().erase(it);
    }
    old->Release();
}

void SetLocalServerActivator(LocalServerActivator activator) {
    std::lock_guard lock(g_mutex);
    Activator() = std::move(activator);
}

}  // namespace qx
