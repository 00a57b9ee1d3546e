#pragma once
// The spooler's level-2 printer record and the numbers that go with it. The
// record's texts are not owned by it: they point into the buffer that the
// record was enumerated into (Spooler::EnumPrinters), as callers rely on.

#include <cstdint>

namespace qx::spool {

// Which printers an enumeration lists.
constexpr uint32_t PRINTER_ENUM_DEFAULT = 0x00000001;
constexpr uint32_t PRINTER_ENUM_LOCAL = 0x00000002;
constexpr uint32_t PRINTER_ENUM_CONNECTIONS = 0x00000004;
constexpr uint32_t PRINTER_ENUM_NETWORK = 0x00000040;

// Printer attributes (PrinterInfo2::Attributes).
constexpr uint32_t PRINTER_ATTRIBUTE_QUEUED = 0x00000001;
constexpr uint32_t PRINTER_ATTRIBUTE_DIRECT = 0x00000002;
constexpr uint32_t PRINTER_ATTRIBUTE_DEFAULT = 0x00000004;
constexpr uint32_t PRINTER_ATTRIBUTE_SHARED = 0x00000008;
constexpr uint32_t PRINTER_ATTRIBUTE_NETWORK = 0x00000010;
constexpr uint32_t PRINTER_ATTRIBUTE_HIDDEN = 0x00000020;
constexpr uint32_t PRINTER_ATTRIBUTE_LOCAL = 0x00000040;

// The level-2 record (PRINTER_INFO_2, text form). Texts are UTF-8; a text the
// spooler has no value for is "" except pServerName, which is null for the
// workstation's own printers.
struct PrinterInfo2 {
    const char* pServerName;   // "\\server" of a printer connection
    const char* pPrinterName;  // "Laser", or "\\server\printer" for a connection
    const char* pShareName;
    const char* pPortName;
    const char* pDriverName;
    const char* pComment;
    const char* pLocation;
    const char* pSepFile;
    const char* pPrintProcessor;
    const char* pDatatype;
    const char* pParameters;
    uint32_t Attributes;
    uint32_t Priority;
    uint32_t DefaultPriority;
    uint32_t StartTime;  // minutes after midnight
    uint32_t UntilTime;
    uint32_t Status;
    uint32_t cJobs;
    uint32_t AveragePPM;
};

}  // namespace qx::spool
