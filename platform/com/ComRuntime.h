#pragma once
// The object runtime: per-thread initialisation, the process's table of
// in-process classes, and CoCreateInstance. Local-server classes (objects of
// another process, reached over the session bus) are created by an activator
// that the bus layer installs.

#include <functional>
#include <string>
#include <string_view>

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

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces required, either case) to a
// CLSID; CO_E_CLASSSTRING for anything else.
HRESULT CLSIDFromString(std::string_view text, CLSID* clsid);
// Looks a ProgID up in HKEY_CLASSES_ROOT: its CurVer (the versioned ProgID)
// when it has one, else its own CLSID subkey. CO_E_CLASSSTRING when the ProgID
// is not registered or names no valid CLSID.
HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid);

namespace qx {

bool IsComInitialized();  // on the calling thread

// Registers the factory of an in-process class (the process keeps one
// reference until it is revoked). Returns S_OK, or E_INVALIDARG for a null factory.
HRESULT RegisterInprocClass(REFCLSID clsid, IClassFactory* factory);
void RevokeInprocClass(REFCLSID clsid);

// Creates an object by class text, as late-bound callers do: a CLSID in
// braces, or a ProgID looked up with CLSIDFromProgID.
HRESULT CreateObject(std::string_view classText, CLSCTX context, REFIID riid, void** ppv);

// Creates an object of a local-server class; installed by the bus layer.
using LocalServerActivator = std::function<HRESULT(REFCLSID clsid, REFIID riid, void** ppv)>;
void SetLocalServerActivator(LocalServerActivator activator);

}  // namespace qx
