#pragma once
// The print spooler's calls that the server makes: the enumeration of the
// printers that the user sees, one printer's record, and the default printer.
// The facts come from the registry store (SpoolerStore.h).
//
// Records are returned the way the spooler returns them: an array of
// PrinterInfo2 at the start of one buffer that the caller owns, followed by
// the texts that the records point to. A caller asks for the size first (a
// call with too small a buffer answers ERROR_INSUFFICIENT_BUFFER and the size
// needed), allocates, and calls again; the printers may change in between, so
// the second call can fail in the same way.

#include <cstdint>
#include <functional>
#include <string>

#include "PrinterInfo.h"

namespace qx::spool {

class Spooler {
  public:
    // EnumPrinters at level 2. flags: PRINTER_ENUM_LOCAL (the workstation's
    // printers), PRINTER_ENUM_CONNECTIONS (the user's printer connections),
    // PRINTER_ENUM_DEFAULT (the default printer only). PRINTER_ENUM_NETWORK
    // lists the printers of the domain, which the spooler gives at level 1
    // only: at level 2 it adds nothing. The buffer must be aligned for
    // PrinterInfo2 (memory from new[] or malloc is); it may be null when size
    // is 0. Results: ERROR_SUCCESS with `returned` records; ERROR_INSUFFICIENT_BUFFER
    // with the size in `needed`; ERROR_INVALID_LEVEL; ERROR_INVALID_PARAMETER.
    static long EnumPrinters(uint32_t flags, uint32_t level, void* buffer, uint32_t size,
                             uint32_t& needed, uint32_t& returned);

    // OpenPrinter and GetPrinter at level 2: the record of one printer by name
    // ("Laser", or "\\server\printer" for a connection), in the same layout.
    // ERROR_INVALID_PRINTER_NAME when there is no such printer.
    static long GetPrinter(const char* name, uint32_t level, void* buffer, uint32_t size,
                           uint32_t& needed);

    // The default printer's name ("" when the user has none).
    static std::string DefaultPrinterName();

    // Fault injection for tests: the hook sees every answer of EnumPrinters
    // before the caller does and may change it, as a spooler that misbehaves
    // or whose printers change between the two calls would. Records already
    // written into the caller's buffer stay as they are. An empty function
    // removes the hook; the previous one is returned.
    struct EnumPrintersAnswer {
        long error;
        uint32_t needed;
        uint32_t returned;
        uint32_t bufferSize;  // what the caller offered (read only)
    };
    using EnumPrintersHook = std::function<void(EnumPrintersAnswer&)>;
    static EnumPrintersHook SetEnumPrintersHookForTesting(EnumPrintersHook hook);
};

}  // namespace qx::spool
