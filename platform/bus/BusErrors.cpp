#include "BusErrors.h"

namespace qx::bus {

namespace {

struct ErrorRow {
    const char* name;
    HRESULT activation;  // the result of CreateInstance
    HRESULT call;        // the result of a method call or Release
};

// No service file, or the server left the bus: for an activation the class is
// not registered, for a call the server is gone.
constexpr ErrorRow kRows[] = {
    {"org.freedesktop.DBus.Error.ServiceUnknown", REGDB_E_CLASSNOTREG, RPC_E_SERVER_DIED},
    {"org.freedesktop.DBus.Error.NameHasNoOwner", REGDB_E_CLASSNOTREG, RPC_E_SERVER_DIED},
    {"org.freedesktop.DBus.Error.NoReply", RPC_E_SERVER_DIED, RPC_E_SERVER_DIED},
    {"org.freedesktop.DBus.Error.TimedOut", CO_E_SERVER_EXEC_FAILURE, RPC_E_SERVER_DIED},
    {"org.freedesktop.DBus.Error.Timeout", CO_E_SERVER_EXEC_FAILURE, RPC_E_SERVER_DIED},
    {"org.freedesktop.DBus.Error.Disconnected", RPC_E_DISCONNECTED, RPC_E_DISCONNECTED},
    {"org.freedesktop.DBus.Error.NoServer", RPC_E_DISCONNECTED, RPC_E_DISCONNECTED},
    {"org.freedesktop.DBus.Error.UnknownObject", CO_E_SERVER_STOPPING, RPC_E_DISCONNECTED},
    {"org.freedesktop.DBus.Error.UnknownMethod", DISP_E_MEMBERNOTFOUND, DISP_E_MEMBERNOTFOUND},
    {"org.freedesktop.DBus.Error.UnknownInterface", DISP_E_MEMBERNOTFOUND, DISP_E_MEMBERNOTFOUND},
    {"org.freedesktop.DBus.Error.InvalidArgs", E_INVALIDARG, DISP_E_TYPEMISMATCH},
    {"org.freedesktop.DBus.Error.InvalidSignature", E_INVALIDARG, DISP_E_TYPEMISMATCH},
    {"org.freedesktop.DBus.Error.AccessDenied", E_ACCESSDENIED, E_ACCESSDENIED},
    {"org.freedesktop.DBus.Error.NoMemory", E_OUTOFMEMORY, E_OUTOFMEMORY},
    {"org.freedesktop.DBus.Error.LimitsExceeded", E_OUTOFMEMORY, E_OUTOFMEMORY},
};

// Every way the bus can fail to start a program.
constexpr const char* kSpawnPrefix = "org.freedesktop.DBus.Error.Spawn.";

}  // namespace

HRESULT HResultFromBusError(const QString& errorName, BusOperation operation) {
    for (const auto& row : kRows)
        if (errorName == QLatin1String(row.name))
            return operation == BusOperation::Activation ? row.activation : row.call;
    if (errorName.startsWith(QLatin1String(kSpawnPrefix)))
        return CO_E_SERVER_EXEC_FAILURE;
    return E_FAIL;
}

}  // namespace qx::bus
