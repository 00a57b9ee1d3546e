#pragma once
// Adding a device that the user typed in (CManualSelection) to a discovery
// dialog's list: the list's limit and the duplicate check, with the messages
// the owning dialog shows for a refusal.

#include <cstddef>
#include <vector>

#include "discovery/DeviceList.h"
#include "discovery/dialogs/ManualSelection.h"

class QWidget;

namespace qx {

// Rows the local dialog's list and the network dialog's monitoring list hold.
inline constexpr size_t kLocalListLimit = 64;
inline constexpr size_t kMonitoringListLimit = 15;

enum class ManualAddResult { Add, ListFull, Duplicate };

// Whether the typed device may join a list that holds `rows`: not when the
// list has `nLimit` rows already, nor when a row has the same address, name
// and location (letter case aside).
ManualAddResult CheckManualDevice(const std::vector<DeviceRow>& rows,
                                  const ManualSelectionResult& device, size_t nLimit);

// The row to add: name, address and location, no model, the plain icon.
DeviceRow ManualDeviceRow(const ManualSelectionResult& device);

// Tells the user why nothing was added (string 101 for a full list, 114 for
// a duplicate; caption 99). Nothing for Add.
void ShowManualAddRefusal(QWidget* parent, ManualAddResult result);

}  // namespace qx
