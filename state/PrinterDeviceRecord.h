#pragma once
// What the summary table knows of one device (the device at the address, or
// its tandem partner). The printer configuration object reads the fields
// directly, so they keep the names it knows. The value 2 is the MIB's
// unknown(2).

#include <cstdint>
#include <string>
#include <vector>

#include "PrinterAlert.h"

namespace qx {

// Where the values of an input tray go, by the tray's location code.
struct TraySlots {
    int32_t nLocation;
    int nPaperSlot;  // also the media type slot
    int nPercentSlot;
};

// The slots of a location code, or null for a code that has none.
const TraySlots* TraySlotsOf(int32_t location);

// The location codes that have slots, in slot order.
inline constexpr int32_t kTrayLocations[] = {3, 4, 8, 9, 13, 15};

struct PrinterDeviceRecord {
    static constexpr int kTraySlotCount = 8;

    std::string m_strStatusText;     // emptied when the status is other(1)
    std::string m_strName;           // EID_ODRAGENERALQXNAME
    int32_t m_bInserter = 0;         // 1 when EID_ODRAFINISHERINSERTER is 3
    std::string m_strDeviceDescr;    // EID_HRDEVICEDESCR
    int32_t m_bExternalFeeder = 0;   // a tray at location 15 exists
    int32_t m_nMemorySize = 128000;  // hrMemorySize, kilobytes
    std::string m_strModel;          // EID_ODRAGENERALQXMODEL, upper case
    int32_t m_nPedestal = 2;         // MIB value 1 to 5, or option code 6 to 13
    int32_t m_nPunchType = 2;        // EID_ODRAFINISHERHOLEPUNCHTYPE
    int32_t m_nADUState = 0;         // 1 when EID_ODRAADUSTATE is 3
    int32_t m_nFaxEnabled = 2;       // EID_ODRAGENERALDPFAXENABLED
    std::string m_strLocation;       // EID_ODRAGENERALDPLOCATION
    int32_t m_nFinisherType = 0;     // finisher type code, 0 = none found
    int32_t m_paperSize[kTraySlotCount] = {2, 2, 2, 2, 2, 2, 2, 2};
    int32_t m_mediaType[kTraySlotCount] = {2, 2, 2, 2, 2, 2, 2, 2};
    int32_t m_percentFull[kTraySlotCount] = {1, 1, 1, 1, 1, 1, 1, 1};
    int32_t m_nFeederCode = 2;  // 5 when a tray at location 8 exists
    std::vector<PrinterAlert> m_alerts;

    // The state at the start of every refresh. The inserter, ADU state and
    // finisher type keep their values; paper and media slot 6 and percent
    // slot 7 are never written by a refresh and keep theirs too.
    void Clear();

    friend bool operator==(const PrinterDeviceRecord&, const PrinterDeviceRecord&) = default;
};

}  // namespace qx
