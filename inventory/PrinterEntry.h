#pragma once
// One printer of the shell's Printers folder in the printers table.

#include <cstddef>

#include "platform/spooler/PrinterInfo.h"

namespace qx {

// Every text field holds at most 259 bytes and a terminating zero (MAX_PATH),
// so an entry is allocated once and never grows. Created zero-filled
// (PrinterEntry{}).
struct PrinterEntry {
    static constexpr size_t kTextSize = 260;

    // A share on a QX-2 controller: the unmapped port or the spooler's
    // printer name is \\controller\queue with one of the controller's queues.
    bool bIsDsscPort;
    // The entry received a spooler record (every driver counts as supported).
    bool bSupported;
    // The shell's display name (normal form): "Laser", "Laser on SRV".
    char szPrinterShellName[kTextSize];
    // The shell's address-bar form: "Laser", "\\SRV\Laser".
    char szShellAddress[kTextSize];
    // The spooler's record. Its texts live in the table's enumeration buffer
    // and die with the table; all null for an entry the spooler did not report.
    spool::PrinterInfo2 printerInfo;
    // Dotted IPv4 address, IPX address or a URL's host part; "" when none was
    // found. Callers may overwrite it (bounded by kTextSize).
    char szAddress[kTextSize];
    // The remote name the printer's port is redirected to, else the port name.
    char szUnmappedPort[kTextSize];
};

}  // namespace qx
