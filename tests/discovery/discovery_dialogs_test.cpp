// The two discovery dialogs offscreen, in a private network where the host
// has no usable address (runs start no broadcast): the network dialog's
// Add, Remove and OK rules with the printers table, the local dialog's OK by
// caller number and its Cancel, the default-printer check, one dialog at a
// time, the close box during a run, help, a missing language library, and
// "Tendra_Exit" ending a process whose dialog is open.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "DialogTestKit.h"
#include "discovery/dialogs/DeviceListView.h"
#include "discovery/dialogs/DiscoveryLocal.h"
#include "discovery/dialogs/DseDiscoveryDlg.h"
#include "discovery/dialogs/Help.h"
#include "discovery/dialogs/ManualSelection.h"
#include "discovery/dialogs/SelectionStore.h"
#include "platform/bus/TendraExit.h"
#include "platform/lang/LanguageLibrary.h"
#include "platform/system/ProgramPath.h"
#include "settings/Settings.h"
#include "support/PrivateBus.h"
#include "support/PrivateNetwork.h"
#include "support/RegFixture.h"
#include "support/TempRegistry.h"
#include "ui/ControlId.h"
#include "ui/Hyperlink.h"

QX_TEST_USES_PRIVATE_NETWORK();

using namespace qx;
using qxtest::AnsweredBoxes;
using qxtest::Spin;

namespace {

constexpr auto Text = qxtest::LibraryText;

DiscoveryDialogOptions Quiet() {
    DiscoveryDialogOptions options;
    options.bComponent = false;
    return options;
}

DeviceRow Row(const std::string& name, const std::string& address, const std::string& location = "",
              const std::string& model = "") {
    return DeviceRow{name, address, location, model, CDeviceList::kIconPlain};
}

// Types a device into the manual selection dialog once it is open, and confirms.
void TypeManualDevice(const std::string& name) {
    QTimer::singleShot(0, [name] {
        auto* manual = qobject_cast<CManualSelection*>(QApplication::activeModalWidget());
        ASSERT_NE(manual, nullptr);
        // Without a usable IP address the device is given by its IPX numbers.
        manual->IpxNetworkEdit()->setText("0000000A");
        manual->IpxNodeEdit()->setText("00A0B0C0D0E0");
        manual->NameEdit()->setText(QString::fromStdString(name));
        manual->LocationEdit()->setText("Desk");
        manual->accept();
    });
}

class DiscoveryDialogs : public ::testing::Test {
  protected:
    void SetUp() override { QX_REQUIRE_PRIVATE_NETWORK(); }
    qxtest::TempRegistry store;
};

}  // namespace

TEST_F(DiscoveryDialogs, NetworkDialogMovesDevicesByItsRulesAndSavesOnlyWhatTheUserAdded) {
    qxtest::SeedRegistry(qxtest::DataFile("discovery", "dialog_printers.reg"));
    ASSERT_EQ(WriteLastLookUp(1, {Row("Saved", "10.0.0.50", "Room", "M")}), 0);
    AnsweredBoxes boxes;
    CDseDiscoveryDlg dlg(1, CDseDiscoveryDlg::kModeMakerOnly, nullptr, Quiet());
    ASSERT_TRUE(dlg.Initialised());
    dlg.show();
    EXPECT_EQ(dlg.windowTitle().toStdString(), Text(102));
    CDeviceListView* watched = dlg.MonitoringList();
    CDeviceListView* found = dlg.FoundList();
    ASSERT_EQ(watched->RowCount(), 2);
    EXPECT_EQ(watched->RowAt(0).name, "Office");
    EXPECT_EQ(watched->RowAt(0).address, "10.1.2.3");
    EXPECT_EQ(watched->RowAt(1).name, "Saved");
    EXPECT_EQ(FindControl(&dlg, 603), watched);
    EXPECT_EQ(FindControl(&dlg, 1022), found);
    EXPECT_EQ(found->headerItem()->text(3).toStdString(), Text(113));

    // The same device as a watched one, in every field: refused and unticked.
    found->AddRow(Row("Saved", "10.0.0.50", "Room", "M"));
    for (int i = 1; i <= 14; ++i)
        found->AddRow(Row("D" + std::to_string(i), "10.0.1." + std::to_string(i)));
    EXPECT_FALSE(dlg.AddButton()->isEnabled());
    found->SetTicked(0, true);
    EXPECT_TRUE(dlg.AddButton()->isEnabled()) << "a ticked discovered row enables Add";
    QTest::mouseClick(dlg.AddButton(), Qt::LeftButton);
    auto shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, Text(99));
    EXPECT_EQ(shown[0].caption, Text(98));
    EXPECT_EQ(shown[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(found->IsTicked(0));
    EXPECT_EQ(found->RowCount(), 15);
    EXPECT_EQ(watched->RowCount(), 2);
    EXPECT_FALSE(dlg.AddButton()->isEnabled());

    // Fourteen more: from the last up, thirteen fit; the sixteenth is refused.
    for (int i = 1; i <= 14; ++i)
        found->SetTicked(i, true);
    dlg.OnAdd();
    shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, Text(101));
    EXPECT_EQ(shown[0].caption, Text(99));
    EXPECT_EQ(watched->RowCount(), 15);
    ASSERT_EQ(found->RowCount(), 2);
    EXPECT_EQ(found->RowAt(1).name, "D1") << "the first ticked row was the sixteenth";
    EXPECT_EQ(watched->RowAt(2).name, "D14");

    // Remove: the workstation's printer stays, with a message; the other goes back.
    watched->SetTicked(0, true);
    watched->SetTicked(2, true);
    QTest::mouseClick(dlg.RemoveButton(), Qt::LeftButton);
    shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, Text(100));
    EXPECT_EQ(watched->RowCount(), 14);
    EXPECT_EQ(watched->RowAt(0).name, "Office");
    EXPECT_EQ(found->RowAt(found->RowCount() - 1).name, "D14");

    // OK: the watched rows without the printer, from 0, old entries gone.
    reg::Key key;
    ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser,
                               std::string(DiscoveryKey(1)) + "\\LastLookUp", key),
              0);
    key.SetString("Address14", "stale");
    QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dlg, 1)), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    auto saved = ReadLastLookUp(1);
    ASSERT_EQ(saved.size(), 13u);
    EXPECT_EQ(saved[0].name, "Saved");
    EXPECT_EQ(saved[1].name, "D13");
    for (const DeviceRow& row : saved)
        EXPECT_NE(row.name, "Office");
    std::string text;
    EXPECT_NE(key.GetString("Address14", text), 0);
    EXPECT_TRUE(ReadLastLookUp(2).empty()) << "the other family's list is untouched";
}

TEST_F(DiscoveryDialogs, LocalOkWritesWhatTheCallerNamesAndNothingElse) {
    struct Case {
        int nCaller;
        std::vector<std::string> keys;  // changed keys besides the family's settings
        uint32_t nSettingsFamily;
    };
    const std::string korvalen = "Software\\KORVALEN\\Quorvia KORVALEN Client";
    const std::string orven = "Software\\ORVEN\\Quorvia ORVEN Client";
    const Case cases[] = {
        {0, {}, 1},
        {1, {korvalen + "\\Twain"}, 1},
        {2, {korvalen + "\\Address Book Viewer"}, 1},
        {5, {orven + "\\Installer"}, 1},
        {7, {}, 2},
        {9, {orven + "\\Twain"}, 2},
        {10, {orven + "\\Address Book Viewer"}, 2},
        {14, {orven + "\\BRD"}, 2},
        {21, {orven + "\\Installer"}, 2},
        {40, {}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("caller " + std::to_string(c.nCaller));
        qxtest::TempRegistry fresh;
        AnsweredBoxes boxes;
        CDiscoveryLocal dlg(c.nCaller, nullptr, Quiet());
        ASSERT_TRUE(dlg.Initialised());
        dlg.show();
        dlg.FoundList()->AddRow(Row("First", "10.0.0.1", "Hall", "KV"));
        dlg.FoundList()->AddRow(Row("Second", "10.0.0.2", "Lab", "OV"));
        dlg.FoundList()->topLevelItem(1)->setSelected(true);
        // The settings keys are there (settings are written only into an
        // existing key) but empty, so that writing them back shows.
        for (uint32_t family : {1u, 2u}) {
            reg::Key settings;
            ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser, SettingsKey(family), settings), 0);
            settings.DeleteTree("");
        }
        const auto before = qxtest::UserRegistry();
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.SelectedAddress(), "10.0.0.2");
        EXPECT_EQ(dlg.SelectedName(), "Second");
        std::vector<std::string> expected = c.keys;
        expected.push_back((c.nSettingsFamily == 1 ? korvalen : orven) + "\\QX-Tendra");
        std::sort(expected.begin(), expected.end());
        const auto after = qxtest::UserRegistry();
        EXPECT_EQ(qxtest::ChangedKeys(before, after), expected);
        for (const std::string& key : c.keys) {
            if (key.ends_with("Installer")) {
                EXPECT_EQ(after.at(key + "\\Last Selected Location"), "Lab");
                EXPECT_EQ(after.at(key + "\\Last Selected Port"), "") << "the device is silent";
            } else {
                EXPECT_EQ(after.at(key + "\\Address1"), "10.0.0.2");
                EXPECT_EQ(after.at(key + "\\Last Selected IP"), "10.0.0.2");
                EXPECT_EQ(after.count(key + "\\Last Selected Model") != 0,
                          key.ends_with("Address Book Viewer"));
            }
        }
        EXPECT_TRUE(boxes.Take().empty());
    }
}

TEST_F(DiscoveryDialogs, LocalDialogShowsTheStoredListAndHidesHelpForInstallers) {
    ASSERT_EQ(WriteStoredRows(2, "Address Book Viewer", {Row("Kept", "10.0.0.7", "Hall", "OV")}),
              0);
    CDiscoveryLocal viewer(10, nullptr, Quiet());
    ASSERT_EQ(viewer.FoundList()->RowCount(), 1);
    EXPECT_EQ(viewer.FoundList()->RowAt(0).location, "Hall");
    EXPECT_EQ(viewer.windowTitle().toStdString(), Text(104));
    EXPECT_FALSE(FindControl(&viewer, 1)->isEnabled()) << "no row selected";
    CDiscoveryLocal twain(9, nullptr, Quiet());
    EXPECT_EQ(twain.FoundList()->RowCount(), 0);
    twain.show();
    EXPECT_TRUE(FindControl(&twain, 9)->isVisible());
    CDiscoveryLocal installer(12, nullptr, Quiet());
    installer.show();
    EXPECT_FALSE(FindControl(&installer, 9)->isVisible());
}

TEST_F(DiscoveryDialogs, CancelRemovesTheInstallerSelectionWhateverTheCaller) {
    for (int nCaller : {0, 3, 4, 9, 14, 21, 99}) {
        SCOPED_TRACE("caller " + std::to_string(nCaller));
        ASSERT_EQ(WriteLastSelected(kInstallerFamily, "Installer",
                                    {"10.0.0.1", "A", "Hall", "KV", "9100"}, true),
                  0);
        CDiscoveryLocal dlg(nCaller, nullptr, Quiet());
        dlg.show();
        QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dlg, 2)), Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_FALSE(dlg.isVisible());
        reg::Key key;
        ASSERT_EQ(reg::Key::Open(reg::Hive::CurrentUser, CallerKeyPath(2, "Installer"),
                                 reg::Access::Read, key),
                  0);
        std::string name;
        EXPECT_NE(key.EnumValue(0, name), 0) << name;
    }
}

TEST_F(DiscoveryDialogs, ResultCallersCheckTheSelectionAndTheDefaultPrinter) {
    AnsweredBoxes boxes(MessageResult::No);
    {
        CDiscoveryLocal dlg(3, nullptr, Quiet());
        dlg.show();
        dlg.FoundList()->AddRow(Row("Dev", "10.0.0.9"));
        dlg.accept();
        auto shown = boxes.Take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, Text(834));
        EXPECT_TRUE(dlg.isVisible()) << "no row selected: stays open";

        // No default printer: asked, and No keeps it open.
        dlg.FoundList()->topLevelItem(0)->setSelected(true);
        dlg.accept();
        shown = boxes.Take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, Text(859));
        EXPECT_EQ(shown[0].buttons, MessageButtons::YesNo);
        EXPECT_TRUE(dlg.isVisible());
        boxes.Answer(MessageResult::Yes);
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.SelectedAddress(), "10.0.0.9");
        EXPECT_EQ(dlg.SelectedFamilyCode(), -1) << "the device does not answer";
    }
    // A default printer whose driver is a Korvalen one does not match a silent device.
    qxtest::SeedRegistry(qxtest::DataFile("discovery", "dialog_printers.reg"));
    boxes.Take();
    boxes.Answer(MessageResult::No);
    CDiscoveryLocal dlg(11, nullptr, Quiet());
    dlg.show();
    dlg.FoundList()->AddRow(Row("Dev", "10.0.0.9"));
    dlg.FoundList()->topLevelItem(0)->setSelected(true);
    dlg.accept();
    auto shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, Text(833));
    EXPECT_TRUE(dlg.isVisible());

    auto language = LanguageLibrary::Load();
    ASSERT_TRUE(language);
    EXPECT_EQ(DriverFamilyCode(*language, "quorvia kv-c3811 pcl6"), 1);
    EXPECT_EQ(DriverFamilyCode(*language, "Quorvia OV-C2000 PS3"), 6);
    EXPECT_EQ(DriverFamilyCode(*language, "Other PCL"), -1);
}

TEST_F(DiscoveryDialogs, SecondDiscoveryDialogClosesItselfAtOnce) {
    {
        CDseDiscoveryDlg network(1, 17, nullptr, Quiet());
        network.show();
        CDiscoveryLocal local(0, nullptr, Quiet());
        QTimer::singleShot(10000, &local, [&] { local.done(42); });
        EXPECT_EQ(local.exec(), QDialog::Rejected);
        EXPECT_TRUE(network.isVisible());
    }
    CDiscoveryLocal local(0, nullptr, Quiet());
    local.show();
    CDseDiscoveryDlg network(2, 17, nullptr, Quiet());
    QTimer::singleShot(10000, &network, [&] { network.done(42); });
    EXPECT_EQ(network.exec(), QDialog::Rejected);
    EXPECT_TRUE(local.isVisible());
}

TEST_F(DiscoveryDialogs, RunIgnoresTheCloseBoxAndReturnsToIdle) {
    CDiscoveryLocal dlg(0, nullptr, Quiet());
    dlg.show();
    EXPECT_FALSE(dlg.Host().bIpAvailable) << "only loopback here";
    bool bFinished = false;
    QObject::connect(&dlg, &CDiscoveryDialogBase::discoveryFinished, [&] { bFinished = true; });
    auto* action = qobject_cast<QPushButton*>(FindControl(&dlg, 301));
    auto* status = qobject_cast<QLabel*>(FindControl(&dlg, 208));
    QTest::mouseClick(action, Qt::LeftButton);
    ASSERT_TRUE(Spin([&] { return dlg.IsDiscovering(); }, 5000));
    EXPECT_EQ(action->text().toStdString(), Text(26));
    EXPECT_EQ(status->text().toStdString(), Text(31));
    EXPECT_FALSE(FindControl(&dlg, 2)->isEnabled());
    EXPECT_FALSE(FindControl(&dlg, 3)->isEnabled());
    EXPECT_FALSE(dlg.close()) << "the close box is ignored during a run";
    dlg.reject();
    EXPECT_TRUE(dlg.isVisible());
    std::set<int> frames;
    ASSERT_TRUE(Spin(
        [&] {
            frames.insert(dlg.AnimationFrameNumber());
            return bFinished;
        },
        20000));
    EXPECT_TRUE(frames.count(2) && frames.count(6)) << "the animation ran";
    EXPECT_EQ(dlg.AnimationFrameNumber(), 1);
    EXPECT_EQ(action->text().toStdString(), Text(27));
    EXPECT_EQ(status->text().toStdString(), Text(33));
    EXPECT_TRUE(FindControl(&dlg, 2)->isEnabled());
    EXPECT_EQ(dlg.LastProtocol(), DiscoveryProtocol::None) << "no usable address, no broadcast";
    EXPECT_TRUE(dlg.close());
}

TEST_F(DiscoveryDialogs, HelpOpensThePageOfTheDialogOrSaysItIsMissing) {
    std::vector<QUrl> opened;
    CHyperlink::SetUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    {
        CDiscoveryLocal dlg(0, nullptr, Quiet());
        dlg.show();
        QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dlg, 9)), Qt::LeftButton);
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_TRUE(opened[0].isLocalFile());
        EXPECT_EQ(opened[0].toLocalFile().toStdString(), HelpPagePath(kHelpLocalDiscovery));
        CDseDiscoveryDlg network(1, 17, nullptr, Quiet());
        QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&network, 9)), Qt::LeftButton);
        ASSERT_EQ(opened.size(), 2u);
        EXPECT_TRUE(opened[1].toLocalFile().endsWith("/QVHM/1003.html"));
    }
    for (int context : {1002, 1003, 1004, 1005, 1006})
        EXPECT_TRUE(QFile::exists(QString::fromStdString(HelpPagePath(context)))) << context;

    AnsweredBoxes boxes;
    EXPECT_FALSE(ShowHelp(nullptr, 4711));
    auto shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("4711.html"), std::string::npos) << shown[0].text;
    EXPECT_EQ(shown[0].icon, MessageIcon::Stop);

    CHyperlink::SetUrlOpener([](const QUrl&) { return false; });
    EXPECT_FALSE(ShowHelp(nullptr, kHelpLocalDiscovery));
    EXPECT_EQ(boxes.Take().size(), 1u) << "a desktop that cannot open it is told too";
    CHyperlink::SetUrlOpener({});
}

TEST_F(DiscoveryDialogs, WithoutTheLanguageLibraryTheDialogsDoNotFinishOpening) {
    qxtest::TempDir empty;
    AnsweredBoxes boxes;
    {
        qxtest::ProgramDirectory programDir(empty.Path());
        CDiscoveryLocal local(0, nullptr, Quiet());
        EXPECT_FALSE(local.Initialised());
        CDseDiscoveryDlg network(1, 17, nullptr, Quiet());
        EXPECT_FALSE(network.Initialised());
    }
    auto shown = boxes.Take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Could not Load Language Library");
}

// The child side of the next test: one dialog open until something ends the process.
TEST_F(DiscoveryDialogs, TendraExitEndsAProcessWhoseNetworkDialogIsOpen) {
    if (const char* child = std::getenv("QX_DIALOG_CHILD")) {
        std::unique_ptr<QDialog> dlg;
        if (std::string(child) == "network")
            dlg = std::make_unique<CDseDiscoveryDlg>(1, 17, nullptr, Quiet());
        else
            dlg = std::make_unique<CDiscoveryLocal>(std::atoi(child), nullptr, Quiet());
        dlg->show();
        std::printf("open\n");
        std::fflush(stdout);
        Spin([] { return false; }, 60000);
        std::_Exit(3);
    }
    qxtest::PrivateBus bus;
    ASSERT_TRUE(bus.Ok());
    QDBusConnection monitor = bus.Connect();
    auto start = [](QProcess& process, const char* which) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QX_DIALOG_CHILD", which);
        process.setProcessEnvironment(env);
        process.start(
            QString::fromStdString(ProgramFilePath()),
            {"--gtest_filter=DiscoveryDialogs.TendraExitEndsAProcessWhoseNetworkDialogIsOpen"});
        EXPECT_TRUE(process.waitForStarted(10000));
        QElapsedTimer t;
        t.start();
        QByteArray out;
        while (!out.contains("open") && t.elapsed() < 30000 &&
               process.state() == QProcess::Running) {
            process.waitForReadyRead(100);
            out += process.readAllStandardOutput();
        }
        return out.contains("open");
    };
    QProcess network, caller11, caller0;
    ASSERT_TRUE(start(network, "network"));
    ASSERT_TRUE(start(caller11, "11"));
    ASSERT_TRUE(start(caller0, "0"));
    // The watchers subscribe while the dialogs open; broadcast until the
    // processes that must end have ended.
    QElapsedTimer t;
    t.start();
    while ((network.state() != QProcess::NotRunning || caller11.state() != QProcess::NotRunning) &&
           t.elapsed() < 20000) {
        ASSERT_TRUE(bus::EmitTendraExit(monitor));
        network.waitForFinished(100);
        caller11.waitForFinished(100);
    }
    EXPECT_EQ(network.state(), QProcess::NotRunning);
    EXPECT_EQ(network.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(network.exitCode(), 0);
    EXPECT_EQ(caller11.state(), QProcess::NotRunning);
    EXPECT_EQ(caller11.exitCode(), 0);
    EXPECT_FALSE(caller0.waitForFinished(500)) << "caller 0's dialog does not end the process";
    caller0.kill();
    caller0.waitForFinished(10000);
    bus.Disconnect(monitor);
}

TEST_F(DiscoveryDialogs, ManualDevicesJoinTheListWithinItsLimitAndOnlyOnce) {
    AnsweredBoxes boxes;
    CDiscoveryLocal local(0, nullptr, Quiet());
    local.show();
    TypeManualDevice("Typed");
    local.OnManualSelection();
    ASSERT_EQ(local.FoundList()->RowCount(), 1);
    const DeviceRow row = local.FoundList()->RowAt(0);
    EXPECT_EQ(row.address, "0000000A:00A0B0C0D0E0");
    EXPECT_EQ(row.location, "Desk");
    EXPECT_EQ(row.model, "");
    EXPECT_EQ(row.nIcon, CDeviceList::kIconPlain);
    TypeManualDevice("TYPED");
    local.OnManualSelection();
    auto shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, Text(114)) << "the same device in another letter case";
    for (int i = 1; i < CDiscoveryLocal::kMaxRows; ++i)
        local.FoundList()->AddRow(Row("R", "10.0.2." + std::to_string(i)));
    TypeManualDevice("Another");
    local.OnManualSelection();
    shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, Text(101));
    EXPECT_EQ(local.FoundList()->RowCount(), 64);
    local.done(QDialog::Rejected);

    CDseDiscoveryDlg network(2, 17, nullptr, Quiet());
    network.show();
    TypeManualDevice("Watched");
    network.OnManualSelection();
    ASSERT_EQ(network.MonitoringList()->RowCount(), 1);
    EXPECT_EQ(network.MonitoringList()->RowAt(0).name, "Watched");
    EXPECT_EQ(network.FoundList()->RowCount(), 0);
}
