#pragma once
// The object runtime: per-thread initialisation, the process's table of
// in-process classes, and CoCreateInstance. Local-server classes (objects of
// another process, reached over the session bus) are created by an activator
// that the bus layer installs.

#include <functional>
#include <string>

#include "Guid.h"
#include "HResult.h"
#include "Unknown.h"

using CLSCTX = uint32_t;
constexpr CLSCTX CLSCTX_INPROC_SERVER = 0x1;
constexpr CLSCTX CLSCTX_LOCAL_SERVER = 0x4;
constexpr CLSCTX CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;

// S_OK the first time on a thread, S_FALSE when it was initialised already.
HRESULT CoInitialize(void* reserved = nullptr);
void CoUninitialize();

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, CLSCTX context, REFIID riid, void** ppv);

namespace qx {

bool IsComInitialized();  // on the calling thread

// Registers the factory of an in-process class (the process keeps one
// reference until it is revoked). Returns S_OK, or E_INVALIDARG for a null factory.
HRESULT RegisterInprocClass(REFCLSID clsid, IClassFactory* factory);
void RevokeInprocClass(REFCLSID clsid);

// Creates an object of a local-server class; installed by the bus layer.
using LocalServerActivator = std::function<HRESULT(REFCLSID clsid, REFIID riid, void** ppv)>;
void SetLocalServerActivator(LocalServerActivator activator);

}  // namespace qx
