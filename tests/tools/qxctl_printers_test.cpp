// qxctl printers, run as the administrator runs it against a store set up
// from .reg files.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "inventory/InventoryKeys.h"
#include "platform/registry/RegistryKey.h"
#include "support/RegFixture.h"
#include "support/RunProgram.h"
#include "support/TempRegistry.h"

namespace {

qxtest::ProgramResult Qxctl(const QStringList& args) {
    return qxtest::RunProgram("qxctl", args);
}

QJsonObject Printer(const QJsonArray& rows, const QString& shellName) {
    for (const auto& r : rows)
        if (r.toObject()["shellName"].toString() == shellName)
            return r.toObject();
    return {};
}

void Seed(const char* file) {
    qxtest::SeedRegistry(qxtest::DataFile("inventory", file));
}

}  // namespace

TEST(QxctlPrinters, ListsEveryEntryWithItsAddress) {
    qxtest::TempRegistry store;
    Seed("connections.reg");
    Seed("monitor_ports.reg");
    Seed("spooler_addresses.reg");
    Seed("discovery_key.reg");

    auto r = Qxctl({"printers", "--json", "--spooler-addresses"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonArray rows = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(rows.size(), 17);

    QJsonObject office = Printer(rows, "Office Laser");
    EXPECT_EQ(office["shellAddress"].toString(), "Office Laser");
    EXPECT_EQ(office["printerName"].toString(), "Office Laser");
    EXPECT_EQ(office["port"].toString(), "IP_10.1.2.3");
    EXPECT_EQ(office["unmappedPort"].toString(), "IP_10.1.2.3");
    EXPECT_EQ(office["address"].toString(), "10.1.2.3");
    EXPECT_EQ(office["valueName"].toString(), "IP_10.1.2.3");
    EXPECT_FALSE(office["stored"].toBool());
    EXPECT_FALSE(office["dssc"].toBool());
    EXPECT_TRUE(office["controller"].isNull());

    QJsonObject redirected = Printer(rows, "Redirected");
    EXPECT_EQ(redirected["port"].toString(), "LPT2:");
    EXPECT_EQ(redirected["unmappedPort"].toString(), "\\\\CTRL\\ps3");
    EXPECT_TRUE(redirected["dssc"].toBool());
    EXPECT_EQ(redirected["controller"].toString(), "CTRL");

    QJsonObject connection = Printer(rows, "Laser on SRV");
    EXPECT_EQ(connection["shellAddress"].toString(), "\\\\SRV\\Laser");
    EXPECT_EQ(connection["printerName"].toString(), "\\\\SRV\\Laser");
    // Its port has the name of a Standard TCP/IP port of this workstation.
    EXPECT_EQ(connection["valueName"].toString(), "IP_10.1.2.3");
    EXPECT_EQ(connection["address"].toString(), "10.1.2.3");
    EXPECT_EQ(Printer(rows, "print on CTRL")["valueName"].toString(), "\\\\CTRL\\print");
    EXPECT_EQ(Printer(rows, "Port Address")["address"].toString(), "10.5.5.5");

    // Without --spooler-addresses the port name is no address.
    auto plain = Qxctl({"printers", "--json"});
    ASSERT_EQ(plain.exitCode, 0);
    EXPECT_EQ(
        Printer(QJsonDocument::fromJson(plain.out).array(), "Port Address")["address"].toString(),
        "");

    // The text form shows the same facts.
    auto text = Qxctl({"printers", "--name", "Redirected"});
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_TRUE(text.out.contains("unmapped port   \\\\CTRL\\ps3")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("DSSC            yes, controller CTRL"))
        << text.out.toStdString();
}

TEST(QxctlPrinters, StoreWritesTheAddressesOfThePrintersInScope) {
    qxtest::TempRegistry store;
    Seed("monitor_ports.reg");
    Seed("spooler_addresses.reg");

    auto r = Qxctl(
        {"printers", "--family", "2", "--name", "Port Address", "--spooler-addresses", "--store"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Addresses stored under HKEY_CURRENT_USER\\Software\\ORVEN"))
        << r.out.toStdString();

    qx::reg::Key key;
    ASSERT_EQ(qx::reg::Key::Open(qx::reg::Hive::CurrentUser, qx::PrinterDiscoveryKey(2),
                                 qx::reg::Access::Read, key),
              0);
    std::vector<std::pair<std::string, qx::reg::Value>> values;
    ASSERT_EQ(key.Values(values), 0);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].first, "10.5.5.5");
    EXPECT_EQ(values[0].second.AsString(), "10.5.5.5");

    // The next listing sees the stored address and, now that the key exists,
    // the port monitors' addresses.
    auto after = Qxctl({"printers", "--family", "2", "--json"});
    QJsonArray rows = QJsonDocument::fromJson(after.out).array();
    EXPECT_TRUE(Printer(rows, "Port Address")["stored"].toBool());
    EXPECT_EQ(Printer(rows, "Port Address")["address"].toString(), "10.5.5.5");
    EXPECT_EQ(Printer(rows, "Office Laser")["address"].toString(), "10.1.2.3");
}

TEST(QxctlPrinters, UsageErrors) {
    qxtest::TempRegistry store;
    EXPECT_EQ(Qxctl({"printers", "--family"}).exitCode, 2);
    EXPECT_EQ(Qxctl({"printers", "--family", "x"}).exitCode, 2);
    EXPECT_EQ(Qxctl({"printers", "--name"}).exitCode, 2);
    EXPECT_EQ(Qxctl({"printers", "extra"}).exitCode, 2);
    auto empty = Qxctl({"printers"});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_TRUE(empty.out.contains("Printers of family 1: 0")) << empty.out.toStdString();
}
