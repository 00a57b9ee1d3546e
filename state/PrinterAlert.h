#pragma once
// One alert of a device as the summary table keeps it: the maker's alert
// code, and the Printer-MIB alert code found for it (1 until one is found).

#include <cstdint>

namespace qx {

struct PrinterAlert {
    int32_t nAlertCode = 0;
    int32_t nPrtAlertCode = 1;

    friend bool operator==(const PrinterAlert&, const PrinterAlert&) = default;
};

}  // namespace qx
