#include "PrinterDeviceRecord.h"

namespace qx {

namespace {

constexpr TraySlots kTraySlots[] = {
    {3, 0, 0}, {4, 2, 2}, {8, 3, 3}, {9, 4, 4}, {13, 5, 5}, {15, 7, 6},
};

}  // namespace

const TraySlots* TraySlotsOf(int32_t location) {
    for (const TraySlots& slots : kTraySlots)
        if (slots.nLocation == location)
            return &slots;
    return nullptr;
}

void PrinterDeviceRecord::Clear() {
    m_strStatusText.clear();
    m_strName.clear();
    m_strDeviceDescr.clear();
    m_bExternalFeeder = 0;
    m_nMemorySize = 128000;
    m_strModel.clear();
    m_nPedestal = 2;
    m_nPunchType = 2;
    m_nFaxEnabled = 2;
    m_strLocation.clear();
    for (int slot : {0, 1, 2, 3, 4, 5, 7}) {
        m_paperSize[slot] = 2;
        m_mediaType[slot] = 2;
    }
    for (int slot = 0; slot <= 6; ++slot)
        m_percentFull[slot] = 0;
    m_nFeederCode = 2;
    m_alerts.clear();
}

}  // namespace qx
