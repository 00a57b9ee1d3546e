#pragma once
// The client side of automation over the bus: a proxy for an object that a
// local server exported. It is an IDispatch whose type information comes
// from the object's introspection data; Invoke carries a call as the bus
// method of the same name and returns the method's own HRESULT (S_FALSE
// included), or the HRESULT of a transport failure (RPC_E_DISCONNECTED for an
// object that is gone, RPC_E_SERVER_DIED for a server that is gone). The last
// Release releases the remote object. Calls wait without time limit: a method
// may show a dialog or wait for devices for minutes.
//
// CoCreateInstance reaches local-server classes through the activator that
// InstallLocalServerActivator sets up: CreateInstance on the server's class
// factory, which the bus starts on demand.

#include <QDBusConnection>
#include <QString>

#include <optional>

#include "LocalServerEndpoint.h"
#include "platform/com/TypeInfo.h"

namespace qx::bus {

// What a proxy tells besides IDispatch: where the object lives and what its
// interface looks like.
struct IBusObject : IUnknown {
    virtual QString Service() const = 0;
    virtual QString Path() const = 0;
    // Null when the object's introspection data cannot be read.
    virtual const InterfaceInfo* Interface() = 0;

  protected:
    ~IBusObject() = default;
};
constexpr IID IID_IBusObject = MakeGuid("7d18ecd2-c193-47eb-a716-96460e7c9d89");

// A new proxy (one reference) for the object at path, owned by the server
// whose unique bus name is service.
IDispatch* CreateRemoteObject(QDBusConnection connection, const QString& service,
                              const QString& path, const LocalServerEndpoint& endpoint);

// CreateInstance on the server's factory; *ppv receives a proxy.
HRESULT CreateRemoteInstance(QDBusConnection connection, const LocalServerEndpoint& endpoint,
                             const QString& clsidOrProgId, REFIID riid, void** ppv);

// Makes CoCreateInstance with CLSCTX_LOCAL_SERVER create the classes of this
// server over the given connection.
void InstallLocalServerActivator(QDBusConnection connection, const LocalServerEndpoint& endpoint);

}  // namespace qx::bus
