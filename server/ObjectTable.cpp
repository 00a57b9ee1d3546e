#include "ObjectTable.h"

#include "automation/CDsePrinterConfigKORVALEN.h"
#include "automation/CDseTendraKORVALEN.h"
#include "automation/CDseTendraOrven.h"

namespace qx {

const ObjectTableRow kObjectTable[kObjectTableRows] = {
    {&CLSID_DseTendraKORVALEN, "{2E09E4B8-245E-4ebc-817A-F708207473B7}", 101,
     "KORVALENMISvr.DseTendraKORVALEN", "DseTendraKORVALEN Class", &IID_IDseTendraKORVALEN,
     "{06E7DF8E-1EB1-466E-B9F7-4D60AC03031E}", "IDseTendraKORVALEN",
     &CDseTendraKORVALEN::CreateInstance},
    {&CLSID_DsePrinterConfigKORVALEN, "{B7C03984-2BE3-4ecc-9F07-A223563EBC38}", 102,
     "KORVALENMISvr.DsePrinterConfigKORVALEN", "DsePrinterConfigKORVALEN Class",
     &IID_IDsePrinterConfigKORVALEN, "{781B9A43-D04C-450B-8620-F0877E5FE381}",
     "IDsePrinterConfigKORVALEN", &CDsePrinterConfigKORVALEN::CreateInstance},
    {&CLSID_DseTendraOrven, "{6102DD70-63E8-440e-9DD8-904F07489671}", 103,
     "KORVALENMISvr.DseTendraOrven", "DseTendraOrven Class", &IID_IDseTendraOrven,
     "{C35D7D3B-92E4-416E-A7E4-7FFC284A2D4F}", "IDseTendraOrven", &CDseTendraOrven::CreateInstance},
};

const ObjectTableRow* FindObjectRow(REFCLSID clsid) {
    for (const auto& row : kObjectTable)
        if (*row.clsid == clsid)
            return &row;
    return nullptr;
}

}  // namespace qx
