// qxctl printers: the printers table as the server builds it, entry by entry.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <string>

#include "Commands.h"
#include "inventory/DsePrintersTable.h"
#include "inventory/InventoryKeys.h"
#include "platform/registry/RegistryKey.h"

namespace qxctl {

namespace {

QJsonValue JsonText(const char* text) {
    return text ? QJsonValue(QString::fromUtf8(text)) : QJsonValue(QJsonValue::Null);
}

const char* Shown(const char* text) {
    return text == nullptr ? "(none)" : *text ? text : "\"\"";
}

}  // namespace

int RunPrinters(const Args& given) {
    Args args = given;
    bool json = TakeFlag(args, "--json");
    bool resolve = TakeFlag(args, "--resolve");
    bool spooler = TakeFlag(args, "--spooler-addresses");
    bool store = TakeFlag(args, "--store");
    std::string familyText = "1", name, error;
    bool haveName = false;
    if (!TakeOption(args, "--family", familyText, error) && !error.empty())
        return UsageError("printers", error);
    if (!(haveName = TakeOption(args, "--name", name, error)) && !error.empty())
        return UsageError("printers", error);
    uint32_t family = 0;
    if (!ParseUint(familyText, family) || family > 0x7FFFFFFF)
        return UsageError("printers", "bad family number \"" + familyText + "\"");
    if (!args.empty())
        return UsageError("printers", "unexpected argument \"" + args[0] + "\"");

    qx::CDsePrintersTable table(haveName ? name.c_str() : nullptr, resolve, spooler,
                                static_cast<int>(family));
    const std::string storeKey = qx::PrinterDiscoveryKey(static_cast<int>(family));
    qx::reg::Key probe;
    bool storeExists =
        qx::reg::Key::Open(qx::reg::Hive::CurrentUser, storeKey, qx::reg::Access::Read, probe) == 0;

    QJsonArray rows;
    if (!json)
        std::printf("Printers of family %u: %d (store HKEY_CURRENT_USER\\%s%s)\n", family,
                    table.GetCount(), storeKey.c_str(), storeExists ? "" : ", missing");
    for (int i = 0; i < table.GetCount(); ++i) {
        qx::PrinterEntry* e = table.GetPrinterByIndex(i);
        char controller[qx::PrinterEntry::kTextSize] = "";
        bool hasController = table.GetQX2Name(e, controller, sizeof controller);
        // Computed on a copy: the lookup may rewrite the entry's address.
        qx::PrinterEntry copy = *e;
        std::string valueName = table.GetPrintablePortName(&copy);
        const auto& info = e->printerInfo;
        if (json) {
            QJsonObject row{
                {"shellName", JsonText(e->szPrinterShellName)},
                {"shellAddress", JsonText(e->szShellAddress)},
                {"supported", e->bSupported},
                {"printerName", JsonText(info.pPrinterName)},
                {"port", JsonText(info.pPortName)},
                {"unmappedPort", JsonText(e->szUnmappedPort)},
                {"comment", JsonText(info.pComment)},
                {"dssc", e->bIsDsscPort},
                {"controller", hasController ? JsonText(controller) : QJsonValue(QJsonValue::Null)},
                {"address", JsonText(e->szAddress)},
                {"valueName", JsonText(valueName.c_str())},
                {"stored", table.IsPortDiscovered(valueName.c_str())},
            };
            rows.append(row);
            continue;
        }
        std::printf("\n[%d] %s\n", i, e->szPrinterShellName);
        std::printf("    shell address   %s\n", Shown(e->szShellAddress));
        std::printf("    printer name    %s\n", Shown(info.pPrinterName));
        std::printf("    port            %s\n", Shown(info.pPortName));
        std::printf("    unmapped port   %s\n", Shown(e->szUnmappedPort));
        std::printf("    DSSC            %s%s%s\n", e->bIsDsscPort ? "yes" : "no",
                    hasController ? ", controller " : "", hasController ? controller : "");
        std::printf("    address         %s\n", Shown(e->szAddress));
        std::printf("    store value     %s%s\n", Shown(valueName.c_str()),
                    table.IsPortDiscovered(valueName.c_str()) ? " (stored)" : "");
    }
    if (json)
        std::printf("%s", QJsonDocument(rows).toJson(QJsonDocument::Indented).constData());
    if (store) {
        table.SetRegistryInformation();
        std::fprintf(json ? stderr : stdout, "%sAddresses stored under HKEY_CURRENT_USER\\%s\n",
                     json ? "" : "\n", storeKey.c_str());
    }
    return 0;
}

}  // namespace qxctl
