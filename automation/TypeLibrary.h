#pragma once
// The server's bus contract: its names, and its type library as interface
// XML (the class factory, the object interface and the three class
// interfaces), which is also the introspection data the server returns.

#include <QString>

#include "platform/bus/LocalServerEndpoint.h"

namespace qx {

// "com.quorvia.KORVALENMISvr" at "/com/quorvia/KORVALENMISvr".
bus::LocalServerEndpoint KORVALENMISvrEndpoint();

// One <node> document with every interface of the contract.
QString TypeLibraryXml();

}  // namespace qx
