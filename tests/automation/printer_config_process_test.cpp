// The printer configuration object end to end, as printer drivers use it:
// the server started on demand by a private bus, simulated devices in the
// program's own network namespace, the printers in a registry store of the
// test's own. qxctl printer-config for a printer of every port kind; the
// driver's cancel event signalled from this process (not the server's)
// before InitPrinter and while it reads the device.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "automation/Interfaces.h"
#include "automation/TypeLibrary.h"
#include "platform/bus/RemoteObject.h"
#include "platform/com/ComPtr.h"
#include "platform/sync/NamedEvent.h"
#include "platform/system/ProgramPath.h"
#include "support/PrivateBus.h"
#include "support/PrivateNetwork.h"
#include "support/PrivateSession.h"
#include "support/RegFixture.h"
#include "support/SimulatedDevice.h"
#include "support/TempRegistry.h"
#include "support/TestData.h"

QX_TEST_USES_PRIVATE_NETWORK();

using namespace qxtest;

namespace {

constexpr const char* kAlumera = "127.0.0.2";  // a-LUMERA3811 in tandem
constexpr const char* kSingle = "127.0.0.3";   // no partner
constexpr const char* kSlow = "127.0.0.5";     // a-LUMERA, its name answers after 1.5 s

std::string Profile(const char* subsystem, const char* name) {
    return ReadTextFile(TestDataPath(subsystem, name));
}

std::string SlowProfile() {
    std::string profile = Profile("automation", "alumera-tandem.snmprec");
    const std::string from = "1.3.6.1.4.1.32473.2.3.50.1.2.3.1.2.1|4|Korvalen 6080 A\n";
    profile.replace(profile.find(from), from.size(),
                    "1.3.6.1.4.1.32473.2.3.50.1.2.3.1.2.1|4:delay|value=Slow,wait=1500\n");
    return profile;
}

class Devices : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!InPrivateNetwork())
            return;
        m_alumera = std::make_unique<SimulatedDevice>(
            kAlumera, Profile("automation", "alumera-tandem.snmprec"));
        m_single = std::make_unique<SimulatedDevice>(kSingle, Profile("state", "single.snmprec"));
        m_slow = std::make_unique<SimulatedDevice>(kSlow, SlowProfile());
        s_started =
            SimulatedDevice::StartAll({m_alumera.get(), m_single.get(), m_slow.get()}, s_error);
    }
    void TearDown() override {
        m_alumera.reset();
        m_single.reset();
        m_slow.reset();
    }
    static bool s_started;
    static std::string s_error;

  private:
    std::unique_ptr<SimulatedDevice> m_alumera, m_single, m_slow;
};
bool Devices::s_started = false;
std::string Devices::s_error;
[[maybe_unused]] const auto* const g_devices = ::testing::AddGlobalTestEnvironment(new Devices);

struct Result {
    int code = -1;
    std::string out, err;
};

Result PrinterConfig(const QStringList& args) {
    QProcess p;
    p.start(QString::fromStdString(qx::ProgramDirectory() + "/qxctl"),
            QStringList{"printer-config"} + args);
    Result r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitCode();
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

QJsonObject Json(const Result& r) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

// A session of its own, then the store, then the bus.
using Session = qxtest::PrivateSession;

class PrinterConfigProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QX_REQUIRE_PRIVATE_NETWORK();
        ASSERT_TRUE(Devices::s_started) << Devices::s_error;
        ASSERT_TRUE(m_bus.Ok());
        SeedRegistry(DataFile("automation", "printer_config_printers.reg"));
        QProcess reg;
        reg.start(QString::fromStdString(qx::ProgramDirectory() + "/AL1MISvr"), {"-RegServer"});
        ASSERT_TRUE(reg.waitForFinished(30000));
        ASSERT_EQ(reg.exitCode(), 0);
    }

    // A driver's object, created over the bus.
    qx::ComPtr<IDispatch> Create() {
        qx::ComPtr<IDispatch> object;
        EXPECT_EQ(qx::bus::CreateRemoteInstance(m_client, qx::KORVALENMISvrEndpoint(),
                                                "KORVALENMISvr.DsePrinterConfigKORVALEN",
                                                IID_IDispatch, object.OutVoid()),
                  S_OK);
        return object;
    }
    static HRESULT Init(IDispatch* object, const char* port, const std::string& eventName) {
        qx::Variant args[] = {qx::Variant(0x40),
                              qx::Variant(std::string_view("")),
                              qx::Variant(port),
                              qx::Variant(eventName),
                              qx::Variant(3),
                              qx::Variant(0),
                              qx::Variant(std::string_view("Printer"))};  // last first
        VARIANTARG raw[7];
        for (int i = 0; i < 7; ++i)
            raw[i] = *args[i].Get();
        DISPPARAMS params{raw, nullptr, 7, 0};
        return object->Invoke(1, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
    static int32_t GetInt(IDispatch* object, DISPID dispid) {
        qx::Variant out;
        VARIANTARG ref;
        VariantInit(&ref);
        ref.vt = VT_BYREF | VT_VARIANT;
        ref.pvarVal = out.Get();
        DISPPARAMS params{&ref, nullptr, 1, 0};
        EXPECT_EQ(object->Invoke(dispid, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                                 nullptr),
                  S_OK);
        return out->vt == VT_I4 ? out->lVal : out->iVal;
    }

    Session m_session;
    TempRegistry m_registry;
    PrivateBus m_bus;
    QDBusConnection m_client = m_bus.Connect();
};

}  // namespace

TEST_F(PrinterConfigProcessTest, EveryPortKindLeadsToTheDevice) {
    for (const char* printer : {"Kind1", "Kind9", "Kind2", "Kind0", "Kind3", "Kind8",
                                "\\\\printsrv\\Kind5", "\\\\printsrv\\Kind9", "\\\\printsrv\\Kind4",
                                "\\\\printsrv\\Kind8", "\\\\127.0.0.2\\Kind6"}) {
        Result r = PrinterConfig({printer, "--json"});
        EXPECT_EQ(r.code, 0) << printer << "\n" << r.out << r.err;
        QJsonObject doc = Json(r);
        EXPECT_EQ(doc["InitPrinter"].toString(), "S_OK") << printer;
        QJsonObject getters = doc["getters"].toObject();
        EXPECT_EQ(getters["IsSNMPSuccess"].toInt(), 1) << printer;
        EXPECT_EQ(getters["GetModel"].toInt(), 1) << printer;
        EXPECT_EQ(getters["GetModelS"].toString(), "A-LUMERA3811") << printer;
    }
}

TEST_F(PrinterConfigProcessTest, TheDriversViewOfOnePrinter) {
    Result r = PrinterConfig({"Kind1", "--json"});
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    QJsonObject getters = Json(r)["getters"].toObject();
    EXPECT_EQ(getters["GetPedestalS"].toString(), "Third drawer") << "packed texts unpacked";
    EXPECT_EQ(getters["GetFinisherTypeS"].toString(), "Finisher");
    EXPECT_EQ(getters["GetPunchUnitS"].toString(), "2-hole punch");
    EXPECT_EQ(getters["GetMemorySize"].toInt(), 262144);
    EXPECT_EQ(getters["IsInserterPresent"].toInt(), 1);
    QJsonObject media = getters["GetMediaType"].toObject();
    EXPECT_EQ(media.size(), 7);
    EXPECT_EQ(media["3"].toInt(), 3);
    EXPECT_EQ(media["5"].toInt(), media["4"].toInt());
    EXPECT_EQ(getters["GetMediaTypeS"].toObject()["3"].toString(), "Plain");
    EXPECT_FALSE(getters["GetUserNameS"].toString().isEmpty());

    r = PrinterConfig({"Kind1", "--instance", "1"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("GetModelS            S_OK         \"A-LUMERA3815 S\"\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.rfind("InitPrinter          S_OK\n", 0), 0u) << "the first line";
}

TEST_F(PrinterConfigProcessTest, FailuresAreTheDriversToSee) {
    Result r = PrinterConfig({"Single", "--instance", "1", "--json"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(Json(r)["InitPrinter"].toString(), "E_FAIL") << "no tandem partner";

    // An ipp:// port leads to the question, which a server without a
    // display cannot ask: no address.
    r = PrinterConfig({"Kind10", "--json"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(Json(r)["InitPrinter"].toString(), "E_FAIL");

    r = PrinterConfig({"No such printer"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("no printer \"No such printer\""), std::string::npos) << r.err;
}

TEST_F(PrinterConfigProcessTest, ADriverCancelsBeforeAndDuringTheRead) {
    qx::NamedEvent event;
    const std::string name = "printer-config-process-test";
    ASSERT_EQ(event.Create(name, qx::NamedEvent::ResetMode::Manual, false), 0);
    auto object = Create();
    ASSERT_TRUE(object);
    ASSERT_EQ(Init(object.Get(), "IP_127.0.0.3", name), S_OK);
    EXPECT_EQ(GetInt(object.Get(), 19), 524288) << "the single device's memory";

    // Before: the server resets the event and reads nothing.
    ASSERT_TRUE(event.Set());
    EXPECT_EQ(Init(object.Get(), "IP_127.0.0.2", name), E_FAIL);
    EXPECT_FALSE(event.TryWait()) << "the server reset the event";
    EXPECT_EQ(GetInt(object.Get(), 19), 524288);

    // During: the device's name answers after 1.5 s; this process signals
    // meanwhile, and the object stops at its next test.
    std::thread canceller([&event] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        event.Set();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Init(object.Get(), "IP_127.0.0.5", name), E_FAIL);
    const auto took = std::chrono::steady_clock::now() - start;
    canceller.join();
    EXPECT_GE(took, std::chrono::milliseconds(1400)) << "the read was not cut short";
    EXPECT_FALSE(event.TryWait()) << "the server reset the event";
    EXPECT_EQ(GetInt(object.Get(), 19), 524288) << "no value of the cancelled read";
    EXPECT_EQ(GetInt(object.Get(), 3), 2) << "the single device's model code";

    // The event is clear again: the next request runs through.
    EXPECT_EQ(Init(object.Get(), "IP_127.0.0.5", name), S_OK);
    EXPECT_EQ(GetInt(object.Get(), 3), 1);
    EXPECT_EQ(GetInt(object.Get(), 19), 262144);
}
