// The printer configuration object in this process, against simulated
// devices in the program's own network namespace, over a real registry store
// and real named events: the getters before any InitPrinter, groups A and B
// and the other codes with what each leaves alone, the drawers, the tandem
// partner, an unreachable device, two objects sharing the device values, and
// the failures before any device is asked (event, library, cancel).

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "automation/CDsePrinterConfigKORVALEN.h"
#include "automation/PrinterConfigTables.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/gui/MessageBox.h"
#include "platform/sync/NamedEvent.h"
#include "platform/system/ProgramPath.h"
#include "platform/system/UserDefaults.h"
#include "support/PrivateNetwork.h"
#include "support/RegFixture.h"
#include "support/SimulatedDevice.h"
#include "support/TempRegistry.h"
#include "support/TestData.h"
#include "trace/Trace.h"

QX_TEST_USES_PRIVATE_NETWORK();

using namespace qx;

namespace {

constexpr const char* kAlumera = "127.0.0.2";  // a-LUMERA3811 in tandem
constexpr const char* kSingle = "127.0.0.3";   // KX-6080, all six trays
constexpr const char* kGroupB = "127.0.0.4";   // KX-6580, otherwise as kSingle
constexpr const char* kSilent = "127.0.0.9";   // nothing answers

constexpr int32_t kLocal = 0x40;

std::string Profile(const char* subsystem, const char* name) {
    return qxtest::ReadTextFile(qxtest::TestDataPath(subsystem, name));
}

std::string GroupBProfile() {
    std::string profile = Profile("state", "single.snmprec");
    const std::string from = "|4|kx-6080\n";
    profile.replace(profile.find(from), from.size(), "|4|kx-6580\n");
    return profile;
}

class Devices : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!qxtest::InPrivateNetwork())
            return;
        m_alumera = std::make_unique<qxtest::SimulatedDevice>(
            kAlumera, Profile("automation", "alumera-tandem.snmprec"));
        m_single =
            std::make_unique<qxtest::SimulatedDevice>(kSingle, Profile("state", "single.snmprec"));
        m_groupB = std::make_unique<qxtest::SimulatedDevice>(kGroupB, GroupBProfile());
        s_started = qxtest::SimulatedDevice::StartAll(
            {m_alumera.get(), m_single.get(), m_groupB.get()}, s_error);
    }
    void TearDown() override {
        m_alumera.reset();
        m_single.reset();
        m_groupB.reset();
    }
    static bool s_started;
    static std::string s_error;

  private:
    std::unique_ptr<qxtest::SimulatedDevice> m_alumera, m_single, m_groupB;
};
bool Devices::s_started = false;
std::string Devices::s_error;
[[maybe_unused]] const auto* const g_devices = ::testing::AddGlobalTestEnvironment(new Devices);

class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_had = true;
            m_old = old;
        }
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

  private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};

// One configuration object as a driver holds it.
class Config {
  public:
    Config() {
        EXPECT_EQ(CDsePrinterConfigKORVALEN::CreateInstance(nullptr, IID_IDsePrinterConfigKORVALEN,
                                                            m_p.OutVoid()),
                  S_OK);
    }
    IDsePrinterConfigKORVALEN* operator->() { return m_p.Get(); }
    IDsePrinterConfigKORVALEN* Get() { return m_p.Get(); }

    HRESULT Init(const std::string& port, int32_t family, const std::string& eventName,
                 int32_t instance = 0, int32_t attributes = kLocal) {
        Bstr printer("Printer"), event(eventName), portName(port), server("");
        return m_p->InitPrinter(printer.Get(), instance, family, event.Get(), portName.Get(),
                                server.Get(), attributes);
    }
    int32_t I4(HRESULT (IDsePrinterConfigKORVALEN::*getter)(VARIANT*)) {
        Variant v;
        EXPECT_EQ((m_p.Get()->*getter)(v.Get()), S_OK);
        EXPECT_EQ(v->vt, VT_I4);
        return v->lVal;
    }
    // A packed text as the driver reads it; also checks that it is packed.
    std::string Text(HRESULT (IDsePrinterConfigKORVALEN::*getter)(VARIANT*)) {
        Variant v;
        EXPECT_EQ((m_p.Get()->*getter)(v.Get()), S_OK);
        EXPECT_EQ(v->vt, VT_BSTR);
        std::string text = UnpackedText(v->bstrVal);
        EXPECT_EQ(SysStringLen(v->bstrVal), text.size() / 2 + 1) << text;
        return text;
    }
    int32_t Media(int32_t location) {
        return ByLocation(&IDsePrinterConfigKORVALEN::GetMediaType, location);
    }
    int32_t Paper(int32_t location) {
        return ByLocation(&IDsePrinterConfigKORVALEN::GetPaperSize, location);
    }
    std::string MediaText(int32_t location) {
        return TextByLocation(&IDsePrinterConfigKORVALEN::GetMediaTypeS, location);
    }
    std::string PaperText(int32_t location) {
        return TextByLocation(&IDsePrinterConfigKORVALEN::GetPaperSizeS, location);
    }
    int16_t Bool(HRESULT (IDsePrinterConfigKORVALEN::*getter)(VARIANT*), VARTYPE vt = VT_BOOL) {
        Variant v;
        EXPECT_EQ((m_p.Get()->*getter)(v.Get()), S_OK);
        EXPECT_EQ(v->vt, vt);
        return v->iVal;
    }

  private:
    int32_t ByLocation(HRESULT (IDsePrinterConfigKORVALEN::*getter)(int32_t, VARIANT*),
                       int32_t location) {
        Variant v;
        EXPECT_EQ((m_p.Get()->*getter)(location, v.Get()), S_OK) << location;
        EXPECT_EQ(v->vt, VT_I4);
        return v->lVal;
    }
    std::string TextByLocation(HRESULT (IDsePrinterConfigKORVALEN::*getter)(int32_t, VARIANT*),
                               int32_t location) {
        Variant v;
        EXPECT_EQ((m_p.Get()->*getter)(location, v.Get()), S_OK) << location;
        EXPECT_EQ(v->vt, VT_BSTR);
        return UnpackedText(v->bstrVal);
    }
    ComPtr<IDsePrinterConfigKORVALEN> m_p;
};

using I = IDsePrinterConfigKORVALEN;

class PrinterConfigTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CDsePrinterConfigKORVALEN::ResetDeviceValuesForTesting();
        qxtest::SeedRegistry(qxtest::DataFile("automation", "printer_config_ports.reg"));
        ASSERT_EQ(m_event.Create(m_eventName, NamedEvent::ResetMode::Manual, false), 0);
        SetTraceDestination(m_trace.c_str());
        SetMessageBoxResponder([this](const MessageBoxRequest& r) {
            m_boxes.push_back(r.text);
            return MessageResult::Ok;
        });
        CoInitialize();
    }
    void TearDown() override {
        CoUninitialize();
        SetMessageBoxResponder({});
        SetTraceDestination("");
    }
    void RequireDevices() {
        QX_REQUIRE_PRIVATE_NETWORK();
        ASSERT_TRUE(Devices::s_started) << Devices::s_error;
    }
    std::string Trace() const {
        std::ifstream in(m_trace);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool Traced(const std::string& line) const {
        return Trace().find(std::string(kTracePrefix) + line + "\n") != std::string::npos;
    }

    qxtest::TempRegistry m_store;
    qxtest::TempDir m_runtime{}, m_dir{};
    ScopedEnv m_runtimeEnv{"XDG_RUNTIME_DIR", m_runtime.Path().c_str()};
    ScopedEnv m_locale{"LC_ALL", "de_DE.UTF-8"};  // paper code 2 by default
    std::string m_trace = m_dir.Path() + "/trace.log";
    std::string m_eventName = "printer-config-test-cancel";
    NamedEvent m_event;
    std::vector<std::string> m_boxes;
};

}  // namespace

TEST_F(PrinterConfigTest, GettersBeforeAnyInitPrinterAnswerZeroAndEmptyTexts) {
    Config config;
    for (auto getter : {&I::GetModel, &I::GetPedestal, &I::GetFinisherType, &I::GetPunchUnit,
                        &I::GetMemorySize, &I::GetADUState})
        EXPECT_EQ(config.I4(getter), 0);
    for (auto getter : {&I::GetModelS, &I::GetPedestalS, &I::GetFinisherTypeS, &I::GetPunchUnitS})
        EXPECT_EQ(config.Text(getter), "");
    for (int32_t location : kConfigLocations) {
        EXPECT_EQ(config.Media(location), 0);
        EXPECT_EQ(config.Paper(location), 0);
    }
    EXPECT_EQ(config.MediaText(3), "Unknown") << "string 360 of media code 0";
    EXPECT_EQ(config.PaperText(15), "Default size") << "string 433 of paper code 0";
    EXPECT_EQ(config.Bool(&I::IsSNMPSuccess), 1);
    EXPECT_EQ(config.Bool(&I::IsExternalLCF), 0);
    EXPECT_EQ(config.Bool(&I::IsInserterPresent, VT_I2), 0);
    EXPECT_TRUE(Traced("GetModel(): returning 0"));
    EXPECT_TRUE(Traced("GetFinisherS(): called"));
    EXPECT_TRUE(Traced("GetMemorySize(): returning 0"));

    // The getter copies into the caller's VARIANT, freeing what it held.
    Variant held(std::string_view("old text"));
    EXPECT_EQ(config->GetModel(held.Get()), S_OK);
    EXPECT_EQ(held->vt, VT_I4);
    EXPECT_EQ(config->GetModel(nullptr), E_POINTER);
}

TEST_F(PrinterConfigTest, TheBypassFeederAndUnknownLocationsAreRefused) {
    Config config;
    Variant v;
    for (auto getter : {&I::GetMediaType, &I::GetMediaTypeS}) {
        EXPECT_EQ((config.Get()->*getter)(14, v.Get()), E_NOTIMPL);
        EXPECT_EQ((config.Get()->*getter)(6, v.Get()), E_INVALIDARG);
    }
    for (auto getter : {&I::GetPaperSize, &I::GetPaperSizeS}) {
        EXPECT_EQ((config.Get()->*getter)(14, v.Get()), E_NOTIMPL);
        EXPECT_EQ((config.Get()->*getter)(-1, v.Get()), E_INVALIDARG);
    }
    EXPECT_EQ(v->vt, VT_EMPTY) << "nothing is written on failure";
    EXPECT_TRUE(Traced("GetMediaType(): DSE_QX2SNMP_INPUTLOCATION_SFB not implemented"));
    EXPECT_TRUE(Traced("GetMediaType() provided invalid location 6"));
    EXPECT_TRUE(Traced("GetPaperSize(): DSE_QX2SNMP_INPUTLOCATION_SFB not implemented"));
    EXPECT_TRUE(Traced("GetPaperSize() provided invalid location -1"));
}

TEST_F(PrinterConfigTest, NamesOfUserAndComputerAreUtf16Texts) {
    Config config;
    Variant user, computer;
    ASSERT_EQ(config->GetUserNameS(user.Get()), S_OK);
    ASSERT_EQ(user->vt, VT_BSTR);
    char expected[251];
    uint32_t size = sizeof expected;
    ASSERT_TRUE(GetUserNameA(expected, &size));
    EXPECT_EQ(Utf8FromBstr(user->bstrVal), expected) << "converted, not packed";
    ASSERT_EQ(config->GetComputerNameS(computer.Get()), S_OK);
    ASSERT_EQ(computer->vt, VT_BSTR);
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    const std::string name = Utf8FromBstr(computer->bstrVal);
    EXPECT_FALSE(name.empty());
    EXPECT_LE(name.size(), 15u);
    EXPECT_EQ(std::string(host).substr(0, name.size()), name);
    EXPECT_TRUE(Traced("GetComputerNameS(): returning " + std::string(expected)))
        << "the user's name is traced with the computer's texts";
}

TEST_F(PrinterConfigTest, GroupAReadsEverythingOfTheDeviceAndOfItsPartner) {
    RequireDevices();
    Config config;
    ASSERT_EQ(config.Init("IP_127.0.0.2", 3, m_eventName), S_OK);
    EXPECT_TRUE(Traced("Inside the  InitPrinter ALMISvr"));
    EXPECT_EQ(config.Bool(&I::IsSNMPSuccess), 1);
    EXPECT_EQ(config.I4(&I::GetModel), 1) << "an a-LUMERA38 model, upper-cased by the table";
    EXPECT_EQ(config.Text(&I::GetModelS), "A-LUMERA3811");
    EXPECT_EQ(config.I4(&I::GetFinisherType), 1) << "device finisher 31";
    EXPECT_EQ(config.Text(&I::GetFinisherTypeS), "Finisher");
    EXPECT_EQ(config.I4(&I::GetPedestal), 1);
    EXPECT_EQ(config.Text(&I::GetPedestalS), "Third drawer");
    EXPECT_EQ(config.I4(&I::GetPunchUnit), 1);
    EXPECT_EQ(config.Text(&I::GetPunchUnitS), "2-hole punch");
    EXPECT_EQ(config.I4(&I::GetMemorySize), 262144);
    EXPECT_EQ(config.I4(&I::GetADUState), 0);
    EXPECT_EQ(config.Bool(&I::IsExternalLCF), 0);
    EXPECT_EQ(config.Bool(&I::IsInserterPresent, VT_I2), 1);
    // Location 3: the later of two trays (paper 5, media 3); location 4 was
    // skipped by the table, so it reads as cleared (2, 2).
    EXPECT_EQ(config.Media(3), 3);
    EXPECT_EQ(config.Paper(3), 1);
    EXPECT_EQ(config.MediaText(3), "Plain");
    EXPECT_EQ(config.Media(4), 0);
    EXPECT_EQ(config.Paper(4), 2) << "German: the locale default";
    EXPECT_EQ(config.Media(5), config.Media(4));
    EXPECT_EQ(config.Paper(5), config.Paper(4));

    ASSERT_EQ(config.Init("IP_127.0.0.2", 3, m_eventName, 1), S_OK);
    EXPECT_EQ(config.I4(&I::GetModel), 1);
    EXPECT_EQ(config.Text(&I::GetModelS), "A-LUMERA3815 S");
    EXPECT_EQ(config.I4(&I::GetFinisherType), 1) << "the partner takes device 0's finisher";
    EXPECT_EQ(config.I4(&I::GetPedestal), 3);
    EXPECT_EQ(config.Text(&I::GetPedestalS), "Large-capacity feeder");
    EXPECT_EQ(config.I4(&I::GetPunchUnit), 3);
    EXPECT_EQ(config.Text(&I::GetPunchUnitS), "4-hole punch");
    EXPECT_EQ(config.I4(&I::GetADUState), 1);
    EXPECT_EQ(config.Bool(&I::IsExternalLCF), 1);
    EXPECT_EQ(config.Bool(&I::IsInserterPresent, VT_I2), 0);
    EXPECT_EQ(config.Media(15), 2) << "device media 8";
    EXPECT_EQ(config.Paper(15), 9) << "device paper 12";
    EXPECT_EQ(config.PaperText(15), "B5");
    EXPECT_EQ(config.Media(8), 9);
    EXPECT_EQ(config.Paper(8), 6);
    EXPECT_EQ(config.Paper(3), 2);

    ScopedEnv english("LC_ALL", "en_US.UTF-8");
    ASSERT_EQ(config.Init("IP_127.0.0.2", 3, m_eventName, 1), S_OK);
    EXPECT_EQ(config.Paper(3), 0) << "English (United States): the locale default";
}

TEST_F(PrinterConfigTest, EveryDrawerOfGroupAAndTheOptionPedestalOfFamily13) {
    RequireDevices();
    Config config;
    ASSERT_EQ(config.Init("IP_127.0.0.3", 13, m_eventName), S_OK);
    const int32_t media[] = {1, 3, 3, 9, 8, 5, 6};  // locations 3, 4, 5, 8, 9, 13, 15
    const int32_t paper[] = {4, 1, 1, 6, 3, 1, 9};
    for (int slot = 0; slot < kConfigSlotCount; ++slot) {
        EXPECT_EQ(config.Media(kConfigLocations[slot]), media[slot]) << kConfigLocations[slot];
        EXPECT_EQ(config.Paper(kConfigLocations[slot]), paper[slot]) << kConfigLocations[slot];
    }
    EXPECT_EQ(config.I4(&I::GetModel), 2);
    EXPECT_EQ(config.Text(&I::GetModelS), "KX-6080");
    EXPECT_EQ(config.I4(&I::GetPedestal), 10) << "option code 12";
    EXPECT_EQ(config.Text(&I::GetPedestalS), "") << "option codes have no text";
    EXPECT_EQ(config.I4(&I::GetFinisherType), 3);
    EXPECT_EQ(config.Text(&I::GetFinisherTypeS), "Finisher with saddle stitch");
    EXPECT_EQ(config.I4(&I::GetMemorySize), 524288);
    EXPECT_EQ(config.Bool(&I::IsExternalLCF), 1);

    // Instance 1 of a device without a partner: read, then refused.
    EXPECT_EQ(config.Init("IP_127.0.0.3", 13, m_eventName, 1), E_FAIL);
    EXPECT_EQ(config.Bool(&I::IsSNMPSuccess), 1) << "the device was read";
    EXPECT_EQ(config.I4(&I::GetMemorySize), 524288);
    EXPECT_EQ(config.Init("IP_127.0.0.3", 13, m_eventName, 2), E_INVALIDARG) << "no third device";
}

TEST_F(PrinterConfigTest, GroupBAndOtherCodesLeaveWhatTheyDoNotRead) {
    RequireDevices();
    Config config;
    ASSERT_EQ(config.Init("IP_127.0.0.3", 3, m_eventName), S_OK);

    ASSERT_EQ(config.Init("IP_127.0.0.4", 2, m_eventName), S_OK);
    EXPECT_EQ(config.I4(&I::GetModel), 3) << "KX-6580: 65 before 80";
    EXPECT_EQ(config.Text(&I::GetModelS), "KX-6080") << "group B keeps the model text";
    EXPECT_EQ(config.I4(&I::GetFinisherType), 2) << "device finisher 33";
    EXPECT_EQ(config.Text(&I::GetFinisherTypeS), "Finisher with saddle stitch");
    EXPECT_EQ(config.I4(&I::GetPunchUnit), 2);
    EXPECT_EQ(config.I4(&I::GetPedestal), 2) << "from the group A call";
    // Group B reads location 5, which the table does not know: location 4's
    // values again; 8 and 9 stay.
    EXPECT_EQ(config.Media(5), config.Media(4));
    EXPECT_EQ(config.Media(8), 9);

    // Another code: only drawers 3, 4, 13 and 15; the tandem device's
    // trays differ from the single device's.
    ASSERT_EQ(config.Init("IP_127.0.0.2", 1, m_eventName), S_OK);
    EXPECT_EQ(config.I4(&I::GetModel), 3);
    EXPECT_EQ(config.I4(&I::GetFinisherType), 2);
    EXPECT_EQ(config.Media(3), 3);
    EXPECT_EQ(config.Paper(3), 1);
    EXPECT_EQ(config.Media(4), 0);
    EXPECT_EQ(config.Media(13), 0);
    EXPECT_EQ(config.Media(15), 0);
    EXPECT_EQ(config.Media(5), 3) << "slot 5 keeps the group B value";
    EXPECT_EQ(config.Media(8), 9);
    EXPECT_EQ(config.Paper(9), 3);
}

TEST_F(PrinterConfigTest, AnUnreachableDeviceGivesSuccessWithoutValues) {
    RequireDevices();
    Config first, second;
    ASSERT_EQ(first.Init("IP_127.0.0.3", 3, m_eventName), S_OK);
    ASSERT_EQ(second.Init(std::string("IP_") + kSilent, 3, m_eventName), S_OK);
    EXPECT_EQ(second.Bool(&I::IsSNMPSuccess), 0);
    EXPECT_EQ(first.Bool(&I::IsSNMPSuccess), 1) << "the flag belongs to the object";
    EXPECT_EQ(second.I4(&I::GetMemorySize), 524288) << "values unchanged";
    EXPECT_EQ(second.Text(&I::GetModelS), "KX-6080");
    EXPECT_EQ(second.Media(3), 1);
}

TEST_F(PrinterConfigTest, TwoObjectsShareTheDeviceValues) {
    RequireDevices();
    Config first, second;
    ASSERT_EQ(first.Init("IP_127.0.0.2", 3, m_eventName), S_OK);
    EXPECT_EQ(first.I4(&I::GetModel), 1);
    ASSERT_EQ(second.Init("IP_127.0.0.3", 3, m_eventName), S_OK);
    EXPECT_EQ(first.I4(&I::GetModel), 2) << "the second printer's model";
    EXPECT_EQ(first.Text(&I::GetModelS), "KX-6080");
    EXPECT_EQ(first->ExitPrinter(), S_OK);
    EXPECT_EQ(second.I4(&I::GetMemorySize), 524288) << "ExitPrinter keeps the values";
    EXPECT_EQ(second->ExitPrinter(), S_OK);
}

TEST_F(PrinterConfigTest, NoEventNoLibraryOrACancelledEventEndBeforeAnyDevice) {
    Config config;
    EXPECT_EQ(config.Init("IP_127.0.0.3", 3, "nobody-holds-this-event"), S_FALSE);
    EXPECT_TRUE(Traced("Failed in opening event"));
    EXPECT_EQ(config.Init("IP_127.0.0.3", 3, std::string(300, 'e')), S_FALSE)
        << "a name cut at 255 characters names no event either";

    ASSERT_TRUE(m_event.Set());
    EXPECT_EQ(config.Init("IP_127.0.0.3", 3, m_eventName), E_FAIL);
    EXPECT_FALSE(m_event.TryWait()) << "the object reset the event";
    EXPECT_EQ(config.I4(&I::GetModel), 0) << "nothing was read";

    qxtest::TempDir empty;
    SetProgramDirectoryForTesting(empty.Path());
    EXPECT_EQ(config.Init("IP_127.0.0.3", 3, m_eventName), S_FALSE);
    EXPECT_EQ(config.MediaText(3), "") << "no library, no text";
    SetProgramDirectoryForTesting("");
    EXPECT_TRUE(Traced("return S_FALSE"));
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[0], "Could not Load Language Library");
}

TEST_F(PrinterConfigTest, ExitPrinterGivesBackOnlyWhatInitPrinterTook) {
    ASSERT_TRUE(IsComInitialized());
    {
        Config config;
        EXPECT_EQ(config->ExitPrinter(), S_OK);
        EXPECT_EQ(config->ExitPrinter(), S_OK);
    }
    EXPECT_TRUE(IsComInitialized()) << "the thread's own COM use survives stray ExitPrinter calls";
}
