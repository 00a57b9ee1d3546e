// qxctl device get and snapshot against simulated devices in the program's
// own network.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "platform/registry/RegistryKey.h"
#include "settings/Settings.h"
#include "support/PrivateNetwork.h"
#include "support/RunProgram.h"
#include "support/SimulatedDevice.h"
#include "support/TempRegistry.h"
#include "support/TestData.h"

QX_TEST_USES_PRIVATE_NETWORK();

namespace {

struct Result {
    int code;
    std::string out, err;
};

class QxctlDeviceTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!qxtest::InPrivateNetwork())
            return;
        s_device = new qxtest::SimulatedDevice(
            "127.0.0.2", qxtest::ReadTextFile(qxtest::TestDataPath("model", "korvalen.snmprec")));
        s_other = new qxtest::SimulatedDevice(
            "127.0.0.3", "1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4.1.1|4x|" +
                             std::string("42c3bc726f20322e31342c205ac3bc72696368"));
        s_started = qxtest::SimulatedDevice::StartAll({s_device, s_other}, *s_error);
    }
    static void TearDownTestSuite() {
        delete s_device;
        delete s_other;
        s_device = s_other = nullptr;
    }
    void SetUp() override {
        QX_REQUIRE_PRIVATE_NETWORK();
        ASSERT_TRUE(s_started) << *s_error;
    }

    Result Qxctl(const QStringList& args) {
        qxtest::ProgramResult r = qxtest::RunProgram("qxctl", QStringList{"device"} + args);
        return {r.exitCode, r.out.toStdString(), r.err.toStdString()};
    }

    static qxtest::SimulatedDevice* s_device;
    static qxtest::SimulatedDevice* s_other;
    static bool s_started;
    static std::string* s_error;
    qxtest::TempRegistry registry;
};

qxtest::SimulatedDevice* QxctlDeviceTest::s_device = nullptr;
qxtest::SimulatedDevice* QxctlDeviceTest::s_other = nullptr;
bool QxctlDeviceTest::s_started = false;
std::string* QxctlDeviceTest::s_error = new std::string;

}  // namespace

TEST_F(QxctlDeviceTest, PrintsTheValueOfAMappedElement) {
    Result name = Qxctl({"get", "127.0.0.2", "3034", "1"});
    EXPECT_EQ(name.code, 0) << name.err;
    EXPECT_EQ(name.out, "Korvalen 5070\n");

    Result tandem = Qxctl({"get", "127.0.0.2", "3143", "1", "1"});
    EXPECT_EQ(tandem.code, 0) << tandem.err;
    EXPECT_EQ(tandem.out, "3\n");

    Result next = Qxctl({"get", "127.0.0.2", "1053", "--next"});
    EXPECT_EQ(next.code, 0) << next.err;
    EXPECT_EQ(next.out, "Korvalen 5070 controller\n") << "the first instance of the column";

    Result location = Qxctl({"get", "127.0.0.3", "3053", "1", "1"});
    EXPECT_EQ(location.code, 0) << location.err;
    EXPECT_EQ(location.out, "Büro 2.14, Zürich\n") << "UTF-8 text as it is";

    Result bits = Qxctl({"get", "127.0.0.2", "1067", "1", "--timeout", "50"});
    EXPECT_EQ(bits.code, 0) << bits.err;
    EXPECT_EQ(bits.out, "80 00\n") << "bytes that are no text, in hexadecimal";
}

TEST_F(QxctlDeviceTest, ExplainsWhatWentWrong) {
    Result unknown = Qxctl({"get", "127.0.0.2", "4242"});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_EQ(unknown.err, "qxctl device get: element 4242 is not in the mapping files\n");

    Result missing = Qxctl({"get", "127.0.0.2", "3034", "7"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("no answer from 127.0.0.2 for EID_ODRAGENERALQXNAME "
                               "(1.3.6.1.4.1.32473.2.3.50.1.2.3.1.2.7)"),
              std::string::npos)
        << missing.err;

    Result silent = Qxctl({"get", "127.0.0.9", "3034", "1", "--timeout", "10"});
    EXPECT_EQ(silent.code, 1);
    EXPECT_NE(silent.err.find("no answer from 127.0.0.9"), std::string::npos) << silent.err;

    Result notText = Qxctl({"get", "127.0.0.2", "3143", "1", "1", "--text"});
    EXPECT_EQ(notText.code, 1);
    EXPECT_NE(notText.err.find("answered with no text: 3"), std::string::npos) << notText.err;

    Result ipx = Qxctl({"get", "0000000A:00004A123456", "3034", "1"});
    EXPECT_EQ(ipx.code, 1);
    EXPECT_NE(ipx.err.find("IPX is not available here"), std::string::npos) << ipx.err;

    EXPECT_EQ(Qxctl({"get", "127.0.0.2"}).code, 2);
    EXPECT_EQ(Qxctl({"get", "127.0.0.2", "name"}).code, 2);
    EXPECT_EQ(Qxctl({"get", "127.0.0.2", "3034", "--bogus"}).code, 2);
    EXPECT_EQ(Qxctl({"set", "127.0.0.2", "3034"}).code, 2);
}

TEST_F(QxctlDeviceTest, SnapshotShowsTheSummaryTable) {
    Result table = Qxctl({"snapshot", "127.0.0.2"});
    EXPECT_EQ(table.code, 0) << table.err;
    EXPECT_EQ(table.err, "");
    for (const char* line : {
             "Device 127.0.0.2, family code 0\n",
             "  Result           S_OK\n",
             "  Tandem           yes\n",
             "  MAC address      00.00.4A.12.34.56\n",
             "  Error state      00 00\n",
             "Device 0                           Device 1 (partner)\n",
             "  Name                           Korvalen 5070                      Korvalen 5070\n",
             "  Finisher type                  33 (finisher with saddle stitch)   2 (offset catch "
             "tray)\n",
             "  Memory size                    262144                             262144\n",
             "  0  location 3                  4 / 1 / 80                         4 / 1 / 100\n",
             "  Device 0:\n    6699 (0x1A2B) -> 808\n    6700 (0x1A2C) -> 1\n",
         })
        EXPECT_NE(table.out.find(line), std::string::npos) << line << "\nin\n" << table.out;
}

TEST_F(QxctlDeviceTest, SnapshotAsJson) {
    Result r = Qxctl({"snapshot", "127.0.0.2", "--json", "--family", "13"});
    EXPECT_EQ(r.code, 0) << r.err;
    QJsonParseError error;
    QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out;
    EXPECT_EQ(root["address"].toString(), "127.0.0.2");
    EXPECT_EQ(root["familyCode"].toInt(), 13);
    EXPECT_EQ(root["result"].toString(), "S_OK");
    EXPECT_TRUE(root["valid"].toBool());
    EXPECT_TRUE(root["tandem"].toBool());
    EXPECT_EQ(root["macAddress"].toString(), "00.00.4A.12.34.56");
    EXPECT_EQ(root["errorState"].toArray(), (QJsonArray{0, 0}));
    QJsonArray devices = root["devices"].toArray();
    ASSERT_EQ(devices.size(), 2);
    QJsonObject first = devices[0].toObject(), partner = devices[1].toObject();
    EXPECT_EQ(first["name"].toString(), "Korvalen 5070");
    EXPECT_EQ(first["model"].toString(), "") << "the Korvalen pair's model is not read";
    EXPECT_EQ(first["deviceDescr"].toString(), "Korvalen 5070 controller");
    EXPECT_EQ(first["pedestal"].toInt(), 13) << "from the option units";
    EXPECT_EQ(first["finisherType"].toInt(), 33);
    EXPECT_EQ(first["memorySize"].toInt(), 262144);
    EXPECT_EQ(first["paperSize"].toArray(), (QJsonArray{4, 2, 2, 2, 2, 2, 2, 5}));
    EXPECT_EQ(first["percentFull"].toArray(), (QJsonArray{80, 0, 0, 0, 0, 0, 25, 1}));
    QJsonArray alerts = first["alerts"].toArray();
    ASSERT_EQ(alerts.size(), 3);
    EXPECT_EQ(alerts[0].toObject(), (QJsonObject{{"alertCode", 6699}, {"prtAlertCode", 808}}));
    EXPECT_EQ(partner["name"].toString(), "Korvalen 5070") << "reported empty";
    EXPECT_EQ(partner["finisherType"].toInt(), 2);
    for (const char* key : {"location", "statusText", "punchType", "faxEnabled", "aduState",
                            "inserter", "externalFeeder", "feederCode", "mediaType"})
        EXPECT_TRUE(partner.contains(key)) << key;
}

TEST_F(QxctlDeviceTest, AFailedSnapshotShowsWhatWasReadAndFails) {
    qx::reg::Key key;
    ASSERT_EQ(qx::reg::Key::Create(qx::reg::Hive::CurrentUser, qx::SettingsKey(1), key), 0);
    ASSERT_EQ(qx::SetDwordSetting(qx::SETTING_SNMP_NO_CONNECT_TIMEOUT, 10, 1), 0);
    Result silent = Qxctl({"snapshot", "127.0.0.9"});
    EXPECT_EQ(silent.code, 1);
    EXPECT_NE(silent.out.find("  Result           E_FAIL (not valid"), std::string::npos)
        << silent.out;
    EXPECT_NE(silent.out.find("Device 1 (no partner: cleared values)"), std::string::npos);
    EXPECT_NE(silent.err.find("the refresh stopped with E_FAIL: no answer from 127.0.0.9"),
              std::string::npos)
        << silent.err;

    Result json = Qxctl({"snapshot", "0000000A:00004A123456", "--json"});
    EXPECT_EQ(json.code, 1);
    QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_EQ(root["result"].toString(), "E_FAIL");
    EXPECT_FALSE(root["valid"].toBool());
    EXPECT_EQ(root["devices"].toArray().size(), 2);
    EXPECT_NE(json.err.find("IPX is not available here"), std::string::npos) << json.err;

    EXPECT_EQ(Qxctl({"snapshot"}).code, 2);
    EXPECT_EQ(Qxctl({"snapshot", "127.0.0.2", "127.0.0.3"}).code, 2);
    EXPECT_EQ(Qxctl({"snapshot", "127.0.0.2", "--family", "x"}).code, 2);
    EXPECT_EQ(Qxctl({"snapshot", "127.0.0.2", "--family"}).code, 2);
    EXPECT_EQ(Qxctl({"snapshot", "127.0.0.2", "--bogus"}).code, 2);
}
