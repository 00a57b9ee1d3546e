#include "DsePrintersTable.h"

#include <cstring>
#include <new>

#include "InventoryKeys.h"
#include "model/AddressText.h"
#include "platform/lang/LoadLanguageLibrary.h"
#include "platform/net/HostResolver.h"
#include "platform/registry/RegistryKey.h"
#include "platform/spooler/NetworkConnections.h"
#include "platform/spooler/PrintersFolder.h"
#include "platform/spooler/Spooler.h"
#include "platform/system/PlatformVersion.h"
#include "platform/system/Win32Error.h"
#include "platform/text/FixedText.h"
#include "platform/text/TextCase.h"
#include "trace/Trace.h"

namespace qx {

namespace {

using reg::Access;
using reg::Hive;
using reg::Key;

constexpr size_t kMaxPath = PrinterEntry::kTextSize;

// A spooler that asks for more than this is taken to be failing.
constexpr uint32_t kMaxEnumerationSize = 1000000;

// Queue names of a QX-2 controller's shares; the language library adds more.
constexpr const char* kDsscQueues[] = {"a-LUMERA Print", "pcl6", "pcl5c", "ps3", "print", "DSSC"};
constexpr uint32_t kDsscQueueStringIds[] = {61, 62, 60, 67, 68, 66};
constexpr size_t kLanguageStringSize = 256;

bool IsStringType(uint32_t type) {
    return type == reg::REG_SZ || type == reg::REG_EXPAND_SZ;
}

// A REG_SZ value read into a fixed buffer, as RegQueryValueEx reads it but
// always terminated: a value stored without its terminating zero is cut
// rather than read past. Values of other types count as unreadable.
long ReadTextValue(const Key& key, const char* name, char (&buffer)[kMaxPath]) {
    uint32_t type = 0;
    uint32_t size = sizeof buffer;
    long err = key.QueryValue(name, &type, buffer, &size);
    if (err != ERROR_SUCCESS)
        return err;
    if (!IsStringType(type))
        return ERROR_UNSUPPORTED_TYPE;
    buffer[size < sizeof buffer ? size : sizeof buffer - 1] = 0;
    return ERROR_SUCCESS;
}

// A port monitor's value for a port. Registry key names hold no backslash,
// so a port such as \\server\share has no monitor key.
bool ReadMonitorValue(const char* portsKey, const char* port, const char* valueName,
                      char (&buffer)[kMaxPath]) {
    if (port == nullptr || *port == 0 || std::strchr(port, '\\') != nullptr)
        return false;
    Key key;
    std::string path = std::string(portsKey) + "\\" + port;
    if (Key::Open(Hive::LocalMachine, path, Access::Read, key) != ERROR_SUCCESS)
        return false;
    return ReadTextValue(key, valueName, buffer) == ERROR_SUCCESS;
}

bool MonitorKeyExists(const char* portsKey, const char* port) {
    if (port == nullptr || *port == 0 || std::strchr(port, '\\') != nullptr)
        return false;
    Key key;
    std::string path = std::string(portsKey) + "\\" + port;
    return Key::Open(Hive::LocalMachine, path, Access::Read, key) == ERROR_SUCCESS;
}

// The text two characters behind `slash` (behind "//"), or "" when the text
// ends before that.
std::string_view BehindSlashes(std::string_view text, size_t slash) {
    return slash + 2 <= text.size() ? text.substr(slash + 2) : std::string_view();
}

// An AIPP port's URL: the host part behind the two slashes, up to the next
// "/" (a port number such as :631 stays); "" when the URL has no "/".
std::string_view AippHost(std::string_view url) {
    size_t slash = url.find('/');
    if (slash == std::string_view::npos)
        return {};
    std::string_view host = BehindSlashes(url, slash);
    return host.substr(0, host.find('/'));
}

// A port whose name is an "http:" URL: the host cut at its ":" or else at its
// "/"; a host with neither is no host. A name without any "/" is taken whole.
std::string_view HttpPortHost(std::string_view port) {
    size_t slash = port.find('/');
    if (slash == std::string_view::npos)
        return port;
    std::string_view host = BehindSlashes(port, slash);
    size_t cut = host.find(':');
    if (cut == std::string_view::npos)
        cut = host.find('/');
    if (cut == std::string_view::npos)
        return {};
    return host.substr(0, cut);
}

bool IsAddressText(const char* text) {
    return text != nullptr && (IsValidIpAddressText(text) || IsValidIpxAddressText(text));
}

// Whether every text of a record lies, terminated, inside the enumeration
// buffer. A spooler that keeps its word always passes; a record of one that
// claimed more records than it wrote is left out rather than followed.
bool TextsInside(const spool::PrinterInfo2& info, const uint8_t* buffer, uint32_t size) {
    const char* texts[] = {info.pServerName,     info.pPrinterName, info.pShareName, info.pPortName,
                           info.pDriverName,     info.pComment,     info.pLocation,  info.pSepFile,
                           info.pPrintProcessor, info.pDatatype,    info.pParameters};
    auto begin = reinterpret_cast<uintptr_t>(buffer);
    for (const char* text : texts) {
        if (text == nullptr)
            continue;
        auto at = reinterpret_cast<uintptr_t>(text);
        if (at < begin || at >= begin + size)
            return false;
        if (std::memchr(text, 0, begin + size - at) == nullptr)
            return false;
    }
    return true;
}

bool HasSpoolerRecord(const PrinterEntry& e) {
    return e.bSupported;
}

}  // namespace

CDsePrintersTable::CDsePrintersTable(const char* printerName, bool bUseWINS, bool bValidateSpooler,
                                     int family)
    : m_nFamily(family),
      m_bIsNT(true),
      m_strPrinterName(printerName ? printerName : ""),
      m_bUseWINS(bUseWINS),
      m_bValidateSpooler(bValidateSpooler) {
    PlatformVersion version;
    // A failed version query counts as the NT family.
    if (GetPlatformVersion(version))
        m_bIsNT = version.platformId == VER_PLATFORM_WIN32_NT;

    SHGetPrinterNames();
    GetPrinterInformation();
    GetRegistryInformation();
    if (m_bValidateSpooler)
        ValidateSpoolerAddresses();
    if (m_bUseWINS)
        GetWINSInformation();
}

CDsePrintersTable::~CDsePrintersTable() = default;

PrinterEntry* CDsePrintersTable::GetPrinterByIndex(int index) const {
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_printerList[static_cast<size_t>(index)].get();
}

void CDsePrintersTable::SplitNetworkName(std::string_view name, std::string& server,
                                         std::string& printer) {
    server = printer = std::string(name);
    if (name.find("\\\\") == std::string_view::npos)
        return;
    std::string_view rest = name.substr(2);
    size_t slash = rest.find('\\');
    if (slash == std::string_view::npos)
        return;
    server = std::string(rest.substr(0, slash));
    printer = std::string(rest.substr(slash + 1));
}

PrinterEntry* CDsePrintersTable::GetPrinterByShellName(const char* name) const {
    if (name == nullptr)
        return nullptr;
    std::string server, printer;
    SplitNetworkName(name, server, printer);
    for (const auto& e : m_printerList) {
        if (server != printer) {
            if (std::strstr(e->szPrinterShellName, server.c_str()) &&
                std::strstr(e->szPrinterShellName, printer.c_str()))
                return e.get();
        } else if (EqualsNoCase(e->szPrinterShellName, server)) {
            return e.get();
        }
    }
    return nullptr;
}

PrinterEntry* CDsePrintersTable::GetPrinterByShellAddress(const char* name) const {
    if (name == nullptr)
        return nullptr;
    std::string server, printer;
    SplitNetworkName(name, server, printer);
    for (const auto& e : m_printerList) {
        if (server != printer) {
            if (std::strstr(e->szShellAddress, server.c_str()) &&
                std::strstr(e->szPrinterShellName, printer.c_str()))
                return e.get();
        } else if (EqualsNoCase(e->szShellAddress, server)) {
            return e.get();
        }
    }
    return nullptr;
}

PrinterEntry* CDsePrintersTable::GetPrinterByName(const char* name) const {
    if (name == nullptr)
        return nullptr;
    for (const auto& e : m_printerList)
        if (e->printerInfo.pPrinterName && EqualsNoCase(e->printerInfo.pPrinterName, name))
            return e.get();
    return nullptr;
}

bool CDsePrintersTable::IsInScope(const PrinterEntry& e) const {
    if (m_strPrinterName.empty())
        return true;
    if (EqualsNoCase(e.szPrinterShellName, m_strPrinterName))
        return true;
    return e.printerInfo.pPrinterName && EqualsNoCase(e.printerInfo.pPrinterName, m_strPrinterName);
}

// Step 1: the entries, one per item of the shell's Printers folder.
void CDsePrintersTable::SHGetPrinterNames() {
    spool::PrintersFolder folder;
    if (FAILED(spool::PrintersFolder::Open(folder)))
        return;
    spool::PrintersFolder::Enumerator items;
    if (FAILED(folder.EnumObjects(spool::SHCONTF_FOLDERS | spool::SHCONTF_NONFOLDERS, items)))
        return;

    spool::PrintersFolder::Item item;
    // The first item is the folder's "Add Printer" item, not a printer.
    bool first = true;
    while (items.Next(item) == S_OK) {
        if (first) {
            first = false;
            continue;
        }
        auto entry = std::make_unique<PrinterEntry>();
        if (auto name = folder.DisplayNameOf(item, spool::SHGDN_NORMAL))
            CopyText(entry->szPrinterShellName, *name);
        Trace(kTracePrefix, "Found shell printer %s", entry->szPrinterShellName);
        if (auto address = folder.DisplayNameOf(item, spool::SHGDN_FORADDRESSBAR))
            CopyText(entry->szShellAddress, *address);
        Trace(kTracePrefix, "It has shell address %s", entry->szShellAddress);
        if (std::strcmp(entry->szShellAddress, entry->szPrinterShellName) == 0 &&
            std::strstr(entry->szPrinterShellName, "\\\\") != nullptr)
            entry->szShellAddress[0] = 0;
        m_printerList.push_back(std::move(entry));
    }
}

// Step 2: the spooler's records for the entries.
void CDsePrintersTable::GetPrinterInformation() {
    constexpr uint32_t kFlags =
        spool::PRINTER_ENUM_LOCAL | spool::PRINTER_ENUM_CONNECTIONS | spool::PRINTER_ENUM_NETWORK;
    uint32_t needed = 0, returned = 0;
    spool::Spooler::EnumPrinters(kFlags, 2, nullptr, 0, needed, returned);
    if (m_bIsNT && needed > kMaxEnumerationSize) {
        Trace(kTracePrefix, "EnumPrinters needs %lu bytes! Spooler service may have shut down",
              static_cast<unsigned long>(needed));
        needed = 0;
    }
    if (needed == 0)
        return;

    m_pPrinterInfoBuffer.reset();
    m_pPrinterInfoBuffer.reset(new (std::nothrow) uint8_t[needed]());
    if (!m_pPrinterInfoBuffer)
        return;
    const uint32_t size = needed;
    if (spool::Spooler::EnumPrinters(kFlags, 2, m_pPrinterInfoBuffer.get(), size, needed,
                                     returned) != ERROR_SUCCESS)
        return;
    // Never believe in more records than the buffer can hold.
    uint32_t fit = static_cast<uint32_t>(size / sizeof(spool::PrinterInfo2));
    if (returned > fit)
        returned = fit;

    const uint8_t* records = m_pPrinterInfoBuffer.get();
    for (uint32_t i = 0; i < returned; ++i) {
        spool::PrinterInfo2 info;
        std::memcpy(&info, records + i * sizeof info, sizeof info);
        if (info.pPrinterName == nullptr || !TextsInside(info, records, size))
            continue;
        PrinterEntry* e = std::strchr(info.pPrinterName, '\\')
                              ? GetPrinterByShellAddress(info.pPrinterName)
                              : GetPrinterByShellName(info.pPrinterName);
        if (e == nullptr)
            continue;
        e->printerInfo = info;
        e->bSupported = true;
        uint32_t length = sizeof e->szUnmappedPort;
        if (spool::NetworkConnections::GetConnection(info.pPortName, e->szUnmappedPort, length) !=
            ERROR_SUCCESS)
            CopyText(e->szUnmappedPort, info.pPortName ? info.pPortName : "");
        e->bIsDsscPort =
            IsDSSCPort(e->szUnmappedPort, nullptr, 0) || IsDSSCPort(info.pPrinterName, nullptr, 0);
    }
}

// Step 3: the addresses stored earlier (and, on the way, the port monitors').
void CDsePrintersTable::GetRegistryInformation() {
    Key key;
    if (Key::Open(Hive::CurrentUser, PrinterDiscoveryKey(m_nFamily), Access::Read, key) !=
        ERROR_SUCCESS)
        return;
    for (const auto& e : m_printerList) {
        if (!HasSpoolerRecord(*e) || e->szAddress[0] != 0)
            continue;
        const char* valueName = GetPrintablePortName(e.get());
        // A printer without a port has no value of its own: the unnamed value
        // of the key belongs to no printer.
        if (*valueName == 0)
            continue;
        char stored[kMaxPath];
        long err = ReadTextValue(key, valueName, stored);
        if (err == ERROR_SUCCESS)
            CopyText(e->szAddress, stored);
        else
            Trace(kTracePrefix,
                  "CDsePrintersTable::GetRegistryInformation:RegQueryValue failed with error code  "
                  "%d",
                  static_cast<int>(err));
    }
}

const char* CDsePrintersTable::GetPrintablePortName(PrinterEntry* pEntry) {
    if (pEntry == nullptr)
        return "";
    const char* port = pEntry->printerInfo.pPortName;
    char value[kMaxPath];

    if (ReadMonitorValue(kStandardTcpIpPortsKey, port, "IPAddress", value)) {
        CopyText(pEntry->szAddress, value);
        return pEntry->szUnmappedPort;
    }
    if (ReadMonitorValue(kAippPortsKey, port, "Url", value)) {
        CopyText(pEntry->szAddress, AippHost(value));
        return pEntry->szUnmappedPort;
    }
    if (std::strstr(pEntry->szUnmappedPort, "http:") != nullptr) {
        char copy[kMaxPath];
        CopyText(copy, pEntry->szUnmappedPort);
        CopyText(pEntry->szAddress, HttpPortHost(copy));
        return pEntry->szUnmappedPort;
    }
    const char* name = pEntry->printerInfo.pPrinterName;
    if (name != nullptr && std::strchr(name, '\\') != nullptr)
        return name;
    return pEntry->szUnmappedPort;
}

// Step 4: a port name or spooler comment that is itself an address.
void CDsePrintersTable::ValidateSpoolerAddresses() {
    for (const auto& e : m_printerList) {
        if (!IsInScope(*e) || !HasSpoolerRecord(*e) || e->szAddress[0] != 0)
            continue;
        if (IsAddressText(e->printerInfo.pPortName))
            CopyText(e->szAddress, e->printerInfo.pPortName);
        else if (IsAddressText(e->printerInfo.pComment))
            CopyText(e->szAddress, e->printerInfo.pComment);
    }
}

// Step 5: name resolution of a QX-2 controller and of an LPR port's host.
void CDsePrintersTable::GetWINSInformation() {
    for (const auto& e : m_printerList) {
        if (!IsInScope(*e))
            continue;
        char controller[kMaxPath];
        if (e->bSupported && e->bIsDsscPort && e->szAddress[0] == 0 &&
            GetQX2Name(e.get(), controller, sizeof controller)) {
            if (auto address = ResolveHostIPv4(controller)) {
                CopyText(e->szAddress, DottedAddress(*address));
                Trace(kTracePrefix, "WINS resolved printer %s to address %s",
                      e->printerInfo.pPrinterName, e->szAddress);
            }
        }
        if (e->szAddress[0] != 0)
            continue;
        const char* port = e->printerInfo.pPortName;
        if (!MonitorKeyExists(kLprPortsKey, port))
            continue;
        // An LPR port is named host:queue.
        std::string_view name(port);
        size_t start = name.find_first_not_of(':');
        if (start == std::string_view::npos)
            continue;
        std::string host(name.substr(start, name.find(':', start) - start));
        if (auto printable = PrintableIpAddress(host))
            CopyText(e->szAddress, *printable);
        else if (auto address = ResolveHostIPv4(host))
            CopyText(e->szAddress, DottedAddress(*address));
    }
}

void CDsePrintersTable::SetRegistryInformation() {
    Key key;
    std::string path = PrinterDiscoveryKey(m_nFamily);
    if (Key::Open(Hive::CurrentUser, path, Access::Write, key) != ERROR_SUCCESS &&
        Key::Create(Hive::CurrentUser, path, key) != ERROR_SUCCESS)
        return;
    for (const auto& e : m_printerList) {
        if (!IsInScope(*e) || !HasSpoolerRecord(*e) || e->szAddress[0] == 0)
            continue;
        // The value name's lookup may rewrite the address from a port
        // monitor; what is stored is the address the caller left in the entry.
        char address[kMaxPath];
        std::memcpy(address, e->szAddress, sizeof address);
        address[sizeof address - 1] = 0;
        const char* valueName = GetPrintablePortName(e.get());
        std::memcpy(e->szAddress, address, sizeof address);
        if (*valueName == 0)
            continue;
        key.SetValue(valueName, reg::REG_SZ, address,
                     static_cast<uint32_t>(std::strlen(address) + 1));
    }
}

bool CDsePrintersTable::IsPortDiscovered(const char* valueName) const {
    if (valueName == nullptr)
        return false;
    Key key;
    if (Key::Open(Hive::CurrentUser, PrinterDiscoveryKey(m_nFamily), Access::Read, key) !=
        ERROR_SUCCESS)
        return false;
    char value[kMaxPath];
    uint32_t size = sizeof value;
    return key.QueryValue(valueName, nullptr, value, &size) == ERROR_SUCCESS;
}

bool CDsePrintersTable::GetQX2Name(const PrinterEntry* pEntry, char* szName, size_t size) {
    if (pEntry == nullptr || !pEntry->bIsDsscPort)
        return false;
    return IsDSSCPort(pEntry->szUnmappedPort, szName, size) ||
           IsDSSCPort(pEntry->printerInfo.pPrinterName, szName, size);
}

bool CDsePrintersTable::LoadQueueNames() {
    if (m_queueNamesState == QueueNames::NotLoaded) {
        auto library = LoadLanguageLibrary();
        if (!library) {
            m_queueNamesState = QueueNames::LibraryMissing;
            return false;
        }
        for (uint32_t id : kDsscQueueStringIds) {
            char text[kLanguageStringSize];
            library->LoadString(id, text, sizeof text);
            if (text[0] != 0)
                m_queueNames.emplace_back(text);
        }
        m_queueNamesState = QueueNames::Loaded;
    }
    return m_queueNamesState == QueueNames::Loaded;
}

bool CDsePrintersTable::IsDSSCPort(const char* name, char* szControllerName, size_t size) {
    if (!LoadQueueNames())
        return false;
    if (name == nullptr)
        return false;
    if (std::strlen(name) < 8) {
        Trace(kTracePrefix, "CDsePrintersTable::IsDSSCPort:Less than 8 chars. So return false");
        return false;
    }

    // \\controller\queue; a run of backslashes is one separator.
    std::string_view tokens[3];
    size_t count = 0;
    std::string_view rest(name);
    while (count < 3) {
        size_t start = rest.find_first_not_of('\\');
        if (start == std::string_view::npos)
            break;
        rest = rest.substr(start);
        size_t end = rest.find('\\');
        tokens[count++] = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    }
    if (count < 2)
        return false;

    bool known = false;
    for (const char* q : kDsscQueues)
        known = known || EqualsNoCase(tokens[1], q);
    for (const auto& q : m_queueNames)
        known = known || EqualsNoCase(tokens[1], q);
    if (!known)
        return false;
    // A DSSC share is exactly \\controller\queue.
    if (count > 2)
        return false;

    if (szControllerName != nullptr)
        CopyText(szControllerName, size, tokens[0]);
    return true;
}

}  // namespace qx
