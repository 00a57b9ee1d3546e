#include "SpoolerStore.h"

#include <utility>

#include "PrinterInfo.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"
#include "platform/text/TextCase.h"

namespace qx::spool {

namespace {

using reg::Access;
using reg::Hive;
using reg::Key;
using ValueList = std::vector<std::pair<std::string, reg::Value>>;

const reg::Value* Find(const ValueList& values, std::string_view name) {
    for (const auto& [n, v] : values)
        if (EqualsNoCase(n, name))
            return &v;
    return nullptr;
}

std::string Text(const ValueList& values, std::string_view name) {
    const reg::Value* v = Find(values, name);
    return v ? v->AsString() : std::string();
}

uint32_t Number(const ValueList& values, std::string_view name, uint32_t fallback) {
    const reg::Value* v = Find(values, name);
    if (v == nullptr || v->type != reg::REG_DWORD)
        return fallback;
    return v->AsDword().value_or(fallback);
}

// The values a printer's key and a connection's key have in common. One read
// of all values of the key, so that a printer costs two reads of the store.
void FillFromValues(const ValueList& values, PrinterRecord& rec) {
    rec.shareName = Text(values, "Share Name");
    rec.portName = Text(values, "Port");
    rec.driverName = Text(values, "Printer Driver");
    rec.comment = Text(values, "Description");
    rec.location = Text(values, "Location");
    rec.sepFile = Text(values, "Separator File");
    rec.printProcessor = Text(values, "Print Processor");
    rec.datatype = Text(values, "Datatype");
    rec.parameters = Text(values, "Parameters");
    rec.priority = Number(values, "Priority", 1);
    rec.defaultPriority = Number(values, "Default Priority", 0);
    rec.startTime = Number(values, "StartTime", 0);
    rec.untilTime = Number(values, "UntilTime", 0);
}

// The last segment of an opened key's path: its name as it was created.
std::string KeyName(const Key& key) {
    const std::string& path = key.Path();
    return path.substr(path.rfind('\\') + 1);
}

bool ReadLocal(const Key& printers, const std::string& keyName, PrinterRecord& rec) {
    Key key;
    ValueList values;
    if (printers.Open(keyName, Access::Read, key) != ERROR_SUCCESS)
        return false;
    if (key.Values(values) != ERROR_SUCCESS)
        return false;
    rec = PrinterRecord{};
    rec.printerName = Text(values, "Name");
    if (rec.printerName.empty())
        rec.printerName = KeyName(key);
    FillFromValues(values, rec);
    rec.attributes = Number(values, "Attributes", PRINTER_ATTRIBUTE_LOCAL);
    return true;
}

// ",,server,printer" into its two names.
bool ParseConnectionKey(const std::string& keyName, std::string& server, std::string& printer) {
    if (keyName.size() < 4 || keyName.compare(0, 2, ",,") != 0)
        return false;
    size_t comma = keyName.find(',', 2);
    if (comma == std::string::npos || comma == 2 || comma + 1 == keyName.size())
        return false;
    server = keyName.substr(2, comma - 2);
    printer = keyName.substr(comma + 1);
    return true;
}

bool ReadConnection(const Key& connections, const std::string& keyName, PrinterRecord& rec) {
    std::string server, printer;
    if (!ParseConnectionKey(keyName, server, printer))
        return false;
    Key key;
    ValueList values;
    if (connections.Open(keyName, Access::Read, key) != ERROR_SUCCESS)
        return false;
    if (key.Values(values) != ERROR_SUCCESS)
        return false;
    // Names as the connection was made, whatever case the caller asked in.
    ParseConnectionKey(KeyName(key), server, printer);
    rec = PrinterRecord{};
    rec.isConnection = true;
    rec.serverName = "\\\\" + server;
    rec.printerName = rec.serverName + "\\" + printer;
    FillFromValues(values, rec);
    if (rec.shareName.empty())
        rec.shareName = printer;
    // The print server's printer is local there; here it is a network printer.
    rec.attributes =
        (Number(values, "Attributes", 0) & ~PRINTER_ATTRIBUTE_LOCAL) | PRINTER_ATTRIBUTE_NETWORK;
    return true;
}

void MarkDefault(PrinterRecord& rec, const std::string& defaultName) {
    if (!defaultName.empty() && EqualsNoCase(rec.printerName, defaultName))
        rec.attributes |= PRINTER_ATTRIBUTE_DEFAULT;
}

}  // namespace

std::vector<PrinterRecord> SpoolerStore::ReadPrinters(uint32_t flags) {
    std::vector<PrinterRecord> out;
    std::string defaultName = DefaultPrinterName();
    if ((flags & (PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS)) == 0) {
        PrinterRecord rec;
        if ((flags & PRINTER_ENUM_DEFAULT) && !defaultName.empty() && ReadPrinter(defaultName, rec))
            out.push_back(std::move(rec));
        return out;
    }
    std::vector<std::string> names;
    Key parent;
    if ((flags & PRINTER_ENUM_LOCAL) &&
        Key::Open(Hive::LocalMachine, kPrintersKey, Access::Read, parent) == ERROR_SUCCESS &&
        parent.SubKeyNames(names) == ERROR_SUCCESS) {
        for (const auto& name : names) {
            PrinterRecord rec;
            if (!ReadLocal(parent, name, rec))
                continue;
            MarkDefault(rec, defaultName);
            out.push_back(std::move(rec));
        }
    }
    names.clear();
    if ((flags & PRINTER_ENUM_CONNECTIONS) &&
        Key::Open(Hive::CurrentUser, kConnectionsKey, Access::Read, parent) == ERROR_SUCCESS &&
        parent.SubKeyNames(names) == ERROR_SUCCESS) {
        for (const auto& name : names) {
            PrinterRecord rec;
            if (!ReadConnection(parent, name, rec))
                continue;
            MarkDefault(rec, defaultName);
            out.push_back(std::move(rec));
        }
    }
    return out;
}

std::string SpoolerStore::DefaultPrinterName() {
    Key key;
    std::string device;
    if (Key::Open(Hive::CurrentUser, kWindowsKey, Access::Read, key) != ERROR_SUCCESS)
        return {};
    if (key.GetString(kDeviceValue, device) != ERROR_SUCCESS)
        return {};
    return device.substr(0, device.find(','));
}

bool SpoolerStore::ReadPrinter(const std::string& name, PrinterRecord& out) {
    if (name.empty())
        return false;
    Key parent;
    bool found = false;
    if (name.size() > 2 && name.compare(0, 2, "\\\\") == 0) {
        size_t slash = name.find('\\', 2);
        if (slash == std::string::npos || slash == 2 || slash + 1 == name.size() ||
            name.find('\\', slash + 1) != std::string::npos)
            return false;
        std::string keyName = ",," + name.substr(2, slash - 2) + "," + name.substr(slash + 1);
        found =
            Key::Open(Hive::CurrentUser, kConnectionsKey, Access::Read, parent) == ERROR_SUCCESS &&
            ReadConnection(parent, keyName, out);
    } else if (name.find('\\') == std::string::npos) {
        found =
            Key::Open(Hive::LocalMachine, kPrintersKey, Access::Read, parent) == ERROR_SUCCESS &&
            ReadLocal(parent, name, out);
    }
    if (found)
        MarkDefault(out, DefaultPrinterName());
    return found;
}

}  // namespace qx::spool
