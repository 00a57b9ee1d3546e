// qxctl settings, run as the administrator runs it.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include "platform/registry/RegistryKey.h"
#include "settings/Settings.h"
#include "support/RunProgram.h"
#include "support/TempRegistry.h"

namespace {

qxtest::ProgramResult Qxctl(const QStringList& args) {
    return qxtest::RunProgram("qxctl", args);
}

QJsonObject Row(const QJsonArray& rows, int id) {
    for (const auto& r : rows)
        if (r.toObject()["id"].toInt() == id)
            return r.toObject();
    return {};
}

}  // namespace

TEST(QxctlSettings, ListsEffectiveValuesAndWhereTheyComeFrom) {
    qxtest::TempRegistry store;
    qx::reg::Key key;
    ASSERT_EQ(qx::reg::Key::Create(qx::reg::Hive::CurrentUser, qx::SettingsKey(1), key), 0);
    key.SetDword("DoIpxDiscovery", 0);
    key.SetDword("SNMPNoConnnectTimeoutInHundredthOfASecond", 1000);
    key.SetString("DoIpDiscoveryRangeFrom", "10.1.0.1");
    key.SetString("DoIpDiscovery", "too long for a number");

    auto r = Qxctl({"settings", "--family", "1", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonArray rows = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(rows.size(), qx::kSettingCount);

    QJsonObject ipx = Row(rows, 97);
    EXPECT_EQ(ipx["name"].toString(), "DoIpxDiscovery");
    EXPECT_EQ(ipx["value"].toInt(), 0);
    EXPECT_EQ(ipx["default"].toInt(), 1);
    EXPECT_TRUE(ipx["stored"].toBool());
    EXPECT_TRUE(Row(rows, 105)["stored"].toBool()) << "stored even when equal to the default";
    EXPECT_EQ(Row(rows, 100)["value"].toString(), "10.1.0.1");
    EXPECT_TRUE(Row(rows, 100)["stored"].toBool());
    QJsonObject ip = Row(rows, 98);
    EXPECT_EQ(ip["value"].toInt(), 1) << "a value the server cannot read gives the default";
    EXPECT_FALSE(ip["stored"].toBool());
    EXPECT_EQ(Row(rows, 27)["value"].toDouble(), 4294967295.0);

    auto orven = Qxctl({"settings", "--family", "2"});
    ASSERT_EQ(orven.exitCode, 0);
    EXPECT_TRUE(orven.out.contains("key missing")) << orven.out.toStdString();
    EXPECT_TRUE(orven.out.contains("DoIpxDiscovery"));

    EXPECT_EQ(Qxctl({"settings", "--family"}).exitCode, 2);
    EXPECT_EQ(Qxctl({"settings", "--family", "x"}).exitCode, 2);
    EXPECT_EQ(Qxctl({"nonsense"}).exitCode, 2);
}
