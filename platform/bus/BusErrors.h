#pragma once
// The one place where bus errors become HRESULTs (and back, for the errors
// the local-server host answers with).

#include <QString>

#include "platform/com/HResult.h"

namespace qx::bus {

// What a client was doing when the bus answered with an error.
enum class BusOperation { Activation, Call };

HRESULT HResultFromBusError(const QString& errorName, BusOperation operation);

}  // namespace qx::bus
