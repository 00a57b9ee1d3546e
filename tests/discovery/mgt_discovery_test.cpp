// The management component's own discovery and the dialogs' handling of its
// notifications: remembered addresses checked again by unicast, one of them
// behind a router (no broadcast reaches it), maker devices reported by
// handle on the owner's thread, read back by miGetDevice, filtered, and
// listed once next to the rows of a broadcast run.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "discovery/IdentifyDevices.h"
#include "discovery/LocalDeviceIdentification.h"
#include "discovery/NetworkDeviceIdentification.h"
#include "model/MgtComponent.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/RegistryKey.h"
#include "settings/Settings.h"
#include "support/PrivateNetwork.h"
#include "support/SimulatedDevice.h"
#include "support/TempRegistry.h"
#include "support/TestData.h"

QX_TEST_USES_PRIVATE_NETWORK();

using namespace qx;

namespace {

constexpr const char* kFar = "10.77.2.11";       // behind the router
constexpr const char* kKorvalen = "127.0.0.31";  // also answers the broadcast run
constexpr const char* kOther = "127.0.0.32";     // another maker's printer
constexpr const char* kController = "127.0.0.33";
constexpr const char* kSilent = "127.0.0.39";

int Sh(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

class MgtDiscoveryTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!qxtest::InPrivateNetwork())
            return;
        // A namespace of its own behind a router: the far device is reached
        // over a veth link and a route, never on the workstation's link.
        s_namespace = "qxfar" + std::to_string(getpid());
        const std::string n = "ip -n " + s_namespace + " ";
        s_routed = Sh("ip netns add " + s_namespace) == 0 &&
                   Sh("ip link add qxw type veth peer name qxf netns " + s_namespace) == 0 &&
                   Sh("ip addr add 10.77.1.1/24 dev qxw") == 0 && Sh("ip link set qxw up") == 0 &&
                   Sh(n + "link set lo up") == 0 && Sh(n + "link set qxf up") == 0 &&
                   Sh(n + "addr add 10.77.1.2/24 dev qxf") == 0 &&
                   Sh(n + "addr add " + kFar + "/32 dev lo") == 0 &&
                   Sh("ip route add 10.77.2.0/24 via 10.77.1.2") == 0;
        if (!s_routed) {
            s_error = "cannot set up the routed namespace";
            return;
        }
        // Each device's profile is data/mgt-discovery/<name>.snmprec.
        auto device = [](const char* address, const char* name) {
            s_devices.push_back(std::make_unique<qxtest::SimulatedDevice>(
                address, qxtest::ReadTextFile(qxtest::TestDataPath(
                             "discovery", std::string("mgt-discovery/") + name + ".snmprec"))));
            return s_devices.back().get();
        };
        device(kFar, "far")->SetNetworkNamespace(s_namespace);
        device(kKorvalen, "korvalen");
        device(kOther, "other");
        device(kController, "controller");
        s_started = true;
        for (auto& d : s_devices)
            s_started = s_started && d->Start(s_error);
    }
    static void TearDownTestSuite() {
        s_devices.clear();
        if (!s_namespace.empty())
            Sh("ip netns del " + s_namespace);
    }

    void SetUp() override {
        QX_REQUIRE_PRIVATE_NETWORK();
        ASSERT_TRUE(s_routed && s_started) << s_error;
        registry = std::make_unique<qxtest::TempRegistry>();
        reg::Key key;
        ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser,
                                   std::string(DiscoveryKey(1)) + "\\LastDiscovered", key),
                  0);
        key.SetString("0", kKorvalen);
        key.SetString("1", kFar);
        key.SetString("2", kOther);
        key.SetString("3", kSilent);
        key.SetString("5", "127.0.0.34");  // after the gap: never read
        ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser,
                                   std::string(DiscoveryKey(1)) + "\\LastLookUp", key),
                  0);
        key.SetString("Address0", kController);
        key.SetString("Address1", kKorvalen);
        ASSERT_EQ(RegisterMgtComponent(), S_OK);
        CoInitialize();
        ASSERT_EQ(
            CoCreateInstance(CLSID_mgt, nullptr, CLSCTX_INPROC_SERVER, IID_Imgt, mgt.OutVoid()),
            S_OK);
        component = dynamic_cast<CMgtComponent*>(mgt.Get());
        ASSERT_NE(component, nullptr);
    }
    void TearDown() override {
        if (component)
            component->WaitForDiscovery();
        mgt.Reset();
        CoUninitialize();
        registry.reset();
    }

    // Connects the identification to the component's event, as a dialog does.
    void Connect(CDeviceIdentification& id) {
        id.SetMgt(mgt.Get());
        id.SetDiscoveryFinished([this] { ++finished; });
        const auto owner = std::this_thread::get_id();
        component->Advise(
            [&id, owner, this](int32_t code, const VARIANT& data) {
                if (std::this_thread::get_id() != owner)
                    ++foreignThread;
                if (code == DISCOVER_QUORVIA && data.vt == VT_I4)
                    handles.push_back(data.lVal);
                id.OnMgtInterfaceNotify(code, 0, 0, 0, 0, 0, data);
            },
            [this](std::function<void()> fn) { events.Post(std::move(fn)); });
    }
    void Discover() {
        finished = 0;
        ASSERT_EQ(mgt->SelectDevice(0, -1), S_OK);  // the run starts
        ASSERT_TRUE(events.RunUntil([this] { return finished > 0; }, 20000));
    }

    static inline std::vector<std::unique_ptr<qxtest::SimulatedDevice>> s_devices;
    static inline std::string s_namespace, s_error;
    static inline bool s_routed = false, s_started = false;

    std::unique_ptr<qxtest::TempRegistry> registry;
    ComPtr<Imgt> mgt;
    CMgtComponent* component = nullptr;
    CNotificationQueue events;
    int finished = 0, foreignThread = 0;
    std::vector<int32_t> handles;
};

// The rows' addresses, or with full, each row as "address name|model|location|icon".
std::vector<std::string> Addresses(const CDeviceList& list, bool full = false) {
    std::vector<std::string> out;
    for (const DeviceRow& r : list.Rows())
        out.push_back(!full ? r.address
                            : r.address + " " + r.name + "|" + r.model + "|" + r.location + "|" +
                                  std::to_string(r.nIcon));
    return out;
}

}  // namespace

TEST_F(MgtDiscoveryTest, NetworkDialogListsRememberedDevicesOnceBesideTheBroadcastRows) {
    CDeviceList list;
    CNetworkDeviceIdentification id(list, 1, 1);
    Connect(id);
    id.BroadCastQuery(kKorvalen);  // the broadcast run found it first
    Discover();

    // The broadcast's row wins; the far one has its ".1" name after the plain one failed.
    EXPECT_EQ(Addresses(list, true),
              (std::vector<std::string>{"127.0.0.31 Near Korvalen|KV 5070|Ground floor|2",
                                        "10.77.2.11 Far Korvalen|a-LUMERA2811|Branch office|3",
                                        "127.0.0.33 Win RK2020|RK-2020 PS||3"}));
    EXPECT_EQ(foreignThread, 0);
    ASSERT_EQ(handles.size(), 3u);  // the Korvalen device was reported too
    EXPECT_EQ(GetDwordSetting(SETTING_DISCOVERY_IS_VIRGIN, 1), 1u);  // no settings key to write

    // The handles answer their elements; unknown handles leave the value alone.
    auto text = [this](int32_t element, int32_t handle) {
        Variant v;
        EXPECT_EQ(mgt->getElement(element, handle, v.Get()), S_OK) << element;
        return v->vt == VT_BSTR ? Utf8FromBstr(v->bstrVal) : "not a text";
    };
    EXPECT_EQ(text(EID_MGT_DEVICE_ADDRESS, handles[1]), kFar);
    EXPECT_EQ(text(EID_MGT_DEVICE_TYPE, handles[1]), "a-LUMERA2811");
    EXPECT_EQ(text(EID_MGT_DEVICE_TYPE, handles[2]), "RK-2020");
    Variant kept(7);
    EXPECT_EQ(mgt->getElement(EID_MGT_DEVICE_ICON, 12345, kept.Get()), E_FAIL);
    EXPECT_EQ(kept->vt, VT_I4);
    EXPECT_EQ(kept->lVal, 7);

    // A second run reports the same devices under the same handles.
    const std::vector<int32_t> first = handles;
    handles.clear();
    Discover();
    EXPECT_EQ(handles, first);
    EXPECT_EQ(list.RowCount(), 3u);
}

TEST_F(MgtDiscoveryTest, NetworkMode17KeepsMakerDevicesOnly) {
    reg::Key key;
    ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser, SettingsKey(1), key), 0);
    CDeviceList list;
    CNetworkDeviceIdentification id(list, 1, 17);
    Connect(id);
    Discover();
    // The controller answers its model text, the Korvalen pair its sysObjectID.
    EXPECT_EQ(Addresses(list), (std::vector<std::string>{kKorvalen, kFar, kController}));
    EXPECT_EQ(GetDwordSetting(SETTING_DISCOVERY_IS_VIRGIN, 1), 0u);
}

TEST_F(MgtDiscoveryTest, LocalDialogFiltersByTypeText) {
    struct Case {
        int caller;
        int filter;
        std::vector<std::string> expected;
    };
    for (const Case& c : {
             Case{5, 5, {kFar}},                           // a-LUMERA: an MFP
             Case{0, 16, {kKorvalen, kFar, kController}},  // Korvalen by sysObjectID
             Case{0, 3, {kController}},                    // RK-2020
             Case{2, 3, {}},                               // RK-2020 without fax
             Case{2, 16, {kKorvalen, kFar}},               // MFPs are not asked
         }) {
        CDeviceList list;
        CLocalDeviceIdentification id(list, c.caller);
        id.SetDeviceFilter(c.filter);
        Connect(id);
        Discover();
        EXPECT_EQ(Addresses(list), c.expected) << c.caller << "/" << c.filter;
        component->Unadvise();
    }
}

TEST_F(MgtDiscoveryTest, FamilyChoosesTheRememberedAddresses) {
    Variant family(2);
    ASSERT_EQ(mgt->setElement(EID_MGT_DISCOVERY_FAMILY, 0, family.Get()), S_OK);
    CDeviceList list;
    CNetworkDeviceIdentification id(list, 2, 1);
    Connect(id);
    Discover();
    EXPECT_EQ(list.RowCount(), 0u);  // the Orven keys remember nothing
    EXPECT_TRUE(handles.empty());

    // Without a sink nobody hears a discovery, so none runs.
    component->Unadvise();
    EXPECT_EQ(mgt->SelectDevice(0, -1), S_OK);
    component->WaitForDiscovery();
}

TEST_F(MgtDiscoveryTest, IdentifyDevicesJoinsTheRunAndTheComponent) {
    mgt.Reset();  // IdentifyDevices makes its own
    component = nullptr;
    IdentificationRequest request;
    request.bNetwork = true;
    std::vector<std::string> found;
    for (const DeviceRow& row : IdentifyDevices({kOther, kKorvalen}, request))
        found.push_back(row.address + " " + row.name + " " + std::to_string(row.nIcon));
    EXPECT_EQ(found,
              (std::vector<std::string>{"127.0.0.32 other-printer 2", "127.0.0.31 Near Korvalen 2",
                                        "10.77.2.11 Far Korvalen 3", "127.0.0.33 Win RK2020 3"}));

    request.bComponent = false;
    request.nMode = 17;
    EXPECT_EQ(IdentifyDevices({kOther, kKorvalen}, request).size(), 1u);

    request = IdentificationRequest{};
    request.nCaller = 5;  // Korvalen kind, filter 5: the a-LUMERA device only
    found.clear();
    for (const DeviceRow& row : IdentifyDevices({kOther, kKorvalen, kController}, request))
        found.push_back(row.address);
    EXPECT_EQ(found, (std::vector<std::string>{kKorvalen, kFar}));
}
