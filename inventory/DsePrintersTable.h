#pragma once
// CDsePrintersTable: a snapshot of the printers that the current user sees,
// each with the network address of the device behind it where one can be
// found. The constructor builds the whole table; a caller builds one table per
// request, looks a printer up, reads (and may set) its address, may store the
// addresses, and destroys the table. The table never talks to a device.
//
// Sources of an address, in order of precedence:
//   1. the addresses stored earlier in the family's PrinterDiscovery store;
//   2. the port monitors' keys (a Standard TCP/IP port's "IPAddress", an AIPP
//      port's "Url", a port that is itself an "http:" URL), looked up only
//      while stored addresses are read, so only when the store's key exists;
//   3. the port name or the spooler comment when it is itself an address
//      (bValidateSpooler);
//   4. the resolved name of the QX-2 controller that a printer is shared from
//      (a DSSC port), and 5. the resolved host of an LPR port (bUseWINS).
//
// Not thread-safe: one caller builds, uses and destroys a table on one thread.
// Entries, and the spooler texts they point to, die with the table.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "PrinterEntry.h"

namespace qx {

class CDsePrintersTable {
  public:
    // printerName: the name filter (null or "" for none); it limits steps 3
    // to 5 (spooler addresses, name resolution) and SetRegistryInformation to
    // the printers of that name. family: 1 KORVALEN, any other value ORVEN.
    CDsePrintersTable(const char* printerName, bool bUseWINS, bool bValidateSpooler, int family);
    virtual ~CDsePrintersTable();
    CDsePrintersTable(const CDsePrintersTable&) = delete;
    CDsePrintersTable& operator=(const CDsePrintersTable&) = delete;

    int GetCount() const { return static_cast<int>(m_printerList.size()); }
    // Null past the end (and for a negative index).
    PrinterEntry* GetPrinterByIndex(int index) const;
    // Lookups by the shell's display name, by its address-bar form, and by
    // the spooler's printer name; null when no entry matches.
    PrinterEntry* GetPrinterByShellName(const char* name) const;
    PrinterEntry* GetPrinterByShellAddress(const char* name) const;
    PrinterEntry* GetPrinterByName(const char* name) const;

    // The printer's value name in the PrinterDiscovery store: the entry's
    // szUnmappedPort, or its spooler printer name for a connection
    // (\\server\printer). Also refreshes the entry's szAddress from the port
    // monitors' keys. Points into the entry.
    const char* GetPrintablePortName(PrinterEntry* pEntry);

    // Stores the address of every entry in scope that has a spooler record
    // and an address, creating the store's key when needed. The address
    // stored is the one in the entry's szAddress when the call is made, even
    // where a port monitor knows another one.
    void SetRegistryInformation();

    // Whether this family's PrinterDiscovery store holds a value of that name.
    bool IsPortDiscovered(const char* valueName) const;

    // The controller's name of a DSSC entry, into a buffer of `size` bytes.
    bool GetQX2Name(const PrinterEntry* pEntry, char* szName, size_t size);

    // Whether the name is a share on a QX-2 controller, \\controller\queue with
    // one of the controller's queue names; then the controller's name goes to
    // szControllerName (when given, bounded by `size`).
    bool IsDSSCPort(const char* name, char* szControllerName, size_t size);

    // How the lookups split a name: "\\server\printer" into server and printer;
    // a name without two consecutive backslashes, or without a backslash
    // behind them, is both server and printer.
    static void SplitNetworkName(std::string_view name, std::string& server, std::string& printer);

  private:
    // The build steps, run by the constructor in this order.
    void SHGetPrinterNames();
    void GetPrinterInformation();
    void GetRegistryInformation();
    void ValidateSpoolerAddresses();
    void GetWINSInformation();

    bool IsInScope(const PrinterEntry& entry) const;

    int m_nFamily;
    std::vector<std::unique_ptr<PrinterEntry>> m_printerList;
    bool m_bIsNT;
    std::unique_ptr<uint8_t[]> m_pPrinterInfoBuffer;
    std::string m_strPrinterName;
    bool m_bUseWINS;
    bool m_bValidateSpooler;
    // The further queue names of DSSC shares from the language library, read
    // on the first DSSC check and kept while the table lives, so that a table
    // loads the library once and not twice per printer. When the library is
    // missing the user is told once, and no name is a DSSC share.
    bool LoadQueueNames();
    enum class QueueNames { NotLoaded, Loaded, LibraryMissing };
    QueueNames m_queueNamesState = QueueNames::NotLoaded;
    std::vector<std::string> m_queueNames;
};

}  // namespace qx
