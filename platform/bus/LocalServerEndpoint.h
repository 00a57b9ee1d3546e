#pragma once
// Where a local server meets its clients on the bus: its well-known name, the
// path and interface of its class-factory object, the interface that every
// object it hands out carries besides its class's own (Release), and the
// subtree its objects live in.

#include <QString>

namespace qx::bus {

struct LocalServerEndpoint {
    QString service;           // well-known bus name, e.g. "com.quorvia.KORVALENMISvr"
    QString factoryPath;       // e.g. "/com/quorvia/KORVALENMISvr"
    QString factoryInterface;  // CreateInstance(s) -> (i, o), LockServer(b) -> (i)
    QString objectInterface;   // Release()

    QString ObjectsPath() const { return factoryPath + QStringLiteral("/objects"); }
};

}  // namespace qx::bus
