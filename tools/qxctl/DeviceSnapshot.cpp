// qxctl device snapshot: a printer summary table for one address, refreshed
// as the printer configuration object refreshes it, and everything it holds.
// Support staff read the table form; --json gives the members by name.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"
#include "model/MgtComponent.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "state/DsePrinterSummaryTable.h"

namespace qxctl {

namespace {

using qx::CDsePrinterSummaryTable;
using qx::PrinterDeviceRecord;

std::string ResultText(HRESULT hr) {
    if (hr == S_OK)
        return "S_OK";
    if (hr == E_FAIL)
        return "E_FAIL";
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

// Device texts as they are, control characters escaped so that they cannot
// upset the terminal.
std::string Shown(const std::string& text) {
    std::string shown;
    char escape[8];
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            shown += escape;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}

// Columns are padded by characters, not bytes, so that UTF-8 texts line up.
size_t Width(const std::string& text) {
    size_t width = 0;
    for (unsigned char c : text)
        width += (c & 0xC0) != 0x80;
    return width;
}

std::string Padded(const std::string& text, size_t width) {
    size_t w = Width(text);
    return w >= width ? text : text + std::string(width - w, ' ');
}

// Codes with the names the device's MIB and the finisher rules give them.
std::string Named(int32_t code, const char* name) {
    return name ? std::to_string(code) + " (" + name + ")" : std::to_string(code);
}

std::string PedestalText(int32_t code) {
    static const char* const kNames[] = {
        nullptr,      "other", "unknown", "3rdDrawerInstalled", "3rdAnd4thDrawersInstalled",
        "LCFInstalle"};
    if (code >= 1 && code <= 5)
        return Named(code, kNames[code]);
    return Named(code, code >= 6 && code <= 13 ? "option code" : nullptr);
}

std::string PunchText(int32_t code) {
    static const char* const kNames[] = {
        nullptr, "other", "unknown", "2HolesUnits", "3HolesUnits", "4HolesUnitsF or 5HolesUnitsS"};
    return Named(code, code >= 1 && code <= 5 ? kNames[code] : nullptr);
}

std::string FinisherText(int32_t code) {
    switch (code) {
        case 0:
            return Named(code, "none found");
        case 2:
            return Named(code, "offset catch tray");
        case 3:
            return Named(code, "job separator upper");
        case 31:
            return Named(code, "finisher, first kind");
        case 32:
            return Named(code, "finisher, second kind");
        case 33:
            return Named(code, "finisher with saddle stitch");
        case 34:
            return Named(code, "finisher, fourth kind");
        default:
            return Named(code, nullptr);
    }
}

// What a slot of the tray arrays belongs to.
const char* SlotLabel(int slot) {
    static const char* const kLabels[PrinterDeviceRecord::kTraySlotCount] = {
        "location 3",
        "-",
        "location 4",
        "location 8",
        "location 9",
        "location 13",
        "location 15 (fill level)",
        "location 15 (paper, media)"};
    return kLabels[slot];
}

QJsonArray JsonSlots(const int32_t (&values)[PrinterDeviceRecord::kTraySlotCount]) {
    QJsonArray array;
    for (int32_t v : values)
        array.append(v);
    return array;
}

QJsonObject JsonDevice(const PrinterDeviceRecord& d) {
    QJsonArray alerts;
    for (const qx::PrinterAlert& a : d.m_alerts)
        alerts.append(QJsonObject{{"alertCode", a.nAlertCode}, {"prtAlertCode", a.nPrtAlertCode}});
    return QJsonObject{
        {"name", QString::fromUtf8(d.m_strName)},
        {"location", QString::fromUtf8(d.m_strLocation)},
        {"model", QString::fromUtf8(d.m_strModel)},
        {"deviceDescr", QString::fromUtf8(d.m_strDeviceDescr)},
        {"statusText", QString::fromUtf8(d.m_strStatusText)},
        {"pedestal", d.m_nPedestal},
        {"punchType", d.m_nPunchType},
        {"faxEnabled", d.m_nFaxEnabled},
        {"finisherType", d.m_nFinisherType},
        {"aduState", d.m_nADUState},
        {"inserter", d.m_bInserter},
        {"externalFeeder", d.m_bExternalFeeder},
        {"feederCode", d.m_nFeederCode},
        {"memorySize", d.m_nMemorySize},
        {"paperSize", JsonSlots(d.m_paperSize)},
        {"mediaType", JsonSlots(d.m_mediaType)},
        {"percentFull", JsonSlots(d.m_percentFull)},
        {"alerts", alerts},
    };
}

void PrintJson(const CDsePrinterSummaryTable& table, const std::string& address, HRESULT hr) {
    QJsonObject root{
        {"address", QString::fromStdString(address)},
        {"familyCode", table.m_nFamilyCode},
        {"result", QString::fromStdString(ResultText(hr))},
        {"valid", table.m_bValid},
        {"tandem", table.m_bTandem},
        {"macAddress", QString::fromUtf8(table.m_strMacAddress)},
        {"errorState", QJsonArray{table.m_errorState[0], table.m_errorState[1]}},
        {"devices", QJsonArray{JsonDevice(table.m_devices[0]), JsonDevice(table.m_devices[1])}},
    };
    std::printf("%s", QJsonDocument(root).toJson(QJsonDocument::Indented).constData());
}

void PrintTable(const CDsePrinterSummaryTable& table, const std::string& address, HRESULT hr) {
    const PrinterDeviceRecord& d0 = table.m_devices[0];
    const PrinterDeviceRecord& d1 = table.m_devices[1];
    std::printf("Device %s, family code %d\n", address.c_str(), table.m_nFamilyCode);
    std::printf("  %-16s %s%s\n", "Result", ResultText(hr).c_str(),
                table.m_bValid ? "" : " (not valid: the values below are what was read)");
    std::printf("  %-16s %s\n", "Tandem", table.m_bTandem ? "yes" : "no");
    std::printf("  %-16s %s\n", "MAC address", Shown(table.m_strMacAddress).c_str());
    std::printf("  %-16s %02X %02X\n", "Error state", table.m_errorState[0], table.m_errorState[1]);

    // Device 0's column is as wide as its widest value.
    struct Row {
        const char* label;
        std::string first, second;
    };
    auto number = [](int32_t v) { return std::to_string(v); };
    const std::vector<Row> rows = {
        {"Name", Shown(d0.m_strName), Shown(d1.m_strName)},
        {"Location", Shown(d0.m_strLocation), Shown(d1.m_strLocation)},
        {"Model", Shown(d0.m_strModel), Shown(d1.m_strModel)},
        {"Description", Shown(d0.m_strDeviceDescr), Shown(d1.m_strDeviceDescr)},
        {"Status text", Shown(d0.m_strStatusText), Shown(d1.m_strStatusText)},
        {"Pedestal", PedestalText(d0.m_nPedestal), PedestalText(d1.m_nPedestal)},
        {"Punch type", PunchText(d0.m_nPunchType), PunchText(d1.m_nPunchType)},
        {"Fax enabled", number(d0.m_nFaxEnabled), number(d1.m_nFaxEnabled)},
        {"Finisher type", FinisherText(d0.m_nFinisherType), FinisherText(d1.m_nFinisherType)},
        {"ADU state", number(d0.m_nADUState), number(d1.m_nADUState)},
        {"Inserter", number(d0.m_bInserter), number(d1.m_bInserter)},
        {"External feeder", number(d0.m_bExternalFeeder), number(d1.m_bExternalFeeder)},
        {"Feeder code", number(d0.m_nFeederCode), number(d1.m_nFeederCode)},
        {"Memory size", number(d0.m_nMemorySize), number(d1.m_nMemorySize)},
    };
    std::vector<Row> trays;
    for (int slot = 0; slot < PrinterDeviceRecord::kTraySlotCount; ++slot) {
        auto cell = [slot](const PrinterDeviceRecord& d) {
            return std::to_string(d.m_paperSize[slot]) + " / " +
                   std::to_string(d.m_mediaType[slot]) + " / " +
                   std::to_string(d.m_percentFull[slot]);
        };
        trays.push_back({SlotLabel(slot), cell(d0), cell(d1)});
    }
    size_t width = Width("Device 0");
    for (const Row& row : rows)
        width = std::max(width, Width(row.first));
    for (const Row& row : trays)
        width = std::max(width, Width(row.first));
    width += 3;
    const std::string partner =
        table.m_bTandem ? "Device 1 (partner)" : "Device 1 (no partner: cleared values)";

    std::printf("\n  %-30s %s%s\n", "", Padded("Device 0", width).c_str(), partner.c_str());
    for (const Row& row : rows)
        std::printf("  %-30s %s%s\n", row.label, Padded(row.first, width).c_str(),
                    row.second.c_str());
    std::printf("\n  %-30s %s\n", "Tray slot: paper / media / %", "");
    for (int slot = 0; slot < PrinterDeviceRecord::kTraySlotCount; ++slot) {
        const std::string label = std::to_string(slot) + "  " + trays[slot].label;
        std::printf("  %-30s %s%s\n", label.c_str(), Padded(trays[slot].first, width).c_str(),
                    trays[slot].second.c_str());
    }

    std::printf("\n  Alerts: maker code -> Printer-MIB code (1: none matched)\n");
    for (int d = 0; d < CDsePrinterSummaryTable::kDeviceCount; ++d) {
        const auto& alerts = table.m_devices[d].m_alerts;
        std::printf("  Device %d:%s\n", d, alerts.empty() ? " none" : "");
        for (const qx::PrinterAlert& a : alerts)
            std::printf("    %d (0x%X) -> %d\n", a.nAlertCode, static_cast<unsigned>(a.nAlertCode),
                        a.nPrtAlertCode);
    }
}

// Why a refresh that failed may have failed, from what qxctl can see.
std::string FailureHint(const CDsePrinterSummaryTable& table, const std::string& address) {
    if (!table.m_pMibTable)
        return "the mapping files could not be loaded: " + table.MibLoadError();
    switch (table.Target().Kind()) {
        case qx::SnmpAddressKind::None:
            return "\"" + address + "\" is longer than 21 characters: no address";
        case qx::SnmpAddressKind::Ipx:
            return "no answer from " + address + ": IPX is not available here";
        default:
            break;
    }
    if (table.Target().PeerName().empty())
        return "\"" + address + "\" is no IPv4 address";
    return "no answer from " + address +
           " for the tandem state, the MAC address or the memory size (time-out " +
           std::to_string(table.Target().Timeout()) +
           " hundredths of a second an attempt), or the management component refused the partner";
}

}  // namespace

int RunDeviceSnapshot(Args args) {
    bool json = TakeFlag(args, "--json");
    std::string familyText = "0", error;
    if (!TakeOption(args, "--family", familyText, error) && !error.empty())
        return UsageError("device", error);
    int32_t familyCode = 0;
    if (!ParseInt(familyText, familyCode))
        return UsageError("device", "bad family code \"" + familyText + "\"");
    for (const std::string& a : args)
        if (a.size() > 2 && a.compare(0, 2, "--") == 0)
            return UsageError("device", "unknown option \"" + a + "\"");
    if (args.size() != 1)
        return UsageError("device", "snapshot needs one ADDRESS");
    const std::string& address = args[0];

    // As the printer configuration object does: the management component
    // first, then the table that is told about it.
    qx::RegisterMgtComponent();
    CoInitialize();
    HRESULT hr = E_FAIL;
    {
        qx::ComPtr<Imgt> mgt;
        CoCreateInstance(CLSID_mgt, nullptr, CLSCTX_INPROC_SERVER, IID_Imgt, mgt.OutVoid());
        CDsePrinterSummaryTable table;
        table.m_nFamilyCode = familyCode;
        table.m_pMgt = mgt.Get();
        table.SetAddress(address.c_str());
        hr = table.Refresh();
        if (json)
            PrintJson(table, address, hr);
        else
            PrintTable(table, address, hr);
        if (FAILED(hr))
            std::fprintf(stderr, "qxctl device snapshot: the refresh stopped with %s: %s\n",
                         ResultText(hr).c_str(), FailureHint(table, address).c_str());
    }
    CoUninitialize();
    return FAILED(hr) ? 1 : 0;
}

}  // namespace qxctl
