// The printers table over the spooler stand-in, seeded from .reg fixtures:
// shell entries and spooler records, the port monitors and the
// PrinterDiscovery store, spooler addresses, DSSC shares, name resolution,
// the name filter, storing addresses, and spoolers that misbehave.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "inventory/DsePrintersTable.h"
#include "inventory/InventoryKeys.h"
#include "platform/gui/MessageBox.h"
#include "platform/registry/RegistryKey.h"
#include "platform/spooler/PrintersFolder.h"
#include "platform/spooler/Spooler.h"
#include "platform/system/ProgramPath.h"
#include "platform/system/Win32Error.h"
#include "platform/text/FixedText.h"
#include "support/PrivateHosts.h"
#include "support/RegFixture.h"
#include "support/TempRegistry.h"
#include "trace/Trace.h"

using namespace qx;

namespace {

constexpr const char* kPrintersKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";

void Seed(const char* file) {
    qxtest::SeedRegistry(qxtest::DataFile("inventory", file));
}

std::string StoredValue(int family, const char* name) {
    reg::Key key;
    std::string text;
    if (reg::Key::Open(reg::Hive::CurrentUser, PrinterDiscoveryKey(family), reg::Access::Read,
                       key) ||
        key.GetString(name, text))
        return "(none)";
    return text;
}

class PrintersTableTest : public ::testing::Test {
  protected:
    qxtest::TempRegistry store;
    qxtest::TempDir dir;

    void SetUp() override { SetTraceDestination((dir.Path() + "/trace.log").c_str()); }

    void TearDown() override {
        SetTraceDestination("");
        spool::Spooler::SetEnumPrintersHookForTesting({});
        spool::PrintersFolder::SetFaultForTesting({});
    }

    std::string TraceText() const {
        std::ifstream in(dir.Path() + "/trace.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static const PrinterEntry& Entry(const CDsePrintersTable& table, const char* shellName) {
        static const PrinterEntry kMissing{};
        PrinterEntry* e = table.GetPrinterByShellName(shellName);
        EXPECT_NE(e, nullptr) << shellName;
        return e ? *e : kMissing;
    }

    static std::string Address(const CDsePrintersTable& table, const char* shellName) {
        return Entry(table, shellName).szAddress;
    }
};

}  // namespace

TEST_F(PrintersTableTest, EmptyFolderOrNoShellGivesNoEntries) {
    // Only the "Add Printer" item: nothing to list.
    CDsePrintersTable empty(nullptr, true, true, 1);
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_EQ(empty.GetPrinterByIndex(0), nullptr);
    EXPECT_EQ(empty.GetPrinterByShellName("Add Printer"), nullptr);
    EXPECT_EQ(empty.GetPrinterByName("Laser"), nullptr);
    EXPECT_FALSE(empty.IsPortDiscovered("LPT1:"));
    empty.SetRegistryInformation();  // nothing to store, but the key is made

    Seed("connections.reg");
    spool::PrintersFolder::SetFaultForTesting({.unavailable = true});
    CDsePrintersTable noShell(nullptr, false, false, 1);
    EXPECT_EQ(noShell.GetCount(), 0);

    // An enumeration that fails after "Add Printer" and one printer keeps
    // the entry it made.
    spool::PrintersFolder::SetFaultForTesting({.failAfterItems = 2});
    CDsePrintersTable partial(nullptr, false, false, 1);
    ASSERT_EQ(partial.GetCount(), 1);
    EXPECT_STREQ(partial.GetPrinterByIndex(0)->szPrinterShellName, "Laser");
    EXPECT_TRUE(partial.GetPrinterByIndex(0)->bSupported);
    EXPECT_EQ(partial.GetPrinterByIndex(-1), nullptr);
    EXPECT_EQ(partial.GetPrinterByIndex(1), nullptr);
}

TEST_F(PrintersTableTest, ShellItemsReceiveSpoolerRecords) {
    Seed("connections.reg");
    CDsePrintersTable table(nullptr, false, false, 1);
    ASSERT_EQ(table.GetCount(), 7);
    // The workstation's printers first, then the connections, in name order.
    const char* order[] = {"Laser",         "Redirected",      "other on CTRL", "pcl6_hold on CTRL",
                           "print on CTRL", "PRINT on qx2ctl", "Laser on SRV"};
    for (int i = 0; i < 7; ++i) {
        const PrinterEntry* e = table.GetPrinterByIndex(i);
        EXPECT_STREQ(e->szPrinterShellName, order[i]);
        EXPECT_TRUE(e->bSupported) << order[i];
    }

    const PrinterEntry& local = Entry(table, "Laser");
    EXPECT_STREQ(local.szShellAddress, "Laser");
    EXPECT_STREQ(local.printerInfo.pPrinterName, "Laser");
    EXPECT_EQ(local.printerInfo.pServerName, nullptr);
    EXPECT_STREQ(local.printerInfo.pDriverName, "QX Universal PCL");
    EXPECT_EQ(local.printerInfo.Attributes,
              spool::PRINTER_ATTRIBUTE_LOCAL | spool::PRINTER_ATTRIBUTE_DEFAULT);
    EXPECT_STREQ(local.szUnmappedPort, "LPT1:");
    EXPECT_FALSE(local.bIsDsscPort);
    EXPECT_STREQ(local.szAddress, "");

    const PrinterEntry& connection = Entry(table, "\\\\SRV\\Laser");
    EXPECT_STREQ(connection.szPrinterShellName, "Laser on SRV");
    EXPECT_STREQ(connection.szShellAddress, "\\\\SRV\\Laser");
    EXPECT_STREQ(connection.printerInfo.pPrinterName, "\\\\SRV\\Laser");
    EXPECT_STREQ(connection.printerInfo.pServerName, "\\\\SRV");
    EXPECT_STREQ(connection.printerInfo.pShareName, "Laser");
    EXPECT_STREQ(connection.printerInfo.pPortName, "IP_10.1.2.3");
    EXPECT_STREQ(connection.printerInfo.pComment, "Shared by SRV");
    EXPECT_EQ(connection.printerInfo.Attributes, spool::PRINTER_ATTRIBUTE_NETWORK);
    EXPECT_STREQ(connection.szUnmappedPort, "IP_10.1.2.3");

    // The port LPT2: is redirected to a controller's share.
    const PrinterEntry& redirected = Entry(table, "Redirected");
    EXPECT_STREQ(redirected.printerInfo.pPortName, "LPT2:");
    EXPECT_STREQ(redirected.szUnmappedPort, "\\\\CTRL\\ps3");
    EXPECT_TRUE(redirected.bIsDsscPort);

    std::string trace = TraceText();
    EXPECT_NE(trace.find("[SKORVALENMISVR] Found shell printer Laser on SRV\n"), std::string::npos);
    EXPECT_NE(trace.find("[SKORVALENMISVR] It has shell address \\\\SRV\\Laser\n"),
              std::string::npos);
}

TEST_F(PrintersTableTest, LookupsByShellNameShellAddressAndSpoolerName) {
    Seed("connections.reg");
    CDsePrintersTable table(nullptr, false, false, 1);
    PrinterEntry* srv = table.GetPrinterByIndex(6);
    PrinterEntry* laser = table.GetPrinterByIndex(0);
    ASSERT_STREQ(srv->szPrinterShellName, "Laser on SRV");

    // A network name matches by substrings, with case; a plain name whole,
    // without case.
    EXPECT_EQ(table.GetPrinterByShellName("\\\\SRV\\Laser"), srv);
    EXPECT_EQ(table.GetPrinterByShellName("\\\\srv\\laser"), nullptr);
    EXPECT_EQ(table.GetPrinterByShellName("Laser"), laser);
    EXPECT_EQ(table.GetPrinterByShellName("LASER"), laser);
    EXPECT_EQ(table.GetPrinterByShellName("laser ON srv"), srv);
    EXPECT_EQ(table.GetPrinterByShellName("Lase"), nullptr);
    EXPECT_EQ(table.GetPrinterByShellName(nullptr), nullptr);

    EXPECT_EQ(table.GetPrinterByShellAddress("\\\\SRV\\Laser"), srv);
    EXPECT_EQ(table.GetPrinterByShellAddress("\\\\SRV\\Other"), nullptr);
    EXPECT_EQ(table.GetPrinterByShellAddress("laser"), laser);

    EXPECT_EQ(table.GetPrinterByName("\\\\srv\\LASER"), srv);
    EXPECT_EQ(table.GetPrinterByName("Laser on SRV"), nullptr);
    EXPECT_EQ(table.GetPrinterByName(nullptr), nullptr);

    std::string server, printer;
    CDsePrintersTable::SplitNetworkName("\\\\SRV\\Laser", server, printer);
    EXPECT_EQ(server, "SRV");
    EXPECT_EQ(printer, "Laser");
    CDsePrintersTable::SplitNetworkName("\\\\SRV\\a\\b", server, printer);
    EXPECT_EQ(server, "SRV");
    EXPECT_EQ(printer, "a\\b");
    for (const char* whole : {"Laser", "\\\\SRV", "SRV\\Laser"}) {
        CDsePrintersTable::SplitNetworkName(whole, server, printer);
        EXPECT_EQ(server, whole);
        EXPECT_EQ(printer, whole);
    }

    // Entries that got no spooler record are never found by spooler name.
    spool::Spooler::SetEnumPrintersHookForTesting(
        [](spool::Spooler::EnumPrintersAnswer& a) { a.error = ERROR_INVALID_FUNCTION; });
    CDsePrintersTable unsupported(nullptr, false, false, 1);
    ASSERT_EQ(unsupported.GetCount(), 7);
    EXPECT_NE(unsupported.GetPrinterByShellName("Laser"), nullptr);
    EXPECT_EQ(unsupported.GetPrinterByName("Laser"), nullptr);
}

TEST_F(PrintersTableTest, DsscSharesAndTheirRejections) {
    Seed("connections.reg");
    CDsePrintersTable table(nullptr, false, false, 1);
    char controller[260];

    ASSERT_TRUE(Entry(table, "print on CTRL").bIsDsscPort);
    EXPECT_TRUE(table.GetQX2Name(&Entry(table, "print on CTRL"), controller, sizeof controller));
    EXPECT_STREQ(controller, "CTRL");
    EXPECT_TRUE(table.GetQX2Name(&Entry(table, "PRINT on qx2ctl"), controller, sizeof controller));
    EXPECT_STREQ(controller, "qx2ctl");
    // A queue name from the language library.
    EXPECT_TRUE(Entry(table, "pcl6_hold on CTRL").bIsDsscPort);
    EXPECT_TRUE(table.GetQX2Name(&Entry(table, "Redirected"), controller, sizeof controller));
    EXPECT_STREQ(controller, "CTRL");

    EXPECT_FALSE(Entry(table, "other on CTRL").bIsDsscPort);
    EXPECT_FALSE(table.GetQX2Name(&Entry(table, "other on CTRL"), controller, sizeof controller));
    EXPECT_FALSE(table.GetQX2Name(&Entry(table, "Laser"), controller, sizeof controller));
    EXPECT_FALSE(table.GetQX2Name(nullptr, controller, sizeof controller));

    for (const char* yes : {"\\\\CTRL\\print", "\\\\ctrl\\PRINT", "\\\\CTRL\\a-lumera print",
                            "\\\\\\CTRL\\\\\\pcl5c", "CTRL\\DSSC", "\\\\CTRL\\PS3_HOLD"})
        EXPECT_TRUE(table.IsDSSCPort(yes, nullptr, 0)) << yes;
    for (const char* no : {"\\\\CTRL\\print\\x", "\\\\CTRL\\other", "\\\\CTRL\\", "\\\\CTRL\\\\",
                           "\\\\LONGCONTROLLER", "\\\\C\\ps3", "IP_10.1.2.3", "", "LPT1:"})
        EXPECT_FALSE(table.IsDSSCPort(no, controller, sizeof controller)) << no;
    EXPECT_FALSE(table.IsDSSCPort(nullptr, controller, sizeof controller));
    EXPECT_NE(TraceText().find("CDsePrintersTable::IsDSSCPort:Less than 8 chars. So return false"),
              std::string::npos);

    // The controller's name is cut to the caller's buffer.
    char small[4];
    EXPECT_TRUE(table.IsDSSCPort("\\\\CONTROLLER\\ps3", small, sizeof small));
    EXPECT_STREQ(small, "CON");
}

TEST_F(PrintersTableTest, StandardTcpIpPortsNeedTheStoreKeyAndLoseToAStoredAddress) {
    Seed("monitor_ports.reg");
    {
        // No PrinterDiscovery key: the port monitors are not asked.
        CDsePrintersTable table(nullptr, false, false, 1);
        for (int i = 0; i < table.GetCount(); ++i)
            EXPECT_STREQ(table.GetPrinterByIndex(i)->szAddress, "") << i;
        EXPECT_FALSE(table.IsPortDiscovered("IP_10.1.2.3"));
        // Asking for the value name refreshes the address from the monitor.
        PrinterEntry* office = table.GetPrinterByShellName("Office Laser");
        EXPECT_STREQ(table.GetPrintablePortName(office), "IP_10.1.2.3");
        EXPECT_STREQ(office->szAddress, "10.1.2.3");
        EXPECT_STREQ(table.GetPrintablePortName(nullptr), "");
    }
    Seed("discovery_key.reg");
    {
        CDsePrintersTable table(nullptr, false, false, 1);
        EXPECT_EQ(Address(table, "Office Laser"), "10.1.2.3");
        // A port set up with a host name has an empty "IPAddress".
        EXPECT_EQ(Address(table, "Host Named"), "");
        EXPECT_STREQ(table.GetPrintablePortName(table.GetPrinterByShellName("Host Named")),
                     "IP_printhost");
        EXPECT_NE(TraceText().find("CDsePrintersTable::GetRegistryInformation:RegQueryValue "
                                   "failed with error code  2\n"),
                  std::string::npos);
        // Other families keep their own store.
        CDsePrintersTable orven(nullptr, false, false, 2);
        EXPECT_EQ(Address(orven, "Office Laser"), "");
    }
    Seed("discovery_stored.reg");
    {
        CDsePrintersTable table(nullptr, false, false, 1);
        EXPECT_EQ(Address(table, "Office Laser"), "10.9.9.9");
        EXPECT_TRUE(table.IsPortDiscovered("IP_10.1.2.3"));
        EXPECT_TRUE(table.IsPortDiscovered("ip_10.1.2.3"));
        EXPECT_FALSE(table.IsPortDiscovered("IP_printhost"));
        EXPECT_FALSE(table.IsPortDiscovered(nullptr));
    }
}

TEST_F(PrintersTableTest, AippAndHttpPorts) {
    Seed("monitor_ports.reg");
    {
        CDsePrintersTable table(nullptr, false, false, 1);
        EXPECT_EQ(Address(table, "IPP Printer"), "");
        EXPECT_EQ(Address(table, "Web Printer"), "");
    }
    Seed("discovery_key.reg");
    CDsePrintersTable table(nullptr, false, false, 1);
    // The AIPP URL's host part keeps its port number; an "http:" port name
    // is cut at the colon.
    EXPECT_EQ(Address(table, "IPP Printer"), "10.0.0.9:631");
    EXPECT_EQ(Address(table, "Web Printer"), "10.0.0.9");
    EXPECT_EQ(Address(table, "Web Host Only"), "");
    EXPECT_EQ(Address(table, "Web No Slash"), "http:10.0.0.12");
    EXPECT_STREQ(table.GetPrintablePortName(table.GetPrinterByShellName("IPP Printer")), "AIPP_9");
    EXPECT_STREQ(table.GetPrintablePortName(table.GetPrinterByShellName("Web Printer")),
                 "http://10.0.0.9:631/printers/x");
}

TEST_F(PrintersTableTest, SpoolerAddressesFromPortNameOrComment) {
    Seed("spooler_addresses.reg");
    CDsePrintersTable off(nullptr, false, false, 1);
    for (int i = 0; i < off.GetCount(); ++i)
        EXPECT_STREQ(off.GetPrinterByIndex(i)->szAddress, "");

    CDsePrintersTable table(nullptr, false, true, 2);
    EXPECT_EQ(Address(table, "Port Address"), "10.5.5.5");
    EXPECT_EQ(Address(table, "Comment Address"), "10.6.6.6");
    EXPECT_EQ(Address(table, "IPX Port"), "0000ABCD:00AA00BB00CC");
    EXPECT_EQ(Address(table, "Plain"), "");
}

TEST_F(PrintersTableTest, LprHostsResolveOnlyWithTheirMonitorKey) {
    Seed("lpr_ports.reg");
    CDsePrintersTable off(nullptr, false, false, 1);
    EXPECT_EQ(Address(off, "Loopback Queue"), "");

    CDsePrintersTable table(nullptr, true, false, 1);
    EXPECT_EQ(Address(table, "Loopback Queue"), "127.0.0.1");
    EXPECT_EQ(Address(table, "Loopback Second"), "127.0.0.1");
    // A dotted host is taken as it is, in its printable form.
    EXPECT_EQ(Address(table, "Dotted Queue"), "10.7.7.7");
    // No key under the LPR monitor: not an LPR port.
    EXPECT_EQ(Address(table, "Unlisted Queue"), "");
}

TEST_F(PrintersTableTest, NameFilterLimitsLaterStepsButNotStoredAddresses) {
    Seed("monitor_ports.reg");
    Seed("discovery_stored.reg");
    Seed("spooler_addresses.reg");
    Seed("lpr_ports.reg");
    CDsePrintersTable table("port ADDRESS", true, true, 1);
    EXPECT_EQ(Address(table, "Port Address"), "10.5.5.5");
    EXPECT_EQ(Address(table, "Comment Address"), "");
    EXPECT_EQ(Address(table, "Loopback Queue"), "");
    EXPECT_EQ(Address(table, "Office Laser"), "10.9.9.9");  // stored: step 3 ignores the filter
    EXPECT_EQ(Address(table, "IPP Printer"), "10.0.0.9:631");

    CDsePrintersTable lpr("Loopback Queue", true, true, 1);
    EXPECT_EQ(Address(lpr, "Loopback Queue"), "127.0.0.1");
    EXPECT_EQ(Address(lpr, "Loopback Second"), "");
    EXPECT_EQ(Address(lpr, "Port Address"), "");

    // Storing is limited the same way.
    CopyText(table.GetPrinterByShellName("Comment Address")->szAddress, "10.6.6.7");
    table.SetRegistryInformation();
    EXPECT_EQ(StoredValue(1, "10.5.5.5"), "10.5.5.5");
    EXPECT_EQ(StoredValue(1, "LPT1:"), "(none)");
}

TEST_F(PrintersTableTest, NameFilterMatchesTheSpoolerNameOfAConnection) {
    Seed("connections.reg");
    Seed("discovery_key.reg");
    CDsePrintersTable table("\\\\srv\\laser", false, false, 1);
    for (int i = 0; i < table.GetCount(); ++i)
        CopyText(table.GetPrinterByIndex(i)->szAddress, "10.1.1." + std::to_string(i));
    table.SetRegistryInformation();
    // A connection's value name is its spooler name.
    EXPECT_EQ(StoredValue(1, "\\\\SRV\\Laser"), "10.1.1.6");
    EXPECT_EQ(StoredValue(1, "LPT1:"), "(none)");
    EXPECT_EQ(StoredValue(1, "\\\\CTRL\\print"), "(none)");
}

TEST_F(PrintersTableTest, StoringAddressesKeepsTheCallersAddress) {
    Seed("monitor_ports.reg");
    {
        CDsePrintersTable table(nullptr, false, false, 1);
        EXPECT_FALSE(table.IsPortDiscovered("IP_10.1.2.3"));
        // What discovery found for two printers; the monitor's 10.1.2.3
        // for Office Laser is not what the caller wants stored.
        PrinterEntry* office = table.GetPrinterByShellName("Office Laser");
        CopyText(office->szAddress, "10.4.4.4");
        CopyText(table.GetPrinterByShellName("Host Named")->szAddress, "10.4.4.5");
        table.SetRegistryInformation();
        EXPECT_STREQ(office->szAddress, "10.4.4.4");
        EXPECT_TRUE(table.IsPortDiscovered("IP_10.1.2.3"));
        EXPECT_TRUE(table.IsPortDiscovered("IP_printhost"));
        EXPECT_FALSE(table.IsPortDiscovered("AIPP_9"));  // empty address: not stored
    }
    reg::Key key;
    ASSERT_EQ(
        reg::Key::Open(reg::Hive::CurrentUser, PrinterDiscoveryKey(1), reg::Access::Read, key), 0);
    std::vector<std::pair<std::string, reg::Value>> values;
    ASSERT_EQ(key.Values(values), 0);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].second.type, reg::REG_SZ);
    EXPECT_EQ(values[0].second.data.size(), std::strlen("10.4.4.4") + 1);

    // The next table of the family gets the stored addresses back.
    CDsePrintersTable next(nullptr, false, false, 1);
    EXPECT_EQ(Address(next, "Office Laser"), "10.4.4.4");
    EXPECT_EQ(Address(next, "Host Named"), "10.4.4.5");
    // The ORVEN family has no store yet.
    CDsePrintersTable orven(nullptr, false, false, 2);
    EXPECT_FALSE(orven.IsPortDiscovered("IP_10.1.2.3"));

    // Entries without a spooler record are never stored.
    spool::Spooler::SetEnumPrintersHookForTesting(
        [](spool::Spooler::EnumPrintersAnswer& a) { a.error = ERROR_INVALID_FUNCTION; });
    CDsePrintersTable unsupported(nullptr, false, false, 2);
    for (int i = 0; i < unsupported.GetCount(); ++i)
        CopyText(unsupported.GetPrinterByIndex(i)->szAddress, "10.4.4.9");
    unsupported.SetRegistryInformation();
    ASSERT_EQ(
        reg::Key::Open(reg::Hive::CurrentUser, PrinterDiscoveryKey(2), reg::Access::Read, key), 0);
    ASSERT_EQ(key.Values(values), 0);
    EXPECT_TRUE(values.empty());
}

TEST_F(PrintersTableTest, EnumerationThatReportsAnImpossibleSize) {
    Seed("monitor_ports.reg");
    Seed("discovery_stored.reg");

    // A size far beyond any printer list: the spooler is taken to be failing.
    spool::Spooler::SetEnumPrintersHookForTesting([](spool::Spooler::EnumPrintersAnswer& a) {
        if (a.bufferSize == 0)
            a.needed = 2000000;
    });
    {
        CDsePrintersTable table(nullptr, true, true, 1);
        EXPECT_EQ(table.GetCount(), 6);
        for (int i = 0; i < table.GetCount(); ++i) {
            EXPECT_FALSE(table.GetPrinterByIndex(i)->bSupported);
            EXPECT_STREQ(table.GetPrinterByIndex(i)->szAddress, "");
        }
        EXPECT_NE(TraceText().find("EnumPrinters needs 2000000 bytes! Spooler service may have "
                                   "shut down\n"),
                  std::string::npos);
    }

    // A size too small for what the second call then needs: that call fails
    // and nothing is read from the short buffer.
    spool::Spooler::SetEnumPrintersHookForTesting([](spool::Spooler::EnumPrintersAnswer& a) {
        if (a.bufferSize == 0)
            a.needed = 16;
    });
    {
        CDsePrintersTable table(nullptr, false, false, 1);
        EXPECT_EQ(table.GetCount(), 6);
        EXPECT_EQ(table.GetPrinterByName("Office Laser"), nullptr);
        EXPECT_EQ(Address(table, "Office Laser"), "");
    }

    // A printer added between the two calls: the same, for real.
    spool::Spooler::SetEnumPrintersHookForTesting([](spool::Spooler::EnumPrintersAnswer& a) {
        if (a.bufferSize != 0)
            return;
        reg::Key added;
        reg::Key::Create(reg::Hive::LocalMachine, std::string(kPrintersKey) + "\\Late Arrival",
                         added);
        added.SetString("Port", "LPT3:");
    });
    {
        CDsePrintersTable table(nullptr, false, false, 1);
        EXPECT_EQ(table.GetCount(), 6);
        EXPECT_EQ(table.GetPrinterByName("Office Laser"), nullptr);
    }

    // A spooler that claims more records than its buffer holds is believed
    // only as far as the buffer goes.
    spool::Spooler::SetEnumPrintersHookForTesting([](spool::Spooler::EnumPrintersAnswer& a) {
        if (a.bufferSize == 0)
            a.needed = static_cast<uint32_t>(sizeof(spool::PrinterInfo2));
        if (a.bufferSize != 0 && a.error == ERROR_INSUFFICIENT_BUFFER) {
            a.error = ERROR_SUCCESS;
            a.returned = 1000;
        }
    });
    {
        CDsePrintersTable table(nullptr, false, false, 1);
        EXPECT_EQ(table.GetCount(), 7);  // "Late Arrival" is in the folder now
        for (int i = 0; i < table.GetCount(); ++i)
            EXPECT_FALSE(table.GetPrinterByIndex(i)->bSupported);
    }

    // One that claims more records than it wrote: the records it wrote count,
    // the texts behind them are not taken for records.
    spool::Spooler::SetEnumPrintersHookForTesting([](spool::Spooler::EnumPrintersAnswer& a) {
        if (a.error == ERROR_SUCCESS)
            a.returned += 5;
    });
    {
        CDsePrintersTable table(nullptr, false, false, 1);
        ASSERT_EQ(table.GetCount(), 7);
        for (int i = 0; i < table.GetCount(); ++i)
            EXPECT_TRUE(table.GetPrinterByIndex(i)->bSupported) << i;
        EXPECT_EQ(Address(table, "Office Laser"), "10.9.9.9");
    }

    // An enumeration that fails outright is silent.
    spool::Spooler::SetEnumPrintersHookForTesting(
        [](spool::Spooler::EnumPrintersAnswer& a) { a.error = ERROR_INVALID_FUNCTION; });
    CDsePrintersTable failing(nullptr, false, false, 1);
    EXPECT_EQ(failing.GetPrinterByName("Office Laser"), nullptr);
}

TEST_F(PrintersTableTest, ValuesThatDoNotFitStayBounded) {
    Seed("bad_values.reg");
    // 260 bytes of text without a terminating zero, as a program may store it.
    std::string unterminatedText = "10.20.30.40" + std::string(249, ' ');
    reg::Key discovery;
    ASSERT_EQ(reg::Key::Open(reg::Hive::CurrentUser, PrinterDiscoveryKey(1), reg::Access::Write,
                             discovery),
              0);
    ASSERT_EQ(discovery.SetValue("LPT6:", reg::REG_SZ, unterminatedText.data(), 260), 0);

    CDsePrintersTable table(nullptr, false, false, 1);
    for (int i = 0; i < table.GetCount(); ++i) {
        const PrinterEntry* e = table.GetPrinterByIndex(i);
        for (const char* field :
             {e->szPrinterShellName, e->szShellAddress, e->szAddress, e->szUnmappedPort})
            EXPECT_LT(strnlen(field, PrinterEntry::kTextSize), PrinterEntry::kTextSize);
    }
    // A printer name beyond the field: its cut shell name matches no record.
    const PrinterEntry* longName = table.GetPrinterByIndex(0);
    EXPECT_EQ(std::strlen(longName->szPrinterShellName), 259u);
    EXPECT_FALSE(longName->bSupported);

    const PrinterEntry& longPort = Entry(table, "Long Port");
    EXPECT_EQ(std::strlen(longPort.szUnmappedPort), 259u);
    EXPECT_STREQ(longPort.szAddress, "");

    // A remote name longer than the buffer: the port name is used instead.
    EXPECT_STREQ(Entry(table, "Long Remote").szUnmappedPort, "LPT4:");
    // A URL longer than the value buffer cannot be read: no address.
    EXPECT_EQ(Address(table, "Long Url"), "");
    // A stored address of the wrong type, or too long, is not taken; one
    // without its terminating zero is cut.
    EXPECT_EQ(Address(table, "Typed Store"), "");
    EXPECT_EQ(Address(table, "Overlong Store"), "");
    std::string unterminated = Address(table, "Unterminated Store");
    EXPECT_EQ(unterminated.size(), 259u);
    EXPECT_EQ(unterminated.rfind("10.20.30.40 ", 0), 0u);
    std::string trace = TraceText();
    EXPECT_NE(trace.find("failed with error code  1630\n"), std::string::npos);
    EXPECT_NE(trace.find("failed with error code  234\n"), std::string::npos);
}

TEST_F(PrintersTableTest, MissingLanguageLibraryMeansNoDsscPortsAndOneMessage) {
    Seed("connections.reg");
    SetProgramDirectoryForTesting(dir.Path());
    std::vector<std::string> messages;
    auto previous = SetMessageBoxResponder([&](const MessageBoxRequest& r) {
        messages.push_back(r.text);
        EXPECT_TRUE(r.taskModal);
        EXPECT_EQ(r.caption, "");
        return MessageResult::Ok;
    });
    {
        CDsePrintersTable table(nullptr, false, false, 1);
        ASSERT_EQ(table.GetCount(), 7);
        for (int i = 0; i < table.GetCount(); ++i)
            EXPECT_FALSE(table.GetPrinterByIndex(i)->bIsDsscPort);
        EXPECT_FALSE(table.IsDSSCPort("\\\\CTRL\\print", nullptr, 0));
    }
    SetMessageBoxResponder(previous);
    SetProgramDirectoryForTesting("");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Could not Load Language Library");
}

// Host names that resolve from the test's own hosts file (see PrivateHosts.h).
TEST(PrintersTableNames, ControllerAndLprHostsResolveFromTheHostsFile) {
    auto run = qxtest::RerunWithPrivateHosts("10.20.30.40 printhost\n10.20.30.41 QXCTRL\n",
                                             "PrintersTableNames.DISABLED_InsidePrivateHosts");
    if (!run.started)
        GTEST_SKIP() << "no private mount namespace can be made here";
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("[  PASSED  ] 1 test."), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("SKIPPED"), std::string::npos) << run.output;
}

// Run only by the test above, inside the namespace.
TEST(PrintersTableNames, DISABLED_InsidePrivateHosts) {
    ASSERT_TRUE(qxtest::InPrivateHosts());
    qxtest::TempRegistry store;
    qxtest::TempDir dir;
    SetTraceDestination((dir.Path() + "/trace.log").c_str());
    Seed("private_hosts.reg");
    CDsePrintersTable table(nullptr, true, false, 1);
    SetTraceDestination("");
    ASSERT_EQ(table.GetCount(), 4);
    EXPECT_STREQ(table.GetPrinterByShellName("Line Printer")->szAddress, "10.20.30.40");
    EXPECT_STREQ(table.GetPrinterByShellName("Lost Printer")->szAddress, "");
    PrinterEntry* controller = table.GetPrinterByShellName("\\\\QXCTRL\\print");
    ASSERT_NE(controller, nullptr);
    EXPECT_TRUE(controller->bIsDsscPort);
    EXPECT_STREQ(controller->szAddress, "10.20.30.41");
    // A controller nobody knows leaves the address empty.
    EXPECT_STREQ(table.GetPrinterByShellName("\\\\GHOSTCTRL\\ps3")->szAddress, "");

    std::ifstream in(dir.Path() + "/trace.log");
    std::stringstream trace;
    trace << in.rdbuf();
    EXPECT_NE(trace.str().find("WINS resolved printer \\\\QXCTRL\\print to address 10.20.30.41\n"),
              std::string::npos);

    // Without name resolution nothing is looked up.
    CDsePrintersTable off(nullptr, false, false, 1);
    EXPECT_STREQ(off.GetPrinterByShellName("Line Printer")->szAddress, "");
    EXPECT_STREQ(off.GetPrinterByShellName("\\\\QXCTRL\\print")->szAddress, "");
}
