#include "ComRuntime.h"

#include <mutex>
#include <unordered_map>

#include "platform/registry/RegistryKey.h"

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

HRESULT CoInitialize(void*) {
    return t_initCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (t_initCount > 0)
        --t_initCount;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, CLSCTX context, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (t_initCount == 0)
        return CO_E_NOTINITIALIZED;

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
        if (outer)
            return CLASS_E_NOAGGREGATION;  // no aggregation across processes
        qx::LocalServerActivator activator;
        {
            std::lock_guard lock(g_mutex);
            activator = Activator();
        }
        if (activator)
            return activator(clsid, riid, ppv);
    }
    return REGDB_E_CLASSNOTREG;
}

HRESULT CLSIDFromString(std::string_view text, CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    if (text.size() != 38 || text.front() != '{')
        return CO_E_CLASSSTRING;
    auto parsed = GUID::Parse(text);
    if (!parsed)
        return CO_E_CLASSSTRING;
    *clsid = *parsed;
    return S_OK;
}

HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    if (progId.empty() || progId.find('\\') != std::string_view::npos)
        return CO_E_CLASSSTRING;
    std::string name(progId);
    // A version-independent ProgID names its current version; a few steps at
    // most, so that a CurVer loop ends.
    for (int step = 0; step < 8; ++step) {
        qx::reg::Key key;
        if (qx::reg::Key::Open(qx::reg::Hive::ClassesRoot, name, qx::reg::Access::Read, key) != 0)
            return CO_E_CLASSSTRING;
        std::string next;
        qx::reg::Key curVer;
        if (key.Open("CurVer", qx::reg::Access::Read, curVer) == 0 &&
            curVer.GetString("", next) == 0 && !next.empty() &&
            next.find('\\') == std::string::npos && next != name) {
            qx::reg::Key target;
            if (qx::reg::Key::Open(qx::reg::Hive::ClassesRoot, next + "\\CLSID",
                                   qx::reg::Access::Read, target) == 0) {
                name = next;
                continue;
            }
        }
        qx::reg::Key clsidKey;
        std::string text;
        if (key.Open("CLSID", qx::reg::Access::Read, clsidKey) != 0 ||
            clsidKey.GetString("", text) != 0)
            return CO_E_CLASSSTRING;
        return CLSIDFromString(text, clsid);
    }
    return CO_E_CLASSSTRING;
}

namespace qx {

HRESULT CreateObject(std::string_view classText, CLSCTX context, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    CLSID clsid;
    HRESULT hr = !classText.empty() && classText.front() == '{'
                     ? CLSIDFromString(classText, &clsid)
                     : CLSIDFromProgID(classText, &clsid);
    if (FAILED(hr))
        return hr;
    return CoCreateInstance(clsid, nullptr, context, riid, ppv);
}

bool IsComInitialized() {
    return t_initCount > 0;
}

HRESULT RegisterInprocClass(REFCLSID clsid, IClassFactory* factory) {
    if (!factory)
        return E_INVALIDARG;
    factory->AddRef();
    IClassFactory* old = nullptr;
    {
        std::lock_guard lock(g_mutex);
        auto& slot = InprocClasses()[clsid];
        old = slot;
        slot = factory;
    }
    if (old)
        old->Release();
    return S_OK;
}

void RevokeInprocClass(REFCLSID clsid) {
    IClassFactory* old = nullptr;
    {
        std::lock_guard lock(g_mutex);
        auto it = InprocClasses().find(clsid);
        if (it == InprocClasses().end())
            return;
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
