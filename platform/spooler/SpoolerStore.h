#pragma once
// Where the spooler stand-in keeps its facts: in the registry store, at the
// places Windows keeps the same facts, so that an installer or an
// administrator (qxreg) sets printers up the way they would there.
//
//   HKLM "SYSTEM\CurrentControlSet\Control\Print\Printers\<name>": one key per
//        printer of the workstation, with the values "Name", "Port",
//        "Description", "Location", "Printer Driver", "Share Name",
//        "Separator File", "Print Processor", "Datatype", "Parameters"
//        (REG_SZ) and "Attributes", "Priority", "Default Priority",
//        "StartTime", "UntilTime" (REG_DWORD);
//   HKCU "Printers\Connections\,,<server>,<printer>": the user's printer
//        connections; the key may carry the same values as a printer's key
//        (the facts the print server gave when the connection was made);
//   HKCU "Software\Microsoft\Windows NT\CurrentVersion\Windows" value
//        "Device": the user's default printer as "<name>,winspool,<port>".
//
// Nothing is cached: every call reads the store again, so a printer that an
// administrator adds is seen by the next enumeration.

#include <cstdint>
#include <string>
#include <vector>

namespace qx::spool {

constexpr const char* kPrintersKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
constexpr const char* kConnectionsKey = "Printers\\Connections";
constexpr const char* kWindowsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* kDeviceValue = "Device";

// One printer as the store describes it; owns its texts.
struct PrinterRecord {
    bool isConnection = false;
    std::string serverName;  // "\\server" for a connection, else ""
    std::string printerName;
    std::string shareName;
    std::string portName;
    std::string driverName;
    std::string comment;
    std::string location;
    std::string sepFile;
    std::string printProcessor;
    std::string datatype;
    std::string parameters;
    uint32_t attributes = 0;
    uint32_t priority = 1;
    uint32_t defaultPriority = 0;
    uint32_t startTime = 0;
    uint32_t untilTime = 0;
};

class SpoolerStore {
  public:
    // The workstation's printers (in key-name order) when PRINTER_ENUM_LOCAL is
    // in the flags, then the user's connections (in key-name order) when
    // PRINTER_ENUM_CONNECTIONS is. PRINTER_ENUM_DEFAULT alone gives the default
    // printer only. Keys that describe no printer (a connection key not of the
    // form ",,server,printer") are left out.
    static std::vector<PrinterRecord> ReadPrinters(uint32_t flags);

    // The default printer's name: "Device" up to its first comma; "" when
    // there is none.
    static std::string DefaultPrinterName();

    // One printer by its name ("Laser" or "\\server\printer"), compared
    // without regard to case; false when the spooler has no such printer.
    static bool ReadPrinter(const std::string& name, PrinterRecord& out);
};

}  // namespace qx::spool
