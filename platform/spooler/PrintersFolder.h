#pragma once
// The shell's Printers folder, as the printers table walks it: the desktop's
// special folder that lists the "Add Printer" item first and then one item per
// printer the user sees (the workstation's printers, then the user's printer
// connections, in the spooler's order). Each item has a display name in the
// normal form ("Laser"; "Laser on SRV" for a connection) and in the
// address-bar form ("Laser"; "\\SRV\Laser").

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/HResult.h"

namespace qx::spool {

// Which items an enumeration lists (EnumObjects flags).
constexpr uint32_t SHCONTF_FOLDERS = 0x20;
constexpr uint32_t SHCONTF_NONFOLDERS = 0x40;

// Forms of a display name (GetDisplayNameOf flags).
constexpr uint32_t SHGDN_NORMAL = 0x0000;
constexpr uint32_t SHGDN_INFOLDER = 0x0001;
constexpr uint32_t SHGDN_FORADDRESSBAR = 0x4000;
constexpr uint32_t SHGDN_FORPARSING = 0x8000;

class PrintersFolder {
  public:
    // One item of the folder (an item id).
    struct Item {
        enum class Kind { AddPrinter, Printer, Connection };
        Kind kind = Kind::AddPrinter;
        std::string printer;  // the printer's name; for a connection the name on its server
        std::string server;   // a connection's server, without backslashes
    };

    class Enumerator {
      public:
        // Next with a count of 1: S_OK and the item, S_FALSE past the last
        // item, E_FAIL when the enumeration fails.
        HRESULT Next(Item& item);

      private:
        friend class PrintersFolder;
        std::vector<Item> m_items;
        size_t m_next = 0;
        int m_failAfter = -1;
    };

    // The desktop folder's Printers folder (SHGetDesktopFolder,
    // SHGetSpecialFolderLocation with CSIDL_PRINTERS, BindToObject): S_OK, or
    // E_FAIL when the shell cannot offer it.
    static HRESULT Open(PrintersFolder& out);

    // EnumObjects: the items as they are now. Printers are non-folder items,
    // so flags without SHCONTF_NONFOLDERS list nothing.
    HRESULT EnumObjects(uint32_t flags, Enumerator& out) const;

    // GetDisplayNameOf: the item's name in the form that the flags ask for
    // (SHGDN_FORADDRESSBAR or SHGDN_FORPARSING give the address form, any
    // other flags the normal form).
    std::optional<std::string> DisplayNameOf(const Item& item, uint32_t flags) const;

    // Fault injection for tests: a shell without a Printers folder, or an
    // enumeration that fails after handing out `failAfterItems` items
    // (negative: never). Returns the previous setting.
    struct Fault {
        bool unavailable = false;
        int failAfterItems = -1;
    };
    static Fault SetFaultForTesting(Fault fault);

  private:
    bool m_open = false;
};

}  // namespace qx::spool
