// The printer summary table. SummaryTableTest needs no device and runs
// everywhere: a new table, its address and target, the lock operations, and
// refreshes that end before anything is sent (no mapping files, an address
// that names no target, a missing tandem element). SummaryTableDeviceTest
// reads simulated devices (snmpsimd, profiles in tests/state/data) in the
// program's own network namespace: the refresh in order with its failure
// rules, the general readers, the option detection, trays, finisher rules
// and alerts.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "model/MgtComponent.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/ProgramPath.h"
#include "settings/Settings.h"
#include "state/DsePrinterSummaryTable.h"
#include "support/PrivateNetwork.h"
#include "support/SimulatedDevice.h"
#include "support/TempRegistry.h"
#include "support/TestData.h"
#include "trace/Trace.h"

QX_TEST_USES_PRIVATE_NETWORK();

namespace qx {

// Readable failures for record comparisons.
void PrintTo(const PrinterAlert& a, std::ostream* os) {
    *os << "{" << a.nAlertCode << ", " << a.nPrtAlertCode << "}";
}

void PrintTo(const PrinterDeviceRecord& r, std::ostream* os) {
    *os << "{name \"" << r.m_strName << "\", location \"" << r.m_strLocation << "\", model \""
        << r.m_strModel << "\", descr \"" << r.m_strDeviceDescr << "\", pedestal " << r.m_nPedestal
        << ", punch " << r.m_nPunchType << ", fax " << r.m_nFaxEnabled << ", finisher "
        << r.m_nFinisherType << ", ADU " << r.m_nADUState << ", memory " << r.m_nMemorySize
        << ", inserter " << r.m_bInserter << ", feeder " << r.m_bExternalFeeder << "/"
        << r.m_nFeederCode << ", slots";
    for (int i = 0; i < PrinterDeviceRecord::kTraySlotCount; ++i)
        *os << " " << r.m_paperSize[i] << "/" << r.m_mediaType[i] << "/" << r.m_percentFull[i];
    *os << ", alerts";
    for (const PrinterAlert& a : r.m_alerts)
        PrintTo(a, os);
    *os << "}";
}

}  // namespace qx

using namespace qx;
using namespace std::chrono;

namespace {

constexpr const char* kSingle = "127.0.0.2";
constexpr const char* kTandem = "127.0.0.3";
constexpr const char* kKorvalen = "127.0.0.4";
constexpr const char* kRk2030 = "127.0.0.5";
constexpr const char* kSeparatorPair = "127.0.0.6";
constexpr const char* kFinisherPair = "127.0.0.7";
constexpr const char* kSlowMemory = "127.0.0.8";
constexpr const char* kManyAlerts = "127.0.0.9";

const std::string kAlertRow = "1.3.6.1.4.1.32473.2.3.50.1.4.1.1.2.1.";
const std::string kPrtAlertCodeRow = "1.3.6.1.2.1.43.18.1.1.7.1.";
const std::string kPrtAlertDescriptionRow = "1.3.6.1.2.1.43.18.1.1.8.1.";

std::string Profile(const char* subsystem, const char* name) {
    return qxtest::ReadTextFile(qxtest::TestDataPath(subsystem, name));
}

// More alert rows than a walk reads: maker code n, Printer-MIB code 1000 + n
// with the description "(n in hexadecimal) ...".
std::string ManyAlertsProfile() {
    std::string profile = Profile("state", "many-alerts.snmprec");
    char description[64];
    for (int n = 1; n <= CDsePrinterSummaryTable::kMaxAlertRows + 44; ++n) {
        std::snprintf(description, sizeof description, "(%X) Alert number %d", n, n);
        profile += kAlertRow + std::to_string(n) + "|2|" + std::to_string(n) + "\n";
        profile += kPrtAlertCodeRow + std::to_string(n) + "|2|" + std::to_string(1000 + n) + "\n";
        profile += kPrtAlertDescriptionRow + std::to_string(n) + "|4|" + description + "\n";
    }
    return profile;
}

// The simulated devices, started once for the whole program.
class Devices : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!qxtest::InPrivateNetwork())
            return;
        using qxtest::SimulatedDevice;
        m_devices = {
            new SimulatedDevice(kSingle, Profile("state", "single.snmprec")),
            new SimulatedDevice(kTandem, Profile("state", "tandem.snmprec")),
            new SimulatedDevice(kKorvalen, Profile("model", "korvalen.snmprec")),
            new SimulatedDevice(kRk2030, Profile("state", "rk2030.snmprec")),
            new SimulatedDevice(kSeparatorPair, Profile("state", "separator-pair.snmprec")),
            new SimulatedDevice(kFinisherPair, Profile("state", "finisher-pair.snmprec")),
            new SimulatedDevice(kSlowMemory, Profile("state", "slow-memory.snmprec")),
            new SimulatedDevice(kManyAlerts, ManyAlertsProfile()),
        };
        s_started =
            SimulatedDevice::StartAll({m_devices[0], m_devices[1], m_devices[2], m_devices[3],
                                       m_devices[4], m_devices[5], m_devices[6], m_devices[7]},
                                      s_error);
    }
    void TearDown() override {
        for (auto* device : m_devices)
            delete device;
        m_devices.clear();
    }

    static bool s_started;
    static std::string s_error;

  private:
    std::vector<qxtest::SimulatedDevice*> m_devices;
};

bool Devices::s_started = false;
std::string Devices::s_error;

[[maybe_unused]] const auto* const g_devices = ::testing::AddGlobalTestEnvironment(new Devices);

// The trace of the test, line by line without the prefix.
class TraceCapture {
  public:
    TraceCapture() : m_path(m_dir.Path() + "/trace.log") {
        qx::SetTraceDestination(m_path.c_str());
    }
    ~TraceCapture() { qx::SetTraceDestination(""); }

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::ifstream in(m_path);
        std::string line;
        const std::string prefix = kTracePrefix;
        while (std::getline(in, line)) {
            EXPECT_EQ(line.compare(0, prefix.size(), prefix), 0) << line;
            lines.push_back(line.substr(std::min(prefix.size(), line.size())));
        }
        return lines;
    }
    int Count(const std::string& text) const {
        int count = 0;
        for (const std::string& line : Lines())
            count += line == text;
        return count;
    }
    // The lines from the first one that equals text on, at most n of them.
    std::vector<std::string> From(const std::string& text, size_t n) const {
        std::vector<std::string> lines = Lines();
        auto it = std::find(lines.begin(), lines.end(), text);
        std::vector<std::string> tail(it, lines.end());
        if (tail.size() > n)
            tail.resize(n);
        return tail;
    }
    void Clear() { std::ofstream(m_path, std::ios::trunc); }

  private:
    qxtest::TempDir m_dir;
    std::string m_path;
};

// A management component that records what the table asks of it; the
// answer to the partner's selection can be set.
class RecordingMgt : public Imgt {
  public:
    HRESULT QueryInterface(REFIID, void** ppv) override {
        if (ppv)
            *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT GetTypeInfoCount(uint32_t*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(uint32_t, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, const OLECHAR* const*, uint32_t, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT Invoke(DISPID, REFIID, LCID, uint16_t, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                   uint32_t*) override {
        return E_NOTIMPL;
    }
    HRESULT SelectDevice(int32_t mode, int32_t device) override {
        calls.push_back("SelectDevice(" + std::to_string(mode) + "," + std::to_string(device) +
                        ")");
        return mode == 1 ? partnerResult : S_OK;
    }
    HRESULT Method2(int32_t, VARIANT*) override { return E_NOTIMPL; }
    HRESULT getElement(int32_t, int32_t, VARIANT*) override { return E_NOTIMPL; }
    HRESULT Method4(int32_t, int32_t) override { return E_NOTIMPL; }
    HRESULT getRowCount(int32_t, int32_t*) override { return E_NOTIMPL; }
    HRESULT setElement(int32_t id, int32_t index, VARIANT* value) override {
        std::string text = value && value->vt == VT_BSTR ? Utf8FromBstr(value->bstrVal) : "?";
        calls.push_back("setElement(" + std::to_string(id) + "," + std::to_string(index) + "," +
                        text + ")");
        return S_OK;
    }
    HRESULT Method6(int32_t, int32_t, VARIANT*) override { return E_NOTIMPL; }

    std::vector<std::string> calls;
    HRESULT partnerResult = S_OK;
};

// Points the program directory at a copy of the installed mapping files,
// without the lines of some elements or without some files.
class MappingCopy {
  public:
    MappingCopy(const std::set<std::string>& droppedElements,
                const std::set<std::string>& droppedFiles = {}) {
        const std::string installed = qx::ProgramDirectory();
        for (const char* name : kMapFileNames) {
            if (droppedFiles.count(name))
                continue;
            std::ifstream in(installed + "/" + name);
            std::ofstream out(m_dir.Path() + "/" + name);
            std::string line;
            while (std::getline(in, line)) {
                std::string id = line.substr(0, line.find('\t'));
                if (!droppedElements.count(id))
                    out << line << "\n";
            }
        }
        qx::SetProgramDirectoryForTesting(m_dir.Path());
    }
    ~MappingCopy() { qx::SetProgramDirectoryForTesting(""); }
    const std::string& Dir() const { return m_dir.Path(); }

  private:
    qxtest::TempDir m_dir;
};

// A setting of family 1 in the test's registry store.
void SetSetting(uint32_t id, uint32_t value) {
    reg::Key key;
    ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser, SettingsKey(1), key), 0);
    ASSERT_EQ(SetDwordSetting(id, value, 1), 0);
}

PrinterDeviceRecord ClearedRecord() {
    PrinterDeviceRecord record;
    record.Clear();
    return record;
}

class SummaryTableTest : public ::testing::Test {
  protected:
    // A table for the address, refreshed; family code as given.
    std::unique_ptr<CDsePrinterSummaryTable> Refreshed(const char* address, HRESULT expected = S_OK,
                                                       int32_t familyCode = 0) {
        auto table = std::make_unique<CDsePrinterSummaryTable>();
        table->m_nFamilyCode = familyCode;
        table->m_pMgt = &mgt;
        table->SetAddress(address);
        EXPECT_EQ(table->Refresh(), expected) << address;
        return table;
    }

    qxtest::TempRegistry registry;
    TraceCapture trace;
    RecordingMgt mgt;
};

class SummaryTableDeviceTest : public SummaryTableTest {
  protected:
    void SetUp() override {
        QX_REQUIRE_PRIVATE_NETWORK();
        ASSERT_TRUE(Devices::s_started) << Devices::s_error;
    }
};

}  // namespace

TEST_F(SummaryTableTest, ANewTableHasLoadedItsMappingFilesAndHoldsNoValues) {
    CDsePrinterSummaryTable table;
    ASSERT_NE(table.m_pMibTable, nullptr) << table.MibLoadError();
    EXPECT_EQ(table.MibLoadError(), "");
    ASSERT_EQ(table.m_mapFiles.size(), 5u);
    EXPECT_EQ(table.m_mapFiles[0], ProgramDirectory() + "/HRMap.txt");
    EXPECT_EQ(table.m_mapFiles[4], ProgramDirectory() + "/OdraNMap.txt");
    EXPECT_EQ(table.m_pMgt, nullptr);
    EXPECT_EQ(table.m_pEventSource, nullptr);
    ASSERT_EQ(table.m_varAddress->vt, VT_BSTR);
    EXPECT_EQ(Utf8FromBstr(table.m_varAddress->bstrVal), "");
    EXPECT_FALSE(table.m_bValid);
    EXPECT_FALSE(table.m_bTandem);
    EXPECT_EQ(table.m_bDebugLocks, 0u);
    EXPECT_EQ(table.m_errorState[0], 0);
    EXPECT_EQ(table.m_errorState[1], 0);
    for (const PrinterDeviceRecord& device : table.m_devices) {
        EXPECT_EQ(device.m_nFinisherType, 0);
        EXPECT_EQ(device.m_bExternalFeeder, 0);
        for (int slot = 0; slot < PrinterDeviceRecord::kTraySlotCount; ++slot) {
            EXPECT_EQ(device.m_paperSize[slot], 2);
            EXPECT_EQ(device.m_mediaType[slot], 2);
            EXPECT_EQ(device.m_percentFull[slot], 1);
        }
        EXPECT_TRUE(device.m_alerts.empty());
    }
}

TEST_F(SummaryTableTest, SetAddressTellsTheComponentAndSetsUpTheTarget) {
    SetSetting(SETTING_SNMP_NO_CONNECT_TIMEOUT, 250);
    CDsePrinterSummaryTable table(&mgt);
    table.SetAddress("255.255.255.255");
    EXPECT_EQ(mgt.calls,
              (std::vector<std::string>{"SelectDevice(0,0)", "setElement(999,0,255.255.255.255)"}));
    EXPECT_EQ(Utf8FromBstr(table.m_varAddress->bstrVal), "255.255.255.255");
    EXPECT_EQ(table.Target().Kind(), SnmpAddressKind::Ip) << "15 characters";
    EXPECT_EQ(table.Target().Timeout(), 250u);

    // A second address replaces the first everywhere; the composite still
    // holds the one scalar.
    SetSetting(SETTING_SNMP_NO_CONNECT_TIMEOUT, 40);
    table.SetAddress("0000000A:00004A123456");
    EXPECT_EQ(table.Target().Kind(), SnmpAddressKind::Ipx);
    EXPECT_EQ(table.Target().Timeout(), 40u);
    table.m_composite.Reset();
    VARIANT child;
    ASSERT_EQ(table.m_composite.Next(1, &child, nullptr), S_OK);
    ASSERT_EQ(child.vt, VT_UNKNOWN);
    EXPECT_EQ(static_cast<void*>(child.punkVal),
              static_cast<void*>(static_cast<IUnknown*>(&table.m_scalar)));
    VariantClear(&child);
    ASSERT_EQ(table.m_composite.Next(1, &child, nullptr), S_OK);
    EXPECT_EQ(child.vt, VT_EMPTY) << "the scalar was added once";
    int32_t id = 0;
    table.m_scalar.GetElementId(&id);
    EXPECT_EQ(id, EID_DEVICEADDRESS);
    Variant held;
    ASSERT_EQ(table.m_scalar.GetValue(held.Get()), S_OK);
    ASSERT_EQ(held->vt, VT_BSTR);
    EXPECT_EQ(Utf8FromBstr(held->bstrVal), "0000000A:00004A123456");

    table.SetAddress("1234567890123456789012");
    EXPECT_EQ(table.Target().Kind(), SnmpAddressKind::None) << "22 characters";

    // Without a management component only the table and target change.
    CDsePrinterSummaryTable alone;
    alone.SetAddress(kSingle);
    EXPECT_EQ(alone.Target().AddressText(), kSingle);
    EXPECT_EQ(alone.Target().Timeout(), 40u);
}

TEST_F(SummaryTableDeviceTest, TheManagementComponentLearnsTheAddress) {
    ASSERT_EQ(RegisterMgtComponent(), S_OK);
    CoInitialize();
    {
        ComPtr<Imgt> component;
        ASSERT_EQ(CoCreateInstance(CLSID_mgt, nullptr, CLSCTX_INPROC_SERVER, IID_Imgt,
                                   component.OutVoid()),
                  S_OK);
        CDsePrinterSummaryTable table(component.Get());
        table.SetAddress(kSingle);
        Variant address;
        ASSERT_EQ(component->getElement(EID_DEVICEADDRESS, 0, address.Get()), S_OK);
        ASSERT_EQ(address->vt, VT_BSTR);
        EXPECT_EQ(Utf8FromBstr(address->bstrVal), kSingle);
        // The component now reads the same device the table reads.
        Variant name;
        ASSERT_EQ(component->getElement(EID_ODRAGENERALQXNAME, -1, name.Get()), S_OK);
        EXPECT_EQ(Utf8FromBstr(name->bstrVal), "Korvalen 6080");
        EXPECT_EQ(table.Refresh(), S_OK);
    }
    CoUninitialize();
}

TEST_F(SummaryTableDeviceTest, ASingleDeviceWithAllSixTrays) {
    auto table = Refreshed(kSingle);
    EXPECT_TRUE(table->m_bValid);
    EXPECT_FALSE(table->m_bTandem);
    EXPECT_EQ(table->m_strMacAddress, "00.00.4A.12.34.56");
    EXPECT_EQ(table->m_errorState[0], 0x04);
    EXPECT_EQ(table->m_errorState[1], 0) << "only the first byte is kept";

    const PrinterDeviceRecord& d = table->m_devices[0];
    EXPECT_EQ(d.m_strName, "Korvalen 6080");
    EXPECT_EQ(d.m_strLocation, "Second floor, room 2.14");
    EXPECT_EQ(d.m_strModel, "KX-6080");
    EXPECT_EQ(d.m_strDeviceDescr, "Korvalen 6080 controller");
    EXPECT_EQ(d.m_strStatusText, "");
    EXPECT_EQ(d.m_nPedestal, 4);
    EXPECT_EQ(d.m_nPunchType, 4);
    EXPECT_EQ(d.m_nFaxEnabled, 3);
    EXPECT_EQ(d.m_nFinisherType, 33);
    EXPECT_EQ(d.m_nADUState, 1);
    EXPECT_EQ(d.m_nMemorySize, 524288);
    EXPECT_EQ(d.m_bInserter, 1);
    EXPECT_EQ(d.m_bExternalFeeder, 1);
    EXPECT_EQ(d.m_nFeederCode, 5);
    const int32_t paper[8] = {4, 2, 5, 3, 10, 11, 2, 12};
    const int32_t media[8] = {12, 2, 3, 4, 5, 6, 2, 7};
    // Slot 7 of the fill levels is never written: it keeps its first value.
    const int32_t percent[8] = {80, 0, 60, 40, 20, 100, 50, 1};
    for (int slot = 0; slot < 8; ++slot) {
        EXPECT_EQ(d.m_paperSize[slot], paper[slot]) << slot;
        EXPECT_EQ(d.m_mediaType[slot], media[slot]) << slot;
        EXPECT_EQ(d.m_percentFull[slot], percent[slot]) << slot;
    }

    struct Tray {
        int32_t location, paper, media, percent;
    };
    for (Tray t : {Tray{3, 4, 12, 80}, Tray{4, 5, 3, 60}, Tray{8, 3, 4, 40}, Tray{9, 10, 5, 20},
                   Tray{13, 11, 6, 100}, Tray{15, 12, 7, 50}}) {
        int32_t p = -7, m = -7, f = -7;
        table->GetInputInfo(t.location, &p, &m, &f, 0);
        EXPECT_EQ(p, t.paper) << t.location;
        EXPECT_EQ(m, t.media) << t.location;
        EXPECT_EQ(f, t.percent) << t.location;
    }
    // Codes without slots, and devices that do not exist, leave the outputs alone.
    for (auto [location, device] : {std::pair{5, 0}, {14, 0}, {0, 0}, {3, 2}, {3, -1}}) {
        int32_t p = -7, m = -7, f = -7;
        table->GetInputInfo(location, &p, &m, &f, device);
        EXPECT_EQ(p, -7);
        EXPECT_EQ(m, -7);
        EXPECT_EQ(f, -7);
    }
    table->GetInputInfo(3, nullptr, nullptr, nullptr, 0);

    EXPECT_EQ(d.m_alerts,
              (std::vector<PrinterAlert>{{6699, 8}, {0, 1101}, {3073, 1102}, {4660, 1}}));
    EXPECT_EQ(
        trace.Count("CDsePrinterSummaryTable::snmppGetPrinterAlerts: added alert 6699 to table"),
        1);
    EXPECT_EQ(trace.Count("EID_HRPRINTERSTATUS=idle(3)"), 1);

    // Not in tandem: the partner keeps what the clear gave it, and the
    // component is never switched to it.
    EXPECT_EQ(table->m_devices[1], ClearedRecord());
    EXPECT_EQ(mgt.calls,
              (std::vector<std::string>{"SelectDevice(0,0)", "setElement(999,0,127.0.0.2)"}));
}

TEST_F(SummaryTableDeviceTest, EveryRefreshStartsFromTheClear) {
    auto table = Refreshed(kSingle);
    table->m_devices[1].m_strName = "left over";
    table->m_devices[1].m_nPedestal = 9;
    table->m_devices[0].m_nADUState = 7;
    EXPECT_EQ(table->Refresh(), S_OK);
    EXPECT_EQ(table->m_devices[0].m_alerts.size(), 4u) << "alerts are read afresh, not added";
    EXPECT_EQ(table->m_devices[1].m_strName, "");
    EXPECT_EQ(table->m_devices[1].m_nPedestal, 2);
    EXPECT_EQ(table->m_devices[0].m_nADUState, 1);
    EXPECT_EQ(table->m_devices[0].m_percentFull[7], 1);

    // The finisher type is not cleared: a device without a recognised bin
    // keeps what it had.
    auto many = Refreshed(kManyAlerts);
    many->m_devices[0].m_nFinisherType = 31;
    EXPECT_EQ(many->Refresh(), S_OK);
    EXPECT_EQ(many->m_devices[0].m_nFinisherType, 31);
}

TEST_F(SummaryTableDeviceTest, ATandemPair) {
    auto table = Refreshed(kTandem);
    EXPECT_TRUE(table->m_bValid);
    EXPECT_TRUE(table->m_bTandem);
    EXPECT_EQ(table->m_strMacAddress, "00.00.AA.00.BB.01");
    EXPECT_EQ(table->m_errorState[0], 0x20) << "the partner's read overwrites the first device's";
    EXPECT_EQ(mgt.calls,
              (std::vector<std::string>{"SelectDevice(0,0)", "setElement(999,0,127.0.0.3)",
                                        "SelectDevice(1,1)"}));

    PrinterDeviceRecord first = ClearedRecord();
    first.m_strName = "Korvalen 6080 A";
    first.m_strLocation = "Hall 3";
    first.m_strModel = "KX-6080";
    first.m_strDeviceDescr = "Korvalen 6080 controller";
    first.m_nPedestal = 3;
    first.m_nPunchType = 3;
    first.m_nFaxEnabled = 4;
    first.m_nFinisherType = 31;
    first.m_nADUState = 0;
    first.m_nMemorySize = 262144;
    first.m_bInserter = 1;
    // Two trays at location 3: the later one's values. The tray at 5 is
    // kept nowhere; the one at 4 without a paper size is skipped.
    first.m_paperSize[0] = 5;
    first.m_mediaType[0] = 3;
    first.m_percentFull[0] = 30;
    first.m_alerts = {{4660, 1}};
    EXPECT_EQ(table->m_devices[0], first);

    PrinterDeviceRecord partner = ClearedRecord();
    partner.m_strName = "Korvalen 6080 A";  // reported empty
    partner.m_strLocation = "Hall 3";       // not answered
    partner.m_strModel = "KX-6080S";
    partner.m_strDeviceDescr = "Korvalen 6080 partner controller";
    partner.m_nPedestal = 5;
    partner.m_nPunchType = 5;
    partner.m_nFaxEnabled = 3;
    partner.m_nFinisherType = 31;  // no finisher bin of its own: device 0's
    partner.m_nADUState = 1;
    partner.m_nMemorySize = 262144;
    partner.m_bInserter = 0;
    partner.m_bExternalFeeder = 1;
    partner.m_paperSize[7] = 12;
    partner.m_mediaType[7] = 8;
    partner.m_percentFull[6] = 70;
    partner.m_nFeederCode = 5;
    partner.m_paperSize[3] = 3;
    partner.m_mediaType[3] = 4;
    partner.m_percentFull[3] = 10;
    partner.m_alerts = {{6699, 8}, {6699, 1}};  // the first with the code gets the match
    EXPECT_EQ(table->m_devices[1], partner);

    int32_t p = 0, m = 0, f = 0;
    table->GetInputInfo(15, &p, &m, &f, 1);
    EXPECT_EQ(p, 12);
    EXPECT_EQ(m, 8);
    EXPECT_EQ(f, 70);

    EXPECT_EQ(trace.Count("EID_ODRAINPUTMEDIAPAPERSIZE: failed to get"), 1);
    EXPECT_EQ(trace.Count("EID_ODRAINPUTLOCATION: failed to get"), 2 + 4);
    EXPECT_EQ(trace.Count("bFinisher is false"), 1);
    EXPECT_EQ(trace.Count("EID_HRPRINTERSTATUS=printing(4)"), 1);
    EXPECT_EQ(trace.Count("EID_HRPRINTERSTATUS=warmup(5)"), 1);
}

TEST_F(SummaryTableDeviceTest, APartnerRefusedByTheComponentEndsTheRefresh) {
    auto table = Refreshed(kTandem);
    ASSERT_TRUE(table->m_bValid);
    const HRESULT refused = static_cast<HRESULT>(0x80070005);
    mgt.partnerResult = refused;
    EXPECT_EQ(table->Refresh(), refused);
    EXPECT_FALSE(table->m_bValid) << "the values of this refresh are incomplete";
    EXPECT_EQ(table->m_devices[1].m_strModel, "KX-6080S") << "its general values were read";
    EXPECT_EQ(table->m_devices[1].m_bExternalFeeder, 0) << "its trays were not";
    EXPECT_TRUE(table->m_devices[1].m_alerts.empty());
    EXPECT_EQ(table->m_devices[0].m_alerts.size(), 1u);
}

TEST_F(SummaryTableDeviceTest, TheKorvalenPairHasNoModelToRead) {
    auto table = Refreshed(kKorvalen);
    EXPECT_TRUE(table->m_bTandem);
    for (const PrinterDeviceRecord& device : table->m_devices)
        EXPECT_EQ(device.m_strModel, "") << "the device answers the model element, unasked";
    EXPECT_EQ(table->m_devices[0].m_strDeviceDescr, "Korvalen 5070 controller") << "by GET";
    EXPECT_EQ(table->m_devices[1].m_strDeviceDescr, "Korvalen 5070 partner controller");
    EXPECT_EQ(table->m_devices[1].m_strName, "Korvalen 5070");
    EXPECT_EQ(table->m_devices[1].m_strLocation, "Second floor, room 2.14");
    EXPECT_EQ(table->m_devices[0].m_alerts,
              (std::vector<PrinterAlert>{{6699, 808}, {6700, 1}, {6701, 1}}));
    EXPECT_EQ(trace.Count("EID_HRPRINTERSTATUS=idle(3)"), 1);
}

TEST_F(SummaryTableDeviceTest, AnRk2030IsReadByGetNext) {
    auto table = Refreshed(kRk2030);
    const PrinterDeviceRecord& d = table->m_devices[0];
    EXPECT_EQ(d.m_strModel, "RK-2030") << "stored in upper case";
    // The device answers these only below its instance: GET would miss them.
    EXPECT_EQ(d.m_strDeviceDescr, "RK-2030 print engine");
    EXPECT_EQ(trace.Count("EID_HRPRINTERSTATUS=printing(4)"), 1);
    EXPECT_EQ(trace.Count("EID_HRPRINTERSTATUS: failed to get"), 0);
    EXPECT_EQ(table->m_errorState[0], 0x40);
    EXPECT_EQ(d.m_nPedestal, 1);
    EXPECT_EQ(d.m_strName, "Reception");
}

TEST_F(SummaryTableDeviceTest, FamilyCode13TakesThePedestalFromTheOptionUnits) {
    struct Case {
        const char* address;
        int32_t pedestal;  // for both devices of a pair
        const char* units;
    };
    for (Case c : {Case{kRk2030, 11, "2 and 5"}, Case{kKorvalen, 13, "2 and 4, 5 reported 0"},
                   Case{kSingle, 12, "2 and 3, 4 reported 0, 5 not answered"},
                   Case{kFinisherPair, 10, "2 only"}, Case{kTandem, 7, "5 only"},
                   Case{kSeparatorPair, 9, "4, 5 reported 0"}, Case{kManyAlerts, 8, "3 only"}}) {
        auto table = Refreshed(c.address, S_OK, CDsePrinterSummaryTable::kOptionFamilyCode);
        const int count = table->m_bTandem ? 2 : 1;
        for (int d = 0; d < count; ++d)
            EXPECT_EQ(table->m_devices[d].m_nPedestal, c.pedestal) << c.units << ", device " << d;
    }
    // Other family codes read the pedestal element.
    EXPECT_EQ(Refreshed(kSingle, S_OK, 3)->m_devices[0].m_nPedestal, 4);
    EXPECT_EQ(Refreshed(kTandem, S_OK, 0)->m_devices[1].m_nPedestal, 5);
    // The seventh code (6, no unit) is shown by the slow device below.
}

TEST_F(SummaryTableDeviceTest, TheFinisherRules) {
    struct Case {
        const char* address;
        int device;
        int32_t finisher;
        const char* rule;
    };
    for (Case c : {
             Case{kSingle, 0, 33, "finisher bin of kind 4, then a saddle tray"},
             Case{kKorvalen, 0, 33, "finisher bin of kind 3, then a saddle tray"},
             Case{kTandem, 0, 31, "a saddle tray before the finisher bin is ignored"},
             Case{kTandem, 1, 31, "no finisher bin: device 0's type"},
             Case{kKorvalen, 1, 2, "Offset Catch Tray"},
             Case{kRk2030, 0, 2, "offset catch tray in lower case, after a bin that fails"},
             Case{kSeparatorPair, 0, 3, "job separator"},
             Case{kSeparatorPair, 1, 34, "finisher bin of kind 6 ends before the offset tray"},
             Case{kFinisherPair, 0, 32, "finisher bin of kind 4 without a saddle tray"},
             Case{kFinisherPair, 1, 32, "finisher bin of an unknown kind: device 0's type"},
             Case{kManyAlerts, 0, 0, "no output bins"},
         }) {
        auto table = Refreshed(c.address);
        EXPECT_EQ(table->m_devices[c.device].m_nFinisherType, c.finisher) << c.rule;
    }
}

TEST_F(SummaryTableDeviceTest, TheFinisherReaderTracesEachBin) {
    Refreshed(kSingle);
    EXPECT_EQ(trace.From("CDsePrinterSummaryTable::snmppGetFinisherType:success", 11),
              (std::vector<std::string>{
                  "CDsePrinterSummaryTable::snmppGetFinisherType:success",
                  "snmppGetFinisherType: Query for prtOutputName",
                  "snmppGetFinisherType: else loop with value Finisher Bin1",
                  "snmppGetFinisherType: In Finisher Bin loop",
                  "snmppGetInt32Value success and return value is 4",
                  "snmppGetFinisherType: Query for prtOutputName",
                  "snmppGetFinisherType: else loop with value Exit Tray",
                  "snmppGetFinisherType: Query for prtOutputName",
                  "snmppGetFinisherType: else loop with value SADDLE TRAY1",
                  "snmppGetInt32Value success and return value is 3 & 3 for Finisher Present and "
                  "Saddle Stitch",
                  "EID_HRPRINTERSTATUS=idle(3)",
              }));

    trace.Clear();
    Refreshed(kRk2030);
    EXPECT_EQ(trace.From("CDsePrinterSummaryTable::snmppGetFinisherType:success", 7),
              (std::vector<std::string>{
                  "CDsePrinterSummaryTable::snmppGetFinisherType:success",
                  "snmppGetFinisherType: Query for prtOutputName",
                  "EID_ODRAGENERALDPFINISHERPRESENT: failed to get",
                  "snmppGetFinisherType: Query for prtOutputName",
                  "snmppGetFinisherType: else loop with value offset catch tray",
                  "Offset catch tray is attached",
                  "EID_HRPRINTERSTATUS=printing(4)",
              }));

    trace.Clear();
    Refreshed(kSeparatorPair);
    EXPECT_EQ(trace.Count("Job Separator Upper is attached"), 1);
    EXPECT_EQ(trace.Count("snmppGetInt32Value success and return value is 6"), 1);
    EXPECT_EQ(trace.Count("Offset catch tray is attached"), 0);

    trace.Clear();
    Refreshed(kManyAlerts);
    EXPECT_EQ(trace.Count("snmppGetFinisherType: Query for prtOutputName"), 9);
    EXPECT_EQ(trace.Count("EID_ODRAGENERALDPFINISHERPRESENT: failed to get"), 9);
    EXPECT_EQ(trace.Count("bFinisher is false"), 1);
}

TEST_F(SummaryTableTest, TheMakerCodeLeadsAnAlertDescription) {
    EXPECT_EQ(MakerAlertCodeOf("(1A2B) Paper jam in the finisher"), 0x1A2B);
    EXPECT_EQ(MakerAlertCodeOf("(1a2b)"), 0x1A2B);
    EXPECT_EQ(MakerAlertCodeOf("(c01)"), 0xC01) << "four characters are enough";
    EXPECT_EQ(MakerAlertCodeOf("(c1)"), 0xC1);
    EXPECT_EQ(MakerAlertCodeOf("(1)"), 0) << "shorter than four characters";
    EXPECT_EQ(MakerAlertCodeOf("Toner low (0C01)"), 0) << "the code must lead";
    EXPECT_EQ(MakerAlertCodeOf("(1A2B Paper jam"), 0) << "no closing parenthesis";
    EXPECT_EQ(MakerAlertCodeOf("(jam) 1A2B"), 0) << "no leading hexadecimal digit";
    EXPECT_EQ(MakerAlertCodeOf("(12 34) x"), 0x12) << "leading digits only";
    EXPECT_EQ(MakerAlertCodeOf("(0x1A) x"), 0) << "no prefix is taken";
    EXPECT_EQ(MakerAlertCodeOf("(FFFFFFFF) x"), -1);
    EXPECT_EQ(MakerAlertCodeOf("(100000000) x"), 0) << "wider than 32 bits";
    EXPECT_EQ(MakerAlertCodeOf("(00000000000001A2B) x"), 0x1A2B) << "leading zeros";
    EXPECT_EQ(MakerAlertCodeOf(""), 0);
    EXPECT_EQ(MakerAlertCodeOf(nullptr), 0);
}

TEST_F(SummaryTableDeviceTest, AlertsAreMatchedByTheCodeInTheirDescription) {
    // The leading code matches, a trailing one matches code 0, a maker alert
    // without a Printer-MIB alert keeps 1.
    auto table = Refreshed(kSingle);
    EXPECT_EQ(table->m_devices[0].m_alerts,
              (std::vector<PrinterAlert>{{6699, 8}, {0, 1101}, {3073, 1102}, {4660, 1}}));
}

TEST_F(SummaryTableDeviceTest, AlertWalksStopAtTheirBound) {
    auto table = Refreshed(kManyAlerts);
    const auto& alerts = table->m_devices[0].m_alerts;
    ASSERT_EQ(alerts.size(), static_cast<size_t>(CDsePrinterSummaryTable::kMaxAlertRows));
    EXPECT_EQ(alerts.front(), (PrinterAlert{1, 1001}));
    EXPECT_EQ(alerts.back(), (PrinterAlert{256, 1256}));
    EXPECT_EQ(trace.Count("CDsePrinterSummaryTable::snmppGetPrinterAlerts: stopped after 256 rows"),
              1);
    EXPECT_EQ(
        trace.Count("CDsePrinterSummaryTable::snmppGetPrinterMibAlerts: stopped after 256 rows"),
        1);
    EXPECT_EQ(
        trace.Count("CDsePrinterSummaryTable::snmppGetPrinterAlerts: added alert 256 to table"), 1);
}

// The slow device is read by this test only: its agent answers nothing else
// while it holds back the memory size.
TEST_F(SummaryTableDeviceTest, AMemoryReadThatTimesOutEndsTheRefresh) {
    SetSetting(SETTING_SNMP_NO_CONNECT_TIMEOUT, 20);  // 200 ms an attempt
    auto table = std::make_unique<CDsePrinterSummaryTable>(&mgt);
    table->m_nFamilyCode = CDsePrinterSummaryTable::kOptionFamilyCode;
    table->SetAddress(kSlowMemory);
    auto start = steady_clock::now();
    EXPECT_EQ(table->Refresh(), E_FAIL);
    auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start);
    EXPECT_GE(elapsed.count(), 400) << "two attempts of 200 ms";
    EXPECT_LT(elapsed.count(), 5000) << "the late answer comes after six seconds";
    EXPECT_FALSE(table->m_bValid);

    const PrinterDeviceRecord& d = table->m_devices[0];
    EXPECT_EQ(d.m_strName, "Slow memory");
    EXPECT_EQ(d.m_strLocation, "Basement");
    EXPECT_EQ(d.m_strModel, "KX-4040");
    EXPECT_EQ(d.m_strDeviceDescr, "Slow controller");
    EXPECT_EQ(d.m_nPedestal, 6) << "no option unit answers";
    EXPECT_EQ(d.m_nFinisherType, 31) << "a finisher bin of kind 3 alone";
    EXPECT_EQ(d.m_nADUState, 1);
    EXPECT_EQ(d.m_nMemorySize, 128000) << "as the clear left it";
    // Nothing after the memory size was read.
    EXPECT_EQ(trace.Count("EID_HRPRINTERSTATUS=idle(3)"), 0);
    EXPECT_EQ(d.m_bInserter, 0);
    EXPECT_EQ(d.m_paperSize[0], 2);
    EXPECT_TRUE(d.m_alerts.empty());
}

TEST_F(SummaryTableTest, AnAddressOf22CharactersFailsAtTheTandemStep) {
    const char* address = "10.111.222.133.144.155";
    ASSERT_EQ(std::strlen(address), 22u);
    auto table = Refreshed(address, E_FAIL);
    EXPECT_FALSE(table->m_bValid);
    EXPECT_EQ(trace.Lines(), std::vector<std::string>{"EID_ODRATANDEMSTATE: failed to get"});
    EXPECT_EQ(table->m_strMacAddress, "");
}

TEST_F(SummaryTableTest, WithoutAMappingFileEveryRefreshFails) {
    MappingCopy copy({}, {"OdraNMap.txt"});
    CDsePrinterSummaryTable table(&mgt);
    EXPECT_EQ(table.m_pMibTable, nullptr);
    EXPECT_NE(table.MibLoadError(), "");
    ASSERT_EQ(table.m_mapFiles.size(), 5u);
    EXPECT_EQ(table.m_mapFiles[4], copy.Dir() + "/OdraNMap.txt");
    table.SetAddress(kSingle);
    table.m_devices[0].m_strName = "stale";
    table.m_devices[0].m_nPedestal = 9;
    EXPECT_EQ(table.Refresh(), E_FAIL);
    EXPECT_EQ(table.m_devices[0].m_strName, "") << "the clear comes first";
    EXPECT_EQ(table.m_devices[0].m_nPedestal, 2);
    EXPECT_EQ(table.Refresh(), E_FAIL);
    EXPECT_EQ(trace.Lines(), (std::vector<std::string>{
                                 "***** ERROR ***** Mib Table is NULL. Mapping file Problem.",
                                 "***** ERROR ***** Mib Table is NULL. Mapping file Problem.",
                             }));
    EXPECT_FALSE(table.m_bValid);
}

TEST_F(SummaryTableTest, AMissingTandemElementEndsTheRefreshUnasked) {
    MappingCopy copy({"EID_ODRATANDEMSTATE"});
    auto table = Refreshed(kSingle, E_FAIL);
    EXPECT_FALSE(table->m_bValid);
    EXPECT_EQ(trace.Lines(), std::vector<std::string>{}) << "nothing was asked";
}

TEST_F(SummaryTableDeviceTest, AMissingGeneralElementEndsTheRefresh) {
    MappingCopy copy({"EID_ODRAGENERALQXMODEL"});
    auto table = Refreshed(kSingle, E_FAIL);
    EXPECT_FALSE(table->m_bValid);
    EXPECT_EQ(table->m_devices[0].m_strName, "Korvalen 6080") << "read before the model";
    EXPECT_EQ(table->m_devices[0].m_strLocation, "Second floor, room 2.14");
    EXPECT_EQ(table->m_devices[0].m_strDeviceDescr, "") << "read after it";
}

TEST_F(SummaryTableDeviceTest, MissingWalkElementsLeaveTheRefreshValid) {
    MappingCopy copy({"EID_PRTOUTPUTNAME", "EID_ODRAALERTCODE", "EID_PRTALERTDESCRIPTION",
                      "EID_ODRAINPUTMEDIATYPE", "EID_HRPRINTERSTATUS"});
    auto table = Refreshed(kSingle);
    EXPECT_TRUE(table->m_bValid);
    const PrinterDeviceRecord& d = table->m_devices[0];
    EXPECT_EQ(d.m_nFinisherType, 0);
    EXPECT_EQ(trace.Count("EID_ODRAGENERALDPFINISHERPRESENT: failed to get"), 9);
    EXPECT_TRUE(d.m_alerts.empty());
    EXPECT_EQ(trace.Count("EID_ODRAINPUTMEDIATYPE: failed to get"), 6);
    EXPECT_EQ(d.m_paperSize[0], 2) << "no tray is complete";
    EXPECT_EQ(d.m_bExternalFeeder, 0);
    EXPECT_EQ(table->m_errorState[0], 0) << "the error state follows the status";
    EXPECT_EQ(d.m_nMemorySize, 524288);
    EXPECT_EQ(d.m_bInserter, 1);
}

TEST_F(SummaryTableDeviceTest, AMissingFinisherPresentElementIsTraced) {
    MappingCopy copy({"EID_ODRAGENERALDPFINISHERPRESENT"});
    auto table = Refreshed(kSingle);
    EXPECT_TRUE(table->m_bValid);
    // The finisher bin cannot tell its kind, so the saddle tray after it is
    // ignored and the device keeps device 0's type, its own.
    EXPECT_EQ(table->m_devices[0].m_nFinisherType, 0);
    EXPECT_EQ(trace.From("snmppGetFinisherType: In Finisher Bin loop", 3),
              (std::vector<std::string>{
                  "snmppGetFinisherType: In Finisher Bin loop",
                  "EID_ODRAGENERALDPFINISHERPRESENT: failed to get",
                  "snmppGetFinisherType: Query for prtOutputName",
              }));
    EXPECT_EQ(trace.Count("bFinisher is false"), 1);
}

TEST_F(SummaryTableTest, ReadersAndTheUpdaterShareOneLock) {
    SetSetting(SETTING_DEBUG_CRITICAL_SECTIONS, 1);
    CDsePrinterSummaryTable table;
    EXPECT_EQ(table.m_bDebugLocks, 1u);
    table.BeginRead();
    std::atomic<bool> entered{false};
    std::thread other([&] {
        table.BeginRead();
        entered = true;
        table.EndRead();
    });
    // Once the second reader has asked, give it time to get in if it could.
    for (auto until = steady_clock::now() + seconds(30);
         trace.Count("Component requests to read table") < 2 && steady_clock::now() < until;)
        std::this_thread::sleep_for(milliseconds(10));
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_FALSE(entered) << "a second reader waits for the first";
    table.EndRead();
    other.join();
    EXPECT_TRUE(entered);
    EXPECT_EQ(trace.Lines(), (std::vector<std::string>{
                                 "Component requests to read table",
                                 "Component has exclusively opened the table for reading",
                                 "Component requests to read table",
                                 "Component has closed the table for reading",
                                 "Component has exclusively opened the table for reading",
                                 "Component has closed the table for reading",
                             }));

    trace.Clear();
    CDsePrinterSummaryTable source;
    table.UpdateFrom(source);
    EXPECT_EQ(trace.Lines(), (std::vector<std::string>{
                                 "Component requests to update table",
                                 "Component has exlusive lock to update table",
                                 "Component is done updating table",
                             }));

    // Without the setting only the update's own lines are written.
    SetSetting(SETTING_DEBUG_CRITICAL_SECTIONS, 0);
    CDsePrinterSummaryTable quiet;
    trace.Clear();
    quiet.BeginRead();
    quiet.EndRead();
    quiet.UpdateFrom(source);
    EXPECT_EQ(trace.Lines(), (std::vector<std::string>{
                                 "Component has exlusive lock to update table",
                                 "Component is done updating table",
                             }));
}

TEST_F(SummaryTableDeviceTest, UpdateFromCopiesAnotherTable) {
    auto source = Refreshed(kTandem);
    CDsePrinterSummaryTable copy;
    copy.SetAddress(kSingle);
    copy.m_devices[0].m_alerts = {{1, 1}};
    copy.m_devices[0].m_nADUState = 9;
    copy.UpdateFrom(*source);
    EXPECT_TRUE(copy.m_bTandem);
    EXPECT_FALSE(copy.m_bValid) << "not part of the copy";
    EXPECT_EQ(copy.m_strMacAddress, "00.00.AA.00.BB.01");
    EXPECT_EQ(copy.m_errorState[0], 0x20);
    EXPECT_EQ(Utf8FromBstr(copy.m_varAddress->bstrVal), kTandem);
    EXPECT_EQ(copy.m_devices[0], source->m_devices[0]);
    PrinterDeviceRecord partner = source->m_devices[1];
    partner.m_alerts = {{6699, 8}};  // a code that is there already is not added again
    EXPECT_EQ(copy.m_devices[1], partner);

    // A table updated from itself keeps its values.
    source->UpdateFrom(*source);
    EXPECT_EQ(source->m_devices[1].m_alerts.size(), 2u);
    EXPECT_EQ(source->m_devices[0].m_strName, "Korvalen 6080 A");
}
