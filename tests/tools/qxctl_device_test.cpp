// qxctl device get against a simulated device in the program's own network.

#include <gtest/gtest.h>

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
