// Identification of answering addresses on simulated devices of every kind:
// the sysObjectID classification, the two dialogs' variants, the device
// filter, the fax check, the list's uniqueness rule, identification side by
// side against one after the other, the selected device's web address and
// family code.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <vector>

#include "discovery/DeviceFilter.h"
#include "discovery/DeviceList.h"
#include "discovery/LocalDeviceIdentification.h"
#include "discovery/NetworkDeviceIdentification.h"
#include "discovery/SelectedDevice.h"
#include "model/SysObjectId.h"
#include "platform/registry/RegistryKey.h"
#include "settings/Settings.h"
#include "support/PrivateNetwork.h"
#include "support/SimulatedDevice.h"
#include "support/TempRegistry.h"
#include "support/TestData.h"
#include "trace/Trace.h"

QX_TEST_USES_PRIVATE_NETWORK();

using namespace qx;

namespace {

constexpr const char* kWindows = "1.3.6.1.4.1.311.1.1.3.1.2";
constexpr const char* kNetSnmp = "1.3.6.1.4.1.8072.3.2.10";

// A simulated device: its key names its profile in data/identification/.
struct DeviceEntry {
    const char* key;
    const char* address;
};

const std::vector<DeviceEntry>& Entries() {
    static const std::vector<DeviceEntry> entries = {
        {"K1", "127.0.0.11"}, {"K2", "127.0.0.12"},  {"BR", "127.0.0.13"},   {"OR", "127.0.0.14"},
        {"KL", "127.0.0.15"}, {"W20", "127.0.0.16"}, {"N20J", "127.0.0.17"}, {"W30", "127.0.0.18"},
        {"WQ", "127.0.0.19"}, {"NQ", "127.0.0.20"},  {"E9", "127.0.0.21"},   {"OT", "127.0.0.22"},
    };
    return entries;
}

constexpr const char* kSilent = "127.0.0.99";

std::string Addr(const std::string& key) {
    for (const DeviceEntry& s : Entries())
        if (key == s.key)
            return s.address;
    return kSilent;
}

// Every device and one silent address, in a fixed order.
std::vector<std::string> AllAddresses() {
    std::vector<std::string> all;
    for (const DeviceEntry& s : Entries())
        all.push_back(s.address);
    all.insert(all.begin() + 3, kSilent);
    return all;
}

std::vector<std::string> Keys(const CDeviceList& list) {
    std::vector<std::string> keys;
    for (const DeviceRow& row : list.Rows()) {
        std::string key = row.address;
        for (const DeviceEntry& s : Entries())
            if (row.address == s.address)
                key = s.key;
        keys.push_back(key);
    }
    return keys;
}

// A row as "name|model|location|icon".
std::string Show(const DeviceRow& r) {
    return r.name + "|" + r.model + "|" + r.location + "|" + std::to_string(r.nIcon);
}
std::string Shown(const CDeviceList& list, const std::string& key) {
    for (const DeviceRow& row : list.Rows())
        if (row.address == Addr(key))
            return Show(row);
    return "none";
}

using Keys_ = std::vector<std::string>;

}  // namespace

TEST(SysObjectIdTest, ExactEntriesAndArcs) {
    using K = SysObjectIdKind;
    const std::string q = "1.3.6.1.4.1.32473.2.3.";
    const std::map<K, std::vector<std::string>> kinds = {
        {K::Korvalen, {q + "14.1", q + "14.2"}},
        {K::Orven, {q + "16.5", q + "16"}},
        {K::Brisel, {q + "15.1.2"}},
        {K::Earlier, {q + "7", q + "8", q + "9", q + "10", q + "11", q + "12"}},
        {K::WindowsPc, {kWindows}},
        {K::NetSnmpPc, {kNetSnmp}},
        {K::Other, {q + "14.10", q + "13", q + "9.1", std::string(kWindows) + ".1", ""}},
    };
    for (const auto& [kind, oids] : kinds)
        for (const std::string& oid : oids)
            EXPECT_EQ(ClassifySysObjectId(oid), kind) << oid;
}

TEST(DeviceFilterTest, EveryValue) {
    // clang-format off
    const char* texts[] = {"KD 480", "qx-2", "rk-2020", "RK-2020J", "rk-2020j", "CALVENT", "QX-3",
                           "Rk-2030", "a-LUMERA2811", "A-LUMERA3811", "other",
                           kSysObjectIdKorvalenA, kSysObjectIdKorvalenB};
    // One row per filter value, one letter per text above: Accepted, accepted
    // as an MFP, check the sysObjectID (S) or rejected (X).
    const std::map<int, std::string> expected = {
        {  0, "XXXXXXXXXXXXX"},
        {  1, "XXXXXXXXXXXXX"},
        {  2, "AAXXXXXXXXXXX"},
        {  3, "XXAAXAAXXXXXX"},
        {  4, "XXXXXXXAXXXXX"},
        {  5, "XXXXXXXXMXXXX"},
        {  6, "AAAAXAXXXXXXX"},
        {  7, "AAXXXXXAXXXXX"},
        {  8, "AASSSSSSSSSAA"},
        {  9, "XXAAXAXAXXXXX"},
        { 10, "XXAAXAXXMXXXX"},
        { 11, "SSSSSSSASSSAA"},
        { 12, "AAAAXAXAXXXXX"},
        { 13, "AAAASASSSSSAA"},
        { 14, "AASSSSSASSSAA"},
        { 15, "SSAASASASSSAA"},
        { 16, "AAAASASASSSAA"},
        { 17, "XXXXXXXXXXXXX"},
        { -1, "XXXXXXXXXXXXX"},
    };
    // clang-format on
    const std::map<char, DeviceFilterResult> results = {{'A', DeviceFilterResult::Accepted},
                                                        {'M', DeviceFilterResult::AcceptedMfp},
                                                        {'S', DeviceFilterResult::CheckSysObjectId},
                                                        {'X', DeviceFilterResult::Rejected}};
    for (const auto& [filter, letters] : expected)
        for (size_t i = 0; i < std::size(texts); ++i)
            EXPECT_EQ(DeviceFilter(filter, texts[i]), results.at(letters.at(i)))
                << "filter " << filter << ", text " << texts[i];
}

TEST(DeviceListTest, UniqueByAddressFirstRowWinsIpxWithoutRecord) {
    CDeviceList list;
    int changes = 0;
    list.SetChanged([&] { ++changes; });
    EXPECT_TRUE(list.AddDeviceToList("first", "10.0.0.1", "here", "M1", 0));
    EXPECT_FALSE(list.AddDeviceToList("second", "10.0.0.1", "there", "M2", 1));
    EXPECT_TRUE(list.AddDeviceToList("ipx", "0000ABCD:00AABBCCDDEE", "", "", 7));
    EXPECT_FALSE(list.AddDeviceToList("ipx again", "0000abcd:00aabbccddee", "", "", 0));
    ASSERT_EQ(list.RowCount(), 2u);
    EXPECT_EQ(changes, 2);
    DeviceRow row;
    ASSERT_TRUE(list.Row(0, row));
    EXPECT_EQ(row.name, "first");
    EXPECT_EQ(row.location, "here");
    EXPECT_EQ(row.nIcon, 2);
    ASSERT_TRUE(list.Row(1, row));
    EXPECT_EQ(row.nIcon, 3);
    EXPECT_FALSE(list.Row(2, row));
    auto records = list.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].nIndex, -1);
    EXPECT_EQ(records[0].address, "10.0.0.1");
}

TEST(CallerTest, InitialKindsFilterAndTimeOut) {
    struct Case {
        int caller;
        bool k, b, o;
        int filter;
        uint32_t family;
    };
    for (const Case& c :
         {Case{0, 1, 1, 0, 5, 1}, Case{3, 1, 1, 0, 5, 1}, Case{4, 0, 1, 0, 0, 1},
          Case{5, 1, 0, 0, 5, 1}, Case{6, 0, 1, 0, 0, 2}, Case{7, 1, 0, 0, 5, 2},
          Case{8, 0, 0, 1, 0, 2}, Case{13, 0, 0, 1, 0, 2}, Case{12, 0, 0, 1, 0, 2},
          Case{10, 1, 1, 1, 5, 2}, Case{21, 1, 1, 1, 5, 2}, Case{30, 1, 1, 0, 5, 2}}) {
        DeviceKinds kinds = InitialDeviceKinds(c.caller);
        EXPECT_EQ(kinds.bKorvalen, c.k) << c.caller;
        EXPECT_EQ(kinds.bBrisel, c.b) << c.caller;
        EXPECT_EQ(kinds.bOrven, c.o) << c.caller;
        EXPECT_FALSE(kinds.bRk2020 || kinds.bRk2030 || kinds.bQx2) << c.caller;
        EXPECT_EQ(InitialDeviceFilter(c.caller), c.filter) << c.caller;
        EXPECT_EQ(CallerFamily(c.caller), c.family) << c.caller;
    }

    qxtest::TempRegistry registry;
    EXPECT_EQ(IdentificationTimeOut(1), 3000u);
    reg::Key key;
    ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser, ClientRootKey(1), key), 0);
    ASSERT_EQ(key.SetDword("TimeOut", 250), 0);
    ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser, ClientRootKey(2), key), 0);
    ASSERT_EQ(key.SetString("TimeOut", "a text"), 0);  // not a DWORD: the default
    EXPECT_EQ(IdentificationTimeOut(1), 250u);
    EXPECT_EQ(IdentificationTimeOut(2), 3000u);
    EXPECT_EQ(CallerTimeOut(5), 250u);
    EXPECT_EQ(CallerTimeOut(6), 3000u);
    EXPECT_EQ(CallerTimeOut(17), 3000u);  // neither family's
}

class IdentificationTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!qxtest::InPrivateNetwork())
            return;
        s_registry = new qxtest::TempRegistry();
        // A short time-out for the silent addresses: 200 ms per attempt.
        reg::Key key;
        for (uint32_t family : {1u, 2u})
            if (reg::Key::Create(reg::Hive::CurrentUser, ClientRootKey(family), key) == 0)
                key.SetDword("TimeOut", 20);
        for (const DeviceEntry& s : Entries())
            s_devices.push_back(std::make_unique<qxtest::SimulatedDevice>(
                s.address, qxtest::ReadTextFile(qxtest::TestDataPath(
                               "discovery", std::string("identification/") + s.key + ".snmprec"))));
        s_started = true;
        for (auto& d : s_devices)
            s_started = s_started && d->Start(s_error);
    }
    static void TearDownTestSuite() {
        s_devices.clear();
        delete s_registry;
        s_registry = nullptr;
    }
    void SetUp() override {
        QX_REQUIRE_PRIVATE_NETWORK();
        ASSERT_TRUE(s_started) << s_error;
    }

    static Keys_ Local(int caller, const DeviceKinds* kinds = nullptr, CDeviceList* out = nullptr) {
        CDeviceList list;
        CLocalDeviceIdentification id(out ? *out : list, caller);
        if (kinds)
            id.Kinds() = *kinds;
        id.IdentifyAddresses(AllAddresses());
        return Keys(out ? *out : list);
    }
    static Keys_ Network(int mode, CDeviceList* out = nullptr) {
        CDeviceList list;
        CNetworkDeviceIdentification id(out ? *out : list, 1, mode);
        id.IdentifyAddresses(AllAddresses());
        return Keys(out ? *out : list);
    }

    static inline std::vector<std::unique_ptr<qxtest::SimulatedDevice>> s_devices;
    static inline qxtest::TempRegistry* s_registry = nullptr;
    static inline bool s_started = false;
    static inline std::string s_error;
};

TEST_F(IdentificationTest, LocalShowsTheSelectedKindsOnly) {
    EXPECT_EQ(Local(0), (Keys_{"K1", "K2", "BR"}));
    EXPECT_EQ(Local(8), (Keys_{"OR"}));
    EXPECT_EQ(Local(4), (Keys_{"BR"}));

    DeviceKinds all{true, true, true, true, true, true};
    CDeviceList list;
    EXPECT_EQ(Local(0, &all, &list), (Keys_{"K1", "K2", "BR", "OR", "W20", "N20J", "W30", "WQ"}));
    EXPECT_EQ(Shown(list, "K1"), "Korvalen One|KV 5070|at Korvalen One|2");  // the ".1" name
    EXPECT_EQ(Shown(list, "W20"), "Win RK2020|RK-2020 PS||2");               // the plain name
    EXPECT_EQ(list.Records().size(), 8u);
    // An RK-2020 or RK-2030 ends its classification: with only QX-2 selected
    // the Windows controller of another model text is shown, the others not;
    // on the net-snmp identifier there is no QX-2.
    DeviceKinds qx2;
    qx2.bQx2 = true;
    EXPECT_EQ(Local(0, &qx2), (Keys_{"WQ"}));
    DeviceKinds rk2020;
    rk2020.bRk2020 = true;
    EXPECT_EQ(Local(0, &rk2020), (Keys_{"W20", "N20J"}));
}

TEST_F(IdentificationTest, FaxCheckForTheAddressBookViewer) {
    DeviceKinds all{true, true, true, true, true, true};
    // N20J says it has no fax, W30 has no fax object: both dropped; the
    // families are not asked.
    EXPECT_EQ(Local(2, &all), (Keys_{"K1", "K2", "BR", "OR", "W20", "WQ"}));
    EXPECT_EQ(Local(10, &all), (Keys_{"K1", "K2", "BR", "OR", "W20", "WQ"}));
    EXPECT_EQ(Local(3, &all), (Keys_{"K1", "K2", "BR", "OR", "W20", "N20J", "W30", "WQ"}));
}

TEST_F(IdentificationTest, NetworkShowsOtherMakersOutsideMode17) {
    CDeviceList list;
    EXPECT_EQ(Network(1, &list),
              (Keys_{"K1", "K2", "BR", "OR", "KL", "W20", "N20J", "W30", "WQ", "NQ", "E9", "OT"}));
    EXPECT_EQ(Shown(list, "OT"), "other-printer|Other Laser||2");
    EXPECT_EQ(Shown(list, "KL"), "long-korvalen|KV 9|at Long Korvalen|2");
    EXPECT_EQ(Shown(list, "OR"), "Orven|OV 200|at Orven|2");
    EXPECT_EQ(Shown(list, "NQ"), "Net QX2|QX-2 PS||2");
    EXPECT_EQ(Shown(list, "E9"), "Earlier|||2");  // the next object is outside the column

    EXPECT_EQ(Network(17), (Keys_{"K1", "K2", "BR", "OR", "W20", "N20J", "W30", "WQ", "NQ", "E9"}));
}

TEST_F(IdentificationTest, SideBySideGivesTheRowsAndTracesOfOneAfterTheOther) {
    qxtest::TempDir dir;
    auto run = [&](size_t parallel, const std::string& traceFile) {
        SetTraceDestination(traceFile.c_str());
        CDeviceList list;
        CNetworkDeviceIdentification id(list, 2, 1);
        std::vector<std::string> addresses = AllAddresses();
        // Found twice: listed once, the first row wins.
        addresses.push_back(Addr("K2"));
        addresses.insert(addresses.begin(), Addr("OT"));
        addresses.push_back("127.0.0.98");
        id.IdentifyAddresses(addresses, parallel);
        SetTraceDestination("");
        std::vector<std::string> rows;
        for (const DeviceRow& row : list.Rows())
            rows.push_back(row.address + " " + Show(row));
        return rows;
    };
    const auto one = run(1, dir.Path() + "/one");
    const auto many = run(16, dir.Path() + "/many");
    ASSERT_EQ(one.size(), 12u);
    EXPECT_EQ(many, one);
    EXPECT_EQ(many[0].rfind(Addr("OT") + " ", 0), 0u);

    auto lines = [](const std::string& path) {
        std::ifstream in(path);
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    };
    const auto oneLines = lines(dir.Path() + "/one");
    EXPECT_GT(oneLines.size(), 50u);
    EXPECT_EQ(lines(dir.Path() + "/many"), oneLines);
    EXPECT_NE(std::find(oneLines.begin(), oneLines.end(),
                        "[SKORVALENMISVR] Sysobjectid failed in first attempt for 127.0.0.99"),
              oneLines.end());
}

TEST_F(IdentificationTest, SelectedDeviceWebAddressAndFamilyCode) {
    EXPECT_EQ(SelectedDeviceWebAddress({"KV", Addr("K1"), "", "", 2}), "http://127.0.0.11:8080");
    EXPECT_EQ(SelectedDeviceWebAddress({"OV", Addr("OR"), "", "", 2}), "http://127.0.0.14:8080");
    EXPECT_EQ(SelectedDeviceWebAddress({"other-printer", Addr("OT"), "", "", 2}),
              "http://other-printer");
    EXPECT_EQ(SelectedDeviceWebAddress({"quiet", kSilent, "", "", 2}), "http://quiet");

    const std::map<std::string, int> codes = {{"K1", 1},  {"K2", 1},  {"N20J", 2}, {"W20", 3},
                                              {"WQ", 4},  {"W30", 4}, {"BR", 5},   {"OR", 6},
                                              {"KL", -1}, {"OT", -1}, {"E9", -1},  {"none", -1}};
    for (const auto& [key, code] : codes)
        EXPECT_EQ(SelectedDeviceFamilyCode(Addr(key)), code) << key;
}
