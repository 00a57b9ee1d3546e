// The spooler stand-in: level-2 records in one caller-owned buffer, the size
// query, the default printer, the shell's Printers folder, redirected ports,
// all read from a store seeded the way an administrator seeds it.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/net/HostResolver.h"
#include "platform/registry/RegistryKey.h"
#include "platform/spooler/NetworkConnections.h"
#include "platform/spooler/PrintersFolder.h"
#include "platform/spooler/Spooler.h"
#include "platform/system/Win32Error.h"
#include "support/RegFixture.h"
#include "support/TempRegistry.h"

using namespace qx;
using namespace qx::spool;

namespace {

class SpoolerTest : public ::testing::Test {
  protected:
    qxtest::TempRegistry store;
    void SetUp() override { qxtest::SeedRegistry(qxtest::DataFile("platform", "spooler.reg")); }
    void TearDown() override {
        Spooler::SetEnumPrintersHookForTesting({});
        PrintersFolder::SetFaultForTesting({});
    }
};

// The two-call pattern every caller uses.
std::unique_ptr<uint8_t[]> Enumerate(uint32_t flags, uint32_t& size, uint32_t& count) {
    uint32_t needed = 0;
    EXPECT_EQ(Spooler::EnumPrinters(flags, 2, nullptr, 0, needed, count),
              ERROR_INSUFFICIENT_BUFFER);
    auto buffer = std::make_unique<uint8_t[]>(needed);
    EXPECT_EQ(Spooler::EnumPrinters(flags, 2, buffer.get(), needed, size, count), ERROR_SUCCESS);
    EXPECT_EQ(size, needed);
    return buffer;
}

bool Inside(const void* p, const uint8_t* buffer, uint32_t size) {
    auto b = static_cast<const uint8_t*>(p);
    return b >= buffer && b < buffer + size;
}

}  // namespace

TEST_F(SpoolerTest, EnumerationWritesRecordsAndTheirTextsIntoOneBuffer) {
    uint32_t size = 0, count = 0;
    auto buffer = Enumerate(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS | PRINTER_ENUM_NETWORK,
                            size, count);
    ASSERT_EQ(count, 3u);
    auto* info = reinterpret_cast<const PrinterInfo2*>(buffer.get());
    for (uint32_t i = 0; i < count; ++i) {
        for (const char* text : {info[i].pPrinterName, info[i].pShareName, info[i].pPortName,
                                 info[i].pDriverName, info[i].pComment, info[i].pLocation}) {
            ASSERT_NE(text, nullptr);
            EXPECT_TRUE(Inside(text, buffer.get() + count * sizeof(PrinterInfo2),
                               size - count * sizeof(PrinterInfo2)));
            EXPECT_TRUE(Inside(text + std::strlen(text), buffer.get(), size));
        }
    }
    // The workstation's printers in name order, then the connections.
    EXPECT_STREQ(info[0].pPrinterName, "Accounts");
    EXPECT_EQ(info[0].pServerName, nullptr);
    EXPECT_STREQ(info[0].pPortName, "IP_10.1.2.3");
    EXPECT_STREQ(info[0].pDriverName, "QX Universal PCL");
    EXPECT_STREQ(info[0].pComment, "Ledger printing");
    EXPECT_STREQ(info[0].pLocation, "Room 1.01");
    EXPECT_STREQ(info[0].pShareName, "ACC");
    EXPECT_EQ(info[0].Attributes, PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_SHARED);
    EXPECT_EQ(info[0].Priority, 1u);
    // The key's name stands in for a missing "Name"; the default printer is marked.
    EXPECT_STREQ(info[1].pPrinterName, "Bare");
    EXPECT_STREQ(info[1].pPortName, "");
    EXPECT_EQ(info[1].Attributes, PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_DEFAULT);
    EXPECT_STREQ(info[2].pPrinterName, "\\\\SRV\\Laser");
    EXPECT_STREQ(info[2].pServerName, "\\\\SRV");
    EXPECT_STREQ(info[2].pShareName, "Laser");
    EXPECT_EQ(info[2].Attributes, PRINTER_ATTRIBUTE_NETWORK | PRINTER_ATTRIBUTE_SHARED);

    // One kind at a time; the default printer alone.
    Enumerate(PRINTER_ENUM_LOCAL, size, count);
    EXPECT_EQ(count, 2u);
    Enumerate(PRINTER_ENUM_CONNECTIONS, size, count);
    EXPECT_EQ(count, 1u);
    buffer = Enumerate(PRINTER_ENUM_DEFAULT, size, count);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(reinterpret_cast<const PrinterInfo2*>(buffer.get())->pPrinterName, "Bare");
}

TEST_F(SpoolerTest, EnumerationRefusesWhatItCannotDo) {
    uint32_t needed = 0, count = 0;
    ASSERT_EQ(Spooler::EnumPrinters(PRINTER_ENUM_LOCAL, 2, nullptr, 0, needed, count),
              ERROR_INSUFFICIENT_BUFFER);
    // One byte short: nothing is written.
    std::vector<uint8_t> buffer(needed + 8, 0xAB);
    uint8_t* aligned = buffer.data();
    ASSERT_EQ(reinterpret_cast<uintptr_t>(aligned) % alignof(PrinterInfo2), 0u);
    uint32_t again = 0;
    EXPECT_EQ(Spooler::EnumPrinters(PRINTER_ENUM_LOCAL, 2, aligned, needed - 1, again, count),
              ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(again, needed);
    EXPECT_EQ(count, 0u);
    for (uint8_t b : buffer)
        ASSERT_EQ(b, 0xAB);

    EXPECT_EQ(Spooler::EnumPrinters(PRINTER_ENUM_LOCAL, 1, aligned, needed, again, count),
              ERROR_INVALID_LEVEL);
    EXPECT_EQ(Spooler::EnumPrinters(PRINTER_ENUM_LOCAL, 2, aligned + 1, needed, again, count),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Spooler::EnumPrinters(PRINTER_ENUM_LOCAL, 2, nullptr, needed, again, count),
              ERROR_INVALID_PARAMETER);

    // No printers at all: the size is 0 and the call succeeds.
    reg::Key root;
    reg::Key::Open(reg::Hive::LocalMachine, "", reg::Access::All, root);
    root.DeleteTree("SYSTEM");
    EXPECT_EQ(Spooler::EnumPrinters(PRINTER_ENUM_LOCAL, 2, nullptr, 0, needed, count),
              ERROR_SUCCESS);
    EXPECT_EQ(needed, 0u);
    EXPECT_EQ(count, 0u);
}

TEST_F(SpoolerTest, HookSeesAndChangesEveryAnswer) {
    std::vector<uint32_t> offered;
    Spooler::SetEnumPrintersHookForTesting([&](Spooler::EnumPrintersAnswer& a) {
        offered.push_back(a.bufferSize);
        if (a.bufferSize == 0)
            a.needed = 5000000;
    });
    uint32_t needed = 0, count = 0;
    EXPECT_EQ(Spooler::EnumPrinters(PRINTER_ENUM_LOCAL, 2, nullptr, 0, needed, count),
              ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(needed, 5000000u);
    EXPECT_EQ(offered, std::vector<uint32_t>{0});
    auto previous = Spooler::SetEnumPrintersHookForTesting({});
    EXPECT_TRUE(static_cast<bool>(previous));
    EXPECT_EQ(Spooler::EnumPrinters(PRINTER_ENUM_LOCAL, 2, nullptr, 0, needed, count),
              ERROR_INSUFFICIENT_BUFFER);
    EXPECT_LT(needed, 5000000u);
}

TEST_F(SpoolerTest, OnePrinterAndTheDefaultPrinter) {
    EXPECT_EQ(Spooler::DefaultPrinterName(), "Bare");
    uint32_t needed = 0;
    ASSERT_EQ(Spooler::GetPrinter("\\\\srv\\LASER", 2, nullptr, 0, needed),
              ERROR_INSUFFICIENT_BUFFER);
    auto buffer = std::make_unique<uint8_t[]>(needed);
    ASSERT_EQ(Spooler::GetPrinter("\\\\srv\\LASER", 2, buffer.get(), needed, needed),
              ERROR_SUCCESS);
    auto* info = reinterpret_cast<const PrinterInfo2*>(buffer.get());
    EXPECT_STREQ(info->pPrinterName, "\\\\SRV\\Laser");  // as the connection was made
    EXPECT_STREQ(info->pComment, "Shared by SRV");

    ASSERT_EQ(Spooler::GetPrinter("accounts", 2, nullptr, 0, needed), ERROR_INSUFFICIENT_BUFFER);
    for (const char* missing : {"Nobody", "\\\\SRV\\Nobody", "\\\\SRV", "a\\b", ""})
        EXPECT_EQ(Spooler::GetPrinter(missing, 2, nullptr, 0, needed), ERROR_INVALID_PRINTER_NAME)
            << missing;
    EXPECT_EQ(Spooler::GetPrinter(nullptr, 2, nullptr, 0, needed), ERROR_INVALID_PRINTER_NAME);

    reg::Key windows;
    reg::Key::Create(reg::Hive::CurrentUser,
                     "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", windows);
    windows.DeleteValue("Device");
    EXPECT_EQ(Spooler::DefaultPrinterName(), "");
    uint32_t count = 0;
    EXPECT_EQ(Spooler::EnumPrinters(PRINTER_ENUM_DEFAULT, 2, nullptr, 0, needed, count),
              ERROR_SUCCESS);
    EXPECT_EQ(needed, 0u);
}

TEST_F(SpoolerTest, PrintersFolderListsAddPrinterThenEveryPrinter) {
    PrintersFolder folder;
    ASSERT_EQ(PrintersFolder::Open(folder), S_OK);
    PrintersFolder::Enumerator items;
    ASSERT_EQ(folder.EnumObjects(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items), S_OK);
    std::vector<std::pair<std::string, std::string>> names;
    PrintersFolder::Item item;
    while (items.Next(item) == S_OK)
        names.emplace_back(*folder.DisplayNameOf(item, SHGDN_NORMAL),
                           *folder.DisplayNameOf(item, SHGDN_FORADDRESSBAR));
    EXPECT_EQ(items.Next(item), S_FALSE);
    std::vector<std::pair<std::string, std::string>> expected = {
        {"Add Printer", "Add Printer"},
        {"Accounts", "Accounts"},
        {"Bare", "Bare"},
        {"Laser on SRV", "\\\\SRV\\Laser"},
    };
    EXPECT_EQ(names, expected);

    // Folders only: printers are not folders.
    ASSERT_EQ(folder.EnumObjects(SHCONTF_FOLDERS, items), S_OK);
    EXPECT_EQ(items.Next(item), S_FALSE);

    PrintersFolder::SetFaultForTesting({.failAfterItems = 1});
    ASSERT_EQ(folder.EnumObjects(SHCONTF_NONFOLDERS, items), S_OK);
    EXPECT_EQ(items.Next(item), S_OK);
    EXPECT_EQ(items.Next(item), E_FAIL);
    PrintersFolder::SetFaultForTesting({.unavailable = true});
    PrintersFolder none;
    EXPECT_EQ(PrintersFolder::Open(none), E_FAIL);
    EXPECT_EQ(none.EnumObjects(SHCONTF_NONFOLDERS, items), E_FAIL);
}

TEST_F(SpoolerTest, RedirectedPortsGiveTheirRemoteNames) {
    char remote[260];
    uint32_t length = sizeof remote;
    ASSERT_EQ(NetworkConnections::GetConnection("LPT2:", remote, length), ERROR_SUCCESS);
    EXPECT_STREQ(remote, "\\\\CTRL\\ps3");
    length = sizeof remote;
    ASSERT_EQ(NetworkConnections::GetConnection("lpt2", remote, length), ERROR_SUCCESS);
    EXPECT_STREQ(remote, "\\\\CTRL\\ps3");

    char small[5] = "xxxx";
    length = sizeof small;
    EXPECT_EQ(NetworkConnections::GetConnection("LPT2:", small, length), ERROR_MORE_DATA);
    EXPECT_EQ(length, std::strlen("\\\\CTRL\\ps3") + 1);
    EXPECT_STREQ(small, "xxxx");

    length = sizeof remote;
    EXPECT_EQ(NetworkConnections::GetConnection("LPT1:", remote, length), ERROR_NOT_CONNECTED);
    EXPECT_EQ(NetworkConnections::GetConnection("LPT3:", remote, length), ERROR_NOT_CONNECTED)
        << "a key without RemotePath";
    EXPECT_EQ(NetworkConnections::GetConnection("", remote, length), ERROR_BAD_DEVICE);
    EXPECT_EQ(NetworkConnections::GetConnection(nullptr, remote, length), ERROR_BAD_DEVICE);
    EXPECT_EQ(NetworkConnections::GetConnection("\\\\SRV\\q", remote, length), ERROR_BAD_DEVICE);
}

TEST(HostResolver, LoopbackNameAndDottedAddresses) {
    auto loopback = ResolveHostIPv4("localhost");
    ASSERT_TRUE(loopback);
    EXPECT_EQ(DottedAddress(*loopback), "127.0.0.1");
    auto dotted = ResolveHostIPv4("10.20.30.40");
    ASSERT_TRUE(dotted);
    EXPECT_EQ(DottedAddress(*dotted), "10.20.30.40");
    EXPECT_FALSE(ResolveHostIPv4(""));
    EXPECT_FALSE(ResolveHostIPv4(std::string_view("local\0host", 10)));
}
