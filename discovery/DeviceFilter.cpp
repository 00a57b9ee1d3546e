#include "DeviceFilter.h"

#include <strings.h>

#include <initializer_list>
#include <string>

#include "model/SysObjectId.h"

namespace qx {

namespace {

constexpr const char* kRk2020J = "RK-2020J";
constexpr const char* kCalvent = "CALVENT";
constexpr const char* kLumera2811 = "a-LUMERA2811";
constexpr const char* kLumera3811 = "a-LUMERA3811";

struct FilterRow {
    std::initializer_list<const char*> models;  // any case
    std::initializer_list<const char*> exact;   // with case
    bool lumera;                                // the two a-LUMERA names, marked MFP
    bool korvalenBySysObjectId;
};

// Rows 0 and 1 select nothing.
const FilterRow kFilters[kDeviceFilterMax + 1] = {
    /* 0 */ {{}, {}, false, false},
    /* 1 */ {{}, {}, false, false},
    /* 2 */ {{"KD 480", "QX-2"}, {}, false, false},
    /* 3 */ {{"RK-2020", "QX-3"}, {kRk2020J, kCalvent}, false, false},
    /* 4 */ {{"RK-2030"}, {}, false, false},
    /* 5 */ {{}, {}, true, false},
    /* 6 */ {{"RK-2020", "KD 480", "QX-2"}, {kRk2020J, kCalvent}, false, false},
    /* 7 */ {{"RK-2030", "KD 480", "QX-2"}, {}, false, false},
    /* 8 */ {{"KD 480", "QX-2"}, {kSysObjectIdKorvalenA, kSysObjectIdKorvalenB}, false, true},
    /* 9 */ {{"RK-2030", "RK-2020"}, {kRk2020J, kCalvent}, false, false},
    /* 10 */ {{"RK-2020"}, {kRk2020J, kCalvent}, true, false},
    /* 11 */ {{"RK-2030"}, {kSysObjectIdKorvalenA, kSysObjectIdKorvalenB}, false, true},
    /* 12 */ {{"RK-2030", "RK-2020", "KD 480", "QX-2"}, {kRk2020J, kCalvent}, false, false},
    /* 13 */
    {{"RK-2020", "KD 480", "QX-2"},
     {kSysObjectIdKorvalenA, kSysObjectIdKorvalenB, kRk2020J, kCalvent},
     false,
     true},
    /* 14 */
    {{"RK-2030", "KD 480", "QX-2"}, {kSysObjectIdKorvalenA, kSysObjectIdKorvalenB}, false, true},
    /* 15 */
    {{"RK-2020", "RK-2030"},
     {kSysObjectIdKorvalenA, kSysObjectIdKorvalenB, kRk2020J, kCalvent},
     false,
     true},
    /* 16 */
    {{"RK-2020", "RK-2030", "KD 480", "QX-2"},
     {kSysObjectIdKorvalenA, kSysObjectIdKorvalenB, kRk2020J, kCalvent},
     false,
     true},
};

}  // namespace

DeviceFilterResult DeviceFilter(int filter, std::string_view typeText) {
    if (filter < 0 || filter > kDeviceFilterMax)
        return DeviceFilterResult::Rejected;
    const FilterRow& row = kFilters[filter];
    const std::string text(typeText);
    if (row.lumera && (text == kLumera2811 || text == kLumera3811))
        return DeviceFilterResult::AcceptedMfp;
    for (const char* exact : row.exact)
        if (text == exact)
            return DeviceFilterResult::Accepted;
    for (const char* model : row.models)
        if (strcasecmp(text.c_str(), model) == 0)
            return DeviceFilterResult::Accepted;
    return row.korvalenBySysObjectId ? DeviceFilterResult::CheckSysObjectId
                                     : DeviceFilterResult::Rejected;
}

}  // namespace qx
