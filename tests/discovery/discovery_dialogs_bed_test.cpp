// The discovery dialogs on the broadcast test bed: simulated devices of
// every family, another maker's printer and a device that answers the
// broadcast but never the identification. A run fills the list row by row
// in the order of the answers while the window keeps working; OK writes
// what the caller names; caller 9 never runs IPX; the network dialog lists
// other makers outside mode 17 only; qxctl takes the dialogs' pictures.

#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "BroadcastBed.h"
#include "DialogTestKit.h"
#include "discovery/NetwareClient.h"
#include "discovery/dialogs/DeviceListView.h"
#include "discovery/dialogs/DiscoveryLocal.h"
#include "discovery/dialogs/DseDiscoveryDlg.h"
#include "discovery/dialogs/SelectionStore.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/ProgramPath.h"
#include "settings/Settings.h"
#include "support/PrivateNetwork.h"
#include "support/RegFixture.h"
#include "support/RunProgram.h"
#include "support/TempRegistry.h"
#include "trace/Trace.h"
#include "ui/ControlId.h"

QX_TEST_USES_PRIVATE_NETWORK();

namespace fs = std::filesystem;
using namespace qx;
using qxtest::BroadcastBed;
using qxtest::Spin;

namespace {

const char* const kKorvalen =
    "1.3.6.1.2.1.1.2.0|6|1.3.6.1.4.1.32473.2.3.14.1\n"
    "1.3.6.1.2.1.25.3.2.1.3.1|4|KV-C3811\n"
    "1.3.6.1.2.1.43.5.1.1.16.1|4|KV printer\n"
    "1.3.6.1.4.1.32473.2.3.50.1.2.3.1.2.1.1|4|Korvalen one\n"
    "1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4.1.1|4|Floor 1\n"
    "1.3.6.1.4.1.32473.2.3.50.1.6.1.2.1.1.7.1.1|4|9100\n";
const char* const kOrven =
    "1.3.6.1.2.1.1.2.0|6|1.3.6.1.4.1.32473.2.3.16.5\n"
    "1.3.6.1.2.1.25.3.2.1.3.1|4|OV-C2000\n"
    "1.3.6.1.2.1.43.5.1.1.16.1|4|OV printer\n"
    "1.3.6.1.4.1.32473.2.3.50.1.2.3.1.2.1.1|4|Orven two\n"
    "1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4.1.1|4|Floor 2\n";
const char* const kOtherMaker =
    "1.3.6.1.2.1.1.2.0|6|1.3.6.1.4.1.9999.1\n"
    "1.3.6.1.2.1.1.5.0|4|Other maker\n"
    "1.3.6.1.2.1.25.3.2.1.3.1|4|Other laser\n"
    "1.3.6.1.2.1.43.5.1.1.16.1|4|Other\n";

constexpr const char* kKorvalenAddress = "10.203.0.11";
constexpr const char* kOrvenAddress = "10.203.0.12";
constexpr const char* kSilentAddress = "10.203.0.13";
constexpr const char* kOtherAddress = "10.203.0.14";

struct Bed {
    BroadcastBed bed;
    std::vector<std::unique_ptr<qxtest::AgentProcess>> agents;
    std::string error;
    bool ready = false;

    bool Build() {
        if (!bed.Create(error) || !qxtest::SetPrivateHostName(BroadcastBed::kHostAddress, error))
            return false;
        struct Device {
            const char* address;
            const char* profile;  // null: the responder that never identifies
        };
        const Device devices[] = {{kKorvalenAddress, kKorvalen},
                                  {kOrvenAddress, kOrven},
                                  {kSilentAddress, nullptr},
                                  {kOtherAddress, kOtherMaker}};
        for (const Device& d : devices) {
            int i = bed.AddDevice(d.address, 24, error);
            if (i < 0)
                return false;
            agents.push_back(std::make_unique<qxtest::AgentProcess>());
            bool ok = d.profile
                          ? bed.LaunchSnmpsim(*agents.back(), i, d.profile, error)
                          : bed.LaunchProgram(*agents.back(), i, {QX_TEST_UDP_RESPONDER}, error);
            if (!ok)
                return false;
        }
        for (size_t i = 0; i < agents.size(); ++i)
            if (!agents[i]->WaitUntilAnswering(devices[i].address, std::chrono::seconds(30),
                                               error)) {
                error = std::string(devices[i].address) + ": " + error;
                return false;
            }
        return true;
    }
};

Bed* g_bed = nullptr;

class DialogsOnTheBed : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!qxtest::InPrivateNetwork() || geteuid() != 0)
            return;
        g_bed = new Bed;
        g_bed->ready = g_bed->Build();
    }
    static void TearDownTestSuite() {
        delete g_bed;
        g_bed = nullptr;
    }
    void SetUp() override {
        QX_REQUIRE_PRIVATE_NETWORK();
        if (geteuid() != 0)
            GTEST_SKIP() << "the broadcast test bed needs root";
        ASSERT_TRUE(g_bed && g_bed->ready) << (g_bed ? g_bed->error : "");
        std::string error;
        ASSERT_TRUE(qxtest::SetPrivateHostName(BroadcastBed::kHostAddress, error)) << error;
        SetTraceDestination(tracePath.c_str());
        // Settings keys exist (settings are written only into an existing
        // key), and a silent device costs 2 x 0.5 s instead of 2 x 30 s.
        for (uint32_t family : {1u, 2u}) {
            reg::Key key;
            ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser, SettingsKey(family), key), 0);
            ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser, ClientRootKey(family), key), 0);
            key.SetDword("TimeOut", 50);
        }
    }
    void TearDown() override { SetTraceDestination(""); }

    std::string TraceText() {
        std::ifstream in(tracePath);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Runs one discovery and watches the window while it goes on.
    struct RunView {
        std::vector<std::string> rowsAsAdded;
        int processingTurns = 0;  // event-loop turns seen while answers were identified
        bool finished = false;
    };
    RunView Run(CDiscoveryDialogBase& dlg, const char* screenshotPrefix = nullptr) {
        RunView view;
        QObject::connect(&dlg, &CDiscoveryDialogBase::discoveryFinished,
                         [&] { view.finished = true; });
        QObject::connect(&dlg, &CDiscoveryDialogBase::rowAdded, [&](int index) {
            view.rowsAsAdded.push_back(dlg.FoundList()->RowAt(index).address);
        });
        Shot(dlg, screenshotPrefix, "idle");
        QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dlg, 301)), Qt::LeftButton);
        EXPECT_TRUE(Spin([&] { return dlg.IsDiscovering(); }, 5000));
        Spin([] { return false; }, 800);
        Shot(dlg, screenshotPrefix, "discovering");
        EXPECT_TRUE(Spin(
            [&] {
                if (dlg.CurrentPhase() == CDiscoveryDialogBase::Phase::Processing)
                    ++view.processingTurns;
                return view.finished;
            },
            60000));
        return view;
    }
    void Shot(QWidget& dlg, const char* prefix, const char* state) {
        const char* dir = std::getenv("QX_SCREENSHOT_DIR");
        if (!dir || !prefix)
            return;
        QApplication::processEvents();
        dlg.grab().save(QDir(dir).filePath(QString("%1-%2.png").arg(prefix, state)));
    }

    // The addresses in the order the listen thread stored them.
    std::vector<std::string> SlotOrder() {
        std::vector<std::string> order;
        std::regex line(R"(\(\) ([0-9.]+)\. Count is)");
        std::string text = TraceText().substr(traceStart);
        for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it)
            order.push_back((*it)[1]);
        return order;
    }

    qxtest::TempRegistry registry;
    qxtest::TempDir dir;
    std::string tracePath = dir.Path() + "/trace.log";
    size_t traceStart = 0;
};

std::vector<std::string> Addresses(const CDeviceListView& list) {
    std::vector<std::string> out;
    for (const DeviceRow& row : list.Rows())
        out.push_back(row.address);
    return out;
}

}  // namespace

TEST_F(DialogsOnTheBed, LocalRunAddsRowsInAnswerOrderWhileTheWindowWorksAndOkWritesTwain) {
    // A NetWare client is installed, so IPX is available to callers that may use it.
    qxtest::TempDir programDir;
    for (const auto& entry : fs::directory_iterator(ProgramDirectory()))
        if (entry.is_regular_file() &&
            (entry.path().extension() == ".txt" || entry.path().filename() == "tnlang.dll"))
            fs::copy_file(entry.path(), programDir.Path() + "/" + entry.path().filename().string());
    fs::copy_file(QX_TEST_NETWARE_STUB, programDir.Path() + "/" + kNetwareClientLibrary);
    struct Installed {
        explicit Installed(const std::string& dir) {
            setenv("QX_TEST_NETWARE_VERSION", "9.0.0", 1);
            SetProgramDirectoryForTesting(dir);
        }
        ~Installed() {
            SetProgramDirectoryForTesting("");
            unsetenv("QX_TEST_NETWARE_VERSION");
        }
    } installed(programDir.Path());

    {
        CDiscoveryLocal ipx(10);
        EXPECT_TRUE(ipx.Host().bIpxAvailable) << "the client is there";
        ipx.show();
        Run(ipx);
        EXPECT_EQ(ipx.LastProtocol(), DiscoveryProtocol::Ipx) << "IPX first where allowed";
    }

    CDiscoveryLocal dlg(9);
    EXPECT_FALSE(dlg.Host().bIpxAvailable) << "caller 9 may not use IPX";
    dlg.show();
    traceStart = TraceText().size();
    RunView view = Run(dlg, std::getenv("QX_SCREENSHOT_DIR") ? "local" : nullptr);
    EXPECT_EQ(dlg.LastProtocol(), DiscoveryProtocol::Ip);
    EXPECT_EQ(TraceText().find("StartBroadCastThread_IPX", traceStart), std::string::npos);

    // Korvalen and Orven are caller 9's kinds; another maker's printer and
    // the silent device are not listed.
    std::vector<std::string> expected;
    for (const std::string& address : SlotOrder())
        if ((address == kKorvalenAddress || address == kOrvenAddress) &&
            std::find(expected.begin(), expected.end(), address) == expected.end())
            expected.push_back(address);
    ASSERT_EQ(expected.size(), 2u) << TraceText();
    EXPECT_EQ(view.rowsAsAdded, expected) << "rows come one by one in the order of the answers";
    EXPECT_EQ(Addresses(*dlg.FoundList()), expected);
    EXPECT_GT(view.processingTurns, 3)
        << "the window kept working while the silent device was identified";
    DeviceRow korvalen = dlg.FoundList()->RowAt(expected[0] == kKorvalenAddress ? 0 : 1);
    EXPECT_EQ(korvalen.name, "Korvalen one");
    EXPECT_EQ(korvalen.location, "Floor 1");
    EXPECT_EQ(korvalen.model, "KV-C3811");
    EXPECT_EQ(ReadLastDiscovered(2).size(), 2u) << "the run's addresses are remembered";
    Shot(dlg, std::getenv("QX_SCREENSHOT_DIR") ? "local" : nullptr, "found");

    // Picking a row shows its web page and allows OK.
    QString link;
    QObject::connect(&dlg, &CDiscoveryLocal::webLinkReady, [&](const QString& l) { link = l; });
    const int row = expected[0] == kKorvalenAddress ? 0 : 1;
    dlg.FoundList()->topLevelItem(row)->setSelected(true);
    ASSERT_TRUE(Spin([&] { return !link.isEmpty(); }, 20000));
    EXPECT_EQ(link.toStdString(), "http://10.203.0.11:8080");
    EXPECT_TRUE(FindControl(&dlg, 1)->isEnabled());

    const auto before = qxtest::UserRegistry();
    QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dlg, 1)), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.SelectedAddress(), kKorvalenAddress);
    EXPECT_EQ(dlg.SelectedName(), "Korvalen one");
    const auto after = qxtest::UserRegistry();
    const std::string orven = "Software\\ORVEN\\Quorvia ORVEN Client";
    EXPECT_EQ(qxtest::ChangedKeys(before, after),
              (std::vector<std::string>{orven + "\\QX-Tendra", orven + "\\Twain"}));
    EXPECT_EQ(after.at(orven + "\\Twain\\Last Selected IP"), kKorvalenAddress);
    EXPECT_EQ(after.at(orven + "\\Twain\\Model" + std::to_string(row)), "KV-C3811");
    EXPECT_EQ(after.count(orven + "\\Twain\\Last Selected Port"), 0u);
}

TEST_F(DialogsOnTheBed, ResultCallerWithAMatchingDefaultPrinterClosesWithoutAsking) {
    qxtest::SeedRegistry(qxtest::DataFile("discovery", "dialog_printers.reg"));
    qxtest::AnsweredBoxes boxes(MessageResult::No);
    CDiscoveryLocal dlg(3);
    dlg.show();
    Run(dlg);
    const auto rows = Addresses(*dlg.FoundList());
    auto at = std::find(rows.begin(), rows.end(), kKorvalenAddress);
    ASSERT_NE(at, rows.end());
    EXPECT_EQ(std::find(rows.begin(), rows.end(), kOrvenAddress), rows.end())
        << "caller 3 looks for Korvalen and Brisel only";
    dlg.FoundList()->topLevelItem(static_cast<int>(at - rows.begin()))->setSelected(true);
    dlg.accept();
    EXPECT_TRUE(boxes.Take().empty()) << "the KV-C3811 driver is a Korvalen one";
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.SelectedFamilyCode(), 1);
    EXPECT_EQ(dlg.SelectedAddress(), kKorvalenAddress);
}

TEST_F(DialogsOnTheBed, NetworkDialogListsOtherMakersOutsideMode17AndSavesTheAddedDevice) {
    std::vector<std::string> makerOnly;
    {
        CDseDiscoveryDlg dlg(1, CDseDiscoveryDlg::kModeMakerOnly);
        dlg.show();
        Run(dlg);
        makerOnly = Addresses(*dlg.FoundList());
        std::sort(makerOnly.begin(), makerOnly.end());
        EXPECT_EQ(makerOnly, (std::vector<std::string>{kKorvalenAddress, kOrvenAddress}));
    }
    // The first run's devices are remembered: the component finds them again
    // beside the broadcast, and each is still listed once.
    EXPECT_EQ(ReadLastDiscovered(1).size(), 2u);
    CDseDiscoveryDlg dlg(1, CDseDiscoveryDlg::kModeAll);
    dlg.show();
    Run(dlg, std::getenv("QX_SCREENSHOT_DIR") ? "network" : nullptr);
    auto all = Addresses(*dlg.FoundList());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (std::vector<std::string>{kKorvalenAddress, kOrvenAddress, kOtherAddress}));
    for (const DeviceRow& row : dlg.FoundList()->Rows())
        if (row.address == kOtherAddress) {
            EXPECT_EQ(row.name, "Other maker") << "named by its sysName";
            EXPECT_EQ(row.model, "Other laser");
        }

    for (int i = 0; i < dlg.FoundList()->RowCount(); ++i)
        if (dlg.FoundList()->RowAt(i).address == kOrvenAddress)
            dlg.FoundList()->SetTicked(i, true);
    dlg.OnAdd();
    ASSERT_EQ(dlg.MonitoringList()->RowCount(), 1);
    Shot(dlg, std::getenv("QX_SCREENSHOT_DIR") ? "network" : nullptr, "found");
    dlg.accept();
    auto saved = ReadLastLookUp(1);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].address, kOrvenAddress);
    EXPECT_EQ(saved[0].name, "Orven two");
    EXPECT_EQ(saved[0].location, "Floor 2");
}

TEST_F(DialogsOnTheBed, QxctlTakesPicturesOfADialogAndRefusesBadArguments) {
    qxtest::TempDir shots;
    qxtest::ProgramResult r = qxtest::RunProgram(
        "qxctl",
        {"dialog", "local", "--caller", "9", "--screenshot", QString::fromStdString(shots.Path())});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char* name : {"local-idle.png", "local-discovering.png", "local-found.png"}) {
        QImage image(QString::fromStdString(shots.Path() + "/" + name));
        EXPECT_FALSE(image.isNull()) << name;
    }
    EXPECT_EQ(qxtest::RunProgram("qxctl", {"dialog", "network"}).exitCode, 2);
    EXPECT_EQ(
        qxtest::RunProgram("qxctl", {"dialog", "local", "--caller", "1", "--family", "2"}).exitCode,
        2)
        << "caller 1 uses the Korvalen family";
    EXPECT_EQ(qxtest::RunProgram("qxctl", {"dialog", "local"}).exitCode, 2);
}
