#include "ManualDevice.h"

#include <QString>

#include "platform/gui/MessageBox.h"
#include "platform/lang/LoadLanguageLibrary.h"

namespace qx {

namespace {

bool SameText(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

}  // namespace

ManualAddResult CheckManualDevice(const std::vector<DeviceRow>& rows,
                                  const ManualSelectionResult& device, size_t nLimit) {
    if (rows.size() >= nLimit)
        return ManualAddResult::ListFull;
    // Field by field: joined with "::" a name or location that itself holds
    // "::" would pass for another device.
    for (const DeviceRow& row : rows)
        if (SameText(row.address, device.strAddress) && SameText(row.name, device.strName) &&
            SameText(row.location, device.strLocation))
            return ManualAddResult::Duplicate;
    return ManualAddResult::Add;
}

DeviceRow ManualDeviceRow(const ManualSelectionResult& device) {
    DeviceRow row;
    row.name = device.strName;
    row.address = device.strAddress;
    row.location = device.strLocation;
    row.nIcon = CDeviceList::kIconPlain;
    return row;
}

void ShowManualAddRefusal(QWidget* parent, ManualAddResult result) {
    if (result == ManualAddResult::Add)
        return;
    const auto library = LoadLanguageLibrary(parent);
    if (!library)
        return;
    MessageBoxRequest request;
    request.text = library->String(result == ManualAddResult::ListFull ? 101 : 114);
    request.caption = library->String(99);
    request.icon = MessageIcon::Stop;
    request.owner = parent;
    ShowMessageBox(request);
}

}  // namespace qx
