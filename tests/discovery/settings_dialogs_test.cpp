// The discovery settings dialogs with their real widgets: the values handed
// in and given back, the subnet range shown, the protocol and device-kind
// refusals, the device filter and mode derived from the result, and the
// NetWare warning shown before the dialogs open.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>
#include <fstream>

#include "DialogTestKit.h"
#include "discovery/NetwareClient.h"
#include "discovery/dialogs/DiscoverySettings.h"
#include "discovery/dialogs/DseDiscoveryCfgDlg.h"
#include "discovery/dialogs/LocalDiscoveryCfgDlg.h"
#include "discovery/dialogs/NetwareMessage.h"
#include "support/TempRegistry.h"
#include "ui/CheckControl.h"
#include "ui/CheckList.h"
#include "ui/ControlId.h"
#include "ui/DseIPAddressCtrl.h"

using namespace qx;
using namespace qxtest;
namespace fs = std::filesystem;

namespace {

LocalDiscoverySettings LocalSettings(int nCaller = 0) {
    LocalDiscoverySettings s;
    s.bIpEnabled = true;
    s.bIpxEnabled = false;
    s.bIpAvailable = true;
    s.bIpxAvailable = false;
    s.bUseSubnet = true;
    s.strMask = "255.255.240.0";
    s.strHost = "192.168.5.77";
    s.strFrom = "10.0.0.1";
    s.strTo = "10.0.0.9";
    s.bKorvalen = true;
    s.bBrisel = true;
    s.nCaller = nCaller;
    return s;
}

NetworkDiscoverySettings NetworkSettings() {
    NetworkDiscoverySettings s;
    s.bIpEnabled = true;
    s.bIpAvailable = true;
    s.strMask = "255.255.255.0";
    s.strHost = "10.20.30.40";
    s.bMakersDevices = true;
    return s;
}

// Texts of the kinds' items shown by the list, from the top.
QStringList ItemTexts(const CCheckList* list) {
    QStringList texts;
    for (int i = 0; i < list->GetCount(); ++i)
        texts << list->GetItem(i)->Text();
    return texts;
}

int IndexOfKind(const CCheckList* list, CLocalDiscoveryCfgDlg::Kind kind) {
    for (int i = 0; i < list->GetCount(); ++i)
        if (list->GetItem(i)->ItemData() == static_cast<uint32_t>(kind))
            return i;
    return -1;
}

// Clicks an item's check box as the user does.
void TickByClick(CCheckList* list, int nIndex) {
    QWidget* control = list->Control()->viewport();
    const int y =
        (nIndex - list->FirstVisibleRow()) * list->RowHeight() + list->RowHeight() / 2 + 3;
    const int x = (list->GetItem(nIndex)->Level() - 1) * list->Indent() + 5 + list->Indent() / 2;
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(x, y));
}

QString KindText(uint32_t id) {
    return QString::fromStdString(LibraryText(id));
}

}  // namespace

TEST(DeviceFilterFromKinds, EveryCombinationOfTheFourKinds) {
    struct Row {
        bool r20, q2, r30, k;
        int filter;
    };
    const Row rows[] = {
        {false, false, false, false, 0}, {false, true, false, false, 2},
        {true, false, false, false, 3},  {false, false, true, false, 4},
        {false, false, false, true, 5},  {true, true, false, false, 6},
        {false, true, true, false, 7},   {false, true, false, true, 8},
        {true, false, true, false, 9},   {true, false, false, true, 10},
        {false, false, true, true, 11},  {true, true, true, false, 12},
        {true, true, false, true, 13},   {false, true, true, true, 14},
        {true, false, true, true, 15},   {true, true, true, true, 16},
    };
    for (const Row& row : rows) {
        LocalDiscoverySettings s;
        s.bIpEnabled = true;
        s.bRk2020 = row.r20;
        s.bQx2 = row.q2;
        s.bRk2030 = row.r30;
        s.bKorvalen = row.k;
        EXPECT_EQ(DeviceFilterFromKinds(s), row.filter)
            << "R20 " << row.r20 << " Q2 " << row.q2 << " R30 " << row.r30 << " K " << row.k;
        // Brisel and Orven play no part, and IPX alone is a protocol too.
        s.bBrisel = s.bOrven = true;
        s.bIpEnabled = false;
        s.bIpxEnabled = true;
        EXPECT_EQ(DeviceFilterFromKinds(s), row.filter);
        s.bIpxEnabled = false;
        EXPECT_EQ(DeviceFilterFromKinds(s), 0) << "neither protocol searches nothing";
    }
}

TEST(DiscoveryModeFromSettings, RadioButtonsAndProtocols) {
    NetworkDiscoverySettings s;
    s.bIpEnabled = true;
    EXPECT_EQ(DiscoveryModeFromSettings(s), 0) << "neither radio button";
    s.bAllDevices = true;
    EXPECT_EQ(DiscoveryModeFromSettings(s), 1);
    s.bAllDevices = false;
    s.bMakersDevices = true;
    EXPECT_EQ(DiscoveryModeFromSettings(s), 17);
    s.bIpEnabled = false;
    EXPECT_EQ(DiscoveryModeFromSettings(s), 0) << "neither protocol";
    s.bIpxEnabled = true;
    EXPECT_EQ(DiscoveryModeFromSettings(s), 17);

    for (int nMode : {0, 1, 17, 5}) {
        SetRadioButtonsFromMode(s, nMode);
        EXPECT_EQ(DiscoveryModeFromSettings(s), nMode == 5 ? 0 : nMode);
    }
}

TEST(LocalDiscoveryCfgDlg, ShowsTheValuesHandedInWithTheLibrarysTexts) {
    MessageBoxes boxes;
    LocalDiscoverySettings in = LocalSettings();
    in.bIpxAvailable = true;
    in.bIpxEnabled = true;
    CLocalDiscoveryCfgDlg dialog(in);
    dialog.show();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(dialog.windowTitle().toStdString(), LibraryText(801));
    EXPECT_EQ(dialog.IpCheck()->text().toStdString(), LibraryText(9));
    EXPECT_EQ(dialog.IpxCheck()->text().toStdString(), LibraryText(78));
    EXPECT_EQ(dialog.OkButton()->text().toStdString(), LibraryText(7));
    EXPECT_EQ(dialog.HelpButton()->text().toStdString(), LibraryText(5));
    EXPECT_EQ(FindControl(&dialog, 303), dialog.IpCheck());
    EXPECT_EQ(FindControl(&dialog, 321), dialog.IpxCheck());
    EXPECT_EQ(FindControl(&dialog, 308), dialog.SubnetRadio());
    EXPECT_EQ(FindControl(&dialog, 311), dialog.RangeRadio());
    EXPECT_EQ(FindControl(&dialog, 316), dialog.FromControl());
    EXPECT_EQ(FindControl(&dialog, 320), dialog.ToControl());
    EXPECT_EQ(FindControl(&dialog, 10001), dialog.KindList());

    EXPECT_TRUE(dialog.IpCheck()->isChecked());
    EXPECT_TRUE(dialog.IpxCheck()->isChecked());
    EXPECT_TRUE(dialog.IpxCheck()->isEnabled());
    EXPECT_TRUE(dialog.SubnetRadio()->isChecked());
    // With the subnet chosen, From and To show the host's subnet, read-only.
    EXPECT_EQ(dialog.FromControl()->WindowText(), "192.168.0.0");
    EXPECT_EQ(dialog.ToControl()->WindowText(), "192.168.15.255");
    EXPECT_FALSE(dialog.FromControl()->isEnabled());
    EXPECT_FALSE(dialog.ToControl()->isEnabled());
    EXPECT_TRUE(dialog.HelpButton()->isVisible());

    // Without the subnet the stored range is shown, editable.
    LocalDiscoverySettings ranged = LocalSettings();
    ranged.bUseSubnet = false;
    CLocalDiscoveryCfgDlg rangeDialog(ranged);
    rangeDialog.show();
    EXPECT_TRUE(rangeDialog.RangeRadio()->isChecked());
    EXPECT_EQ(rangeDialog.FromControl()->WindowText(), "10.0.0.1");
    EXPECT_EQ(rangeDialog.ToControl()->WindowText(), "10.0.0.9");
    EXPECT_TRUE(rangeDialog.FromControl()->isEnabled());
}

TEST(LocalDiscoveryCfgDlg, GivesBackWhatTheUserChose) {
    MessageBoxes boxes;
    LocalDiscoverySettings in = LocalSettings();
    in.bIpxAvailable = true;
    CLocalDiscoveryCfgDlg dialog(in);
    dialog.show();

    Click(dialog.IpxCheck());
    Click(dialog.RangeRadio());
    EXPECT_TRUE(dialog.FromControl()->isEnabled());
    dialog.FromControl()->setFocus();
    dialog.FromControl()->ClearAddress();
    QTest::keyClicks(dialog.FromControl(), "172.16.0.10");
    dialog.ToControl()->ClearAddress();
    QTest::keyClicks(dialog.ToControl(), "172.16.0.90");
    dialog.SetExpanded(true);
    TickByClick(dialog.KindList(),
                IndexOfKind(dialog.KindList(), CLocalDiscoveryCfgDlg::KindRk2020));
    TickByClick(dialog.KindList(),
                IndexOfKind(dialog.KindList(), CLocalDiscoveryCfgDlg::KindBrisel));  // off
    Click(dialog.OkButton());

    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    const LocalDiscoverySettings& out = dialog.Settings();
    EXPECT_TRUE(out.bIpEnabled);
    EXPECT_TRUE(out.bIpxEnabled);
    EXPECT_FALSE(out.bUseSubnet);
    EXPECT_EQ(out.strFrom, "172.16.0.10");
    EXPECT_EQ(out.strTo, "172.16.0.90");
    EXPECT_TRUE(out.bRk2020);
    EXPECT_TRUE(out.bKorvalen);
    EXPECT_FALSE(out.bBrisel);
    EXPECT_FALSE(out.bQx2);
    EXPECT_FALSE(out.bRk2030);
    EXPECT_FALSE(out.bOrven);
    EXPECT_EQ(out.nCaller, 0);
    EXPECT_EQ(out.strMask, in.strMask) << "the mask is only shown";
    EXPECT_EQ(DeviceFilterFromKinds(out), 10) << "RK-2020 and Korvalen";
}

TEST(LocalDiscoveryCfgDlg, RangeControlsFollowTheProtocolAndTheRadioButtons) {
    MessageBoxes boxes;
    LocalDiscoverySettings in = LocalSettings();
    in.bUseSubnet = false;
    CLocalDiscoveryCfgDlg dialog(in);
    dialog.show();
    ASSERT_TRUE(dialog.FromControl()->isEnabled());

    Click(dialog.SubnetRadio());
    EXPECT_FALSE(dialog.FromControl()->isEnabled());
    EXPECT_EQ(dialog.FromControl()->WindowText(), "192.168.0.0") << "the subnet range is shown";
    EXPECT_EQ(dialog.ToControl()->WindowText(), "192.168.15.255");
    Click(dialog.RangeRadio());
    EXPECT_TRUE(dialog.FromControl()->isEnabled());
    EXPECT_TRUE(dialog.ToControl()->isEnabled());

    Click(dialog.IpCheck());  // TCP/IP off
    EXPECT_FALSE(dialog.SubnetRadio()->isEnabled());
    EXPECT_FALSE(dialog.RangeRadio()->isEnabled());
    EXPECT_FALSE(dialog.FromControl()->isEnabled());
    EXPECT_FALSE(dialog.Settings().bIpEnabled);
    Click(dialog.IpCheck());  // on again, the range still chosen
    EXPECT_TRUE(dialog.RangeRadio()->isEnabled());
    EXPECT_TRUE(dialog.FromControl()->isEnabled());

    // An unusable protocol is disabled and switched off, whatever was stored.
    LocalDiscoverySettings noIp = LocalSettings();
    noIp.bIpAvailable = false;
    noIp.bIpxAvailable = true;
    noIp.bIpxEnabled = true;
    CLocalDiscoveryCfgDlg noIpDialog(noIp);
    noIpDialog.show();
    EXPECT_FALSE(noIpDialog.IpCheck()->isEnabled());
    EXPECT_FALSE(noIpDialog.IpCheck()->isChecked());
    EXPECT_FALSE(noIpDialog.SubnetRadio()->isEnabled());
    EXPECT_FALSE(noIpDialog.FromControl()->isEnabled());
    Click(noIpDialog.OkButton());
    EXPECT_EQ(noIpDialog.result(), QDialog::Accepted);
    EXPECT_FALSE(noIpDialog.Settings().bIpEnabled);
    EXPECT_TRUE(noIpDialog.Settings().bIpxEnabled);
}

TEST(LocalDiscoveryCfgDlg, TwainAndBrdCallersNeverGetIpx) {
    MessageBoxes boxes;
    for (int nCaller : {1, 9, 14, 10}) {
        const bool bIpx = nCaller == 10;
        LocalDiscoverySettings in = LocalSettings(nCaller);
        in.bIpxAvailable = true;
        in.bIpxEnabled = true;
        CLocalDiscoveryCfgDlg dialog(in);
        dialog.show();
        EXPECT_EQ(dialog.IpxCheck()->isEnabled(), bIpx) << nCaller;
        EXPECT_EQ(dialog.IpxCheck()->isChecked(), bIpx) << nCaller;
        Click(dialog.OkButton());
        EXPECT_EQ(dialog.Settings().bIpxEnabled, bIpx) << nCaller;
    }
}

TEST(LocalDiscoveryCfgDlg, RefusesNoProtocolAndNoDeviceKind) {
    MessageBoxes boxes;
    LocalDiscoverySettings in = LocalSettings();
    in.bIpxAvailable = true;
    in.bIpxEnabled = true;
    CLocalDiscoveryCfgDlg dialog(in);
    dialog.show();
    Click(dialog.IpCheck());
    Click(dialog.IpxCheck());
    Click(dialog.OkButton());
    auto shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, LibraryText(919));
    EXPECT_EQ(shown[0].caption, LibraryText(99));
    EXPECT_EQ(shown[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    Click(dialog.IpCheck());
    // The collapsed list shows Brisel for caller 0: untick it, then Korvalen
    // in the expanded list; nothing is left.
    TickByClick(dialog.KindList(), 0);
    dialog.SetExpanded(true);
    TickByClick(dialog.KindList(),
                IndexOfKind(dialog.KindList(), CLocalDiscoveryCfgDlg::KindKorvalen));
    Click(dialog.OkButton());
    shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, LibraryText(932));
    EXPECT_EQ(shown[0].caption, LibraryText(99));
    EXPECT_EQ(shown[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(dialog.isVisible());

    // A kind that the list does not show still counts (Orven for caller 0).
    LocalDiscoverySettings hidden = LocalSettings();
    hidden.bKorvalen = hidden.bBrisel = false;
    hidden.bOrven = true;
    CLocalDiscoveryCfgDlg hiddenDialog(hidden);
    hiddenDialog.show();
    Click(hiddenDialog.OkButton());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(hiddenDialog.result(), QDialog::Accepted);
    EXPECT_TRUE(hiddenDialog.Settings().bOrven);
}

TEST(LocalDiscoveryCfgDlg, WithoutTheLibraryItSaysSoAndStillRefuses) {
    qxtest::TempDir dir;
    qxtest::ProgramDirectory programDir(dir.Path());
    MessageBoxes boxes;
    LocalDiscoverySettings in = LocalSettings();
    CLocalDiscoveryCfgDlg dialog(in);
    dialog.show();
    auto shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Could not Load Language Library");
    EXPECT_FALSE(dialog.KindList()->GetItem(0)->Text().isEmpty()) << "the template's texts stay";

    Click(dialog.IpCheck());
    Click(dialog.OkButton());
    shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Could not Load Language Library");
    EXPECT_TRUE(dialog.isVisible()) << "no protocol is still refused";
}

TEST(LocalDiscoveryCfgDlg, KindListCollapsedAndExpandedByCaller) {
    MessageBoxes boxes;
    const QString korvalen = KindText(109), brisel = KindText(831), orven = KindText(877);
    const QString rk2020 = KindText(110), rk2030 = KindText(111), qx2 = KindText(112);
    struct Case {
        int nCaller;
        QString collapsed;
        QStringList expanded;
    };
    const Case cases[] = {
        {0, brisel, {korvalen, brisel, rk2020, rk2030, qx2}},
        {4, brisel, {brisel, rk2020, rk2030, qx2}},
        {5, korvalen, {korvalen, rk2020, rk2030, qx2}},
        {7, korvalen, {korvalen, rk2020, rk2030, qx2}},
        {8, orven, {orven, rk2020, rk2030, qx2}},
        {10, orven, {korvalen, brisel, orven, rk2020, rk2030, qx2}},
        {21, orven, {korvalen, brisel, orven, rk2020, rk2030, qx2}},
        {30, brisel, {korvalen, brisel, rk2020, rk2030, qx2}},
    };
    for (const Case& c : cases) {
        CLocalDiscoveryCfgDlg dialog(LocalSettings(c.nCaller));
        dialog.show();
        CCheckList* list = dialog.KindList();
        EXPECT_EQ(ItemTexts(list), QStringList{c.collapsed}) << c.nCaller;
        const int nCollapsedHeight = list->height();
        Click(dialog.ExpandButton());
        EXPECT_TRUE(dialog.IsExpanded());
        EXPECT_EQ(ItemTexts(list), c.expanded) << c.nCaller;
        EXPECT_GE(list->VisibleRowCount(), list->GetCount()) << "every kind in view";
        EXPECT_GT(list->height(), nCollapsedHeight);
        Click(dialog.ExpandButton());
        EXPECT_EQ(ItemTexts(list), QStringList{c.collapsed});
    }

    // Ticks survive collapsing, and the kinds start as handed in.
    LocalDiscoverySettings in = LocalSettings(10);
    in.bOrven = true;
    CLocalDiscoveryCfgDlg dialog(in);
    dialog.show();
    EXPECT_EQ(dialog.KindList()->GetCheck(0), 1) << "Orven handed in ticked";
    dialog.SetExpanded(true);
    CCheckList* list = dialog.KindList();
    EXPECT_EQ(list->GetCheck(IndexOfKind(list, CLocalDiscoveryCfgDlg::KindKorvalen)), 1);
    EXPECT_EQ(list->GetCheck(IndexOfKind(list, CLocalDiscoveryCfgDlg::KindQx2)), 0);
    TickByClick(list, IndexOfKind(list, CLocalDiscoveryCfgDlg::KindQx2));
    dialog.SetExpanded(false);
    dialog.SetExpanded(true);
    EXPECT_EQ(list->GetCheck(IndexOfKind(list, CLocalDiscoveryCfgDlg::KindQx2)), 1);
    Click(dialog.OkButton());
    EXPECT_TRUE(dialog.Settings().bQx2);
    EXPECT_EQ(DeviceFilterFromKinds(dialog.Settings()), 8) << "QX-2 and Korvalen";
}

TEST(LocalDiscoveryCfgDlg, InstallersGetNoHelp) {
    MessageBoxes boxes;
    for (int nCaller : {4, 5, 12, 21, 0, 3, 11}) {
        CLocalDiscoveryCfgDlg dialog(LocalSettings(nCaller));
        dialog.show();
        const bool bInstaller = nCaller == 4 || nCaller == 5 || nCaller == 12 || nCaller == 21;
        EXPECT_NE(dialog.HelpButton()->isVisible(), bInstaller) << nCaller;
    }
}

TEST(DseDiscoveryCfgDlg, RadioButtonsInAndOut) {
    MessageBoxes boxes;
    NetworkDiscoverySettings in = NetworkSettings();
    CDseDiscoveryCfgDlg dialog(in);
    dialog.show();
    auto* makers = qobject_cast<QRadioButton*>(FindControl(&dialog, 601));
    auto* all = qobject_cast<QRadioButton*>(FindControl(&dialog, 605));
    ASSERT_NE(makers, nullptr);
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(makers->text().toStdString(), LibraryText(79));
    EXPECT_EQ(all->text().toStdString(), LibraryText(80));
    EXPECT_TRUE(makers->isChecked());
    EXPECT_FALSE(all->isChecked());
    EXPECT_EQ(dialog.FromControl()->WindowText(), "10.20.30.0");
    EXPECT_EQ(dialog.ToControl()->WindowText(), "10.20.30.255");
    EXPECT_EQ(FindControl(&dialog, 10001), nullptr) << "no device kinds here";
    EXPECT_EQ(FindControl(&dialog, 204), nullptr);

    Click(all);
    Click(dialog.OkButton());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.Settings().bMakersDevices);
    EXPECT_TRUE(dialog.Settings().bAllDevices);
    EXPECT_EQ(DiscoveryModeFromSettings(dialog.Settings()), 1);

    // Mode 0 shows neither; OK leaves it so.
    NetworkDiscoverySettings none = NetworkSettings();
    SetRadioButtonsFromMode(none, 0);
    CDseDiscoveryCfgDlg noneDialog(none);
    noneDialog.show();
    EXPECT_FALSE(qobject_cast<QRadioButton*>(FindControl(&noneDialog, 601))->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton*>(FindControl(&noneDialog, 605))->isChecked());
    Click(noneDialog.OkButton());
    EXPECT_EQ(noneDialog.result(), QDialog::Accepted);
    EXPECT_EQ(DiscoveryModeFromSettings(noneDialog.Settings()), 0);
}

TEST(DseDiscoveryCfgDlg, RefusesNoProtocol) {
    MessageBoxes boxes;
    CDseDiscoveryCfgDlg dialog(NetworkSettings());
    dialog.show();
    Click(dialog.IpCheck());
    Click(dialog.OkButton());
    const auto shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, LibraryText(919));
    EXPECT_EQ(shown[0].caption, LibraryText(99));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.HelpButton()->isVisible());
}

class NetwareMessageTest : public ::testing::Test {
  protected:
    TempRegistry store;
    TempDir programDir;
    std::string installedLibrary = qx::ProgramDirectory() + "/tnlang.dll";

    void SetUp() override {
        fs::copy_file(installedLibrary, programDir.Path() + "/tnlang.dll");
        fs::copy_file(QX_TEST_NETWARE_STUB, programDir.Path() + "/" + kNetwareClientLibrary);
        SetProgramDirectoryForTesting(programDir.Path());
    }
    void TearDown() override {
        SetProgramDirectoryForTesting("");
        unsetenv("QX_TEST_NETWARE_VERSION");
    }
    NetwareClientInfo Check(const char* version) {
        setenv("QX_TEST_NETWARE_VERSION", version, 1);
        NetwareClientInfo info;
        NetwareClientCheck(1, info);
        return info;
    }
};

TEST_F(NetwareMessageTest, ATooOldClientIsReportedWithBothVersions) {
    MessageBoxes boxes;
    EXPECT_TRUE(ShowNetwareClientTooOld(nullptr, Check("4.59.3")));
    ASSERT_EQ(boxes.shown.size(), 1u);
    const std::string text = boxes.shown[0].text;
    EXPECT_NE(text.find("version 4.59, but"), std::string::npos) << text;
    EXPECT_NE(text.find("version 4.60 or later"), std::string::npos) << text;
    EXPECT_EQ(text.find('%'), std::string::npos) << text;
    EXPECT_EQ(boxes.shown[0].caption, LibraryText(55));
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Exclamation);

    // A client new enough, or none at all, says nothing.
    boxes.Take();
    EXPECT_FALSE(ShowNetwareClientTooOld(nullptr, Check("4.60.0")));
    fs::remove(programDir.Path() + "/" + kNetwareClientLibrary);
    EXPECT_FALSE(ShowNetwareClientTooOld(nullptr, Check("4.59.3")));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(NetwareMessageTest, AnOddFormatInTheLibraryIsNoThreat) {
    // The text comes from an editable file: conversions that would read
    // strings or write through pointers are shown as written.
    std::ofstream(programDir.Path() + "/tnlang.dll", std::ios::trunc)
        << "40\t%s%n %d.%d of %d.%d%% %d %x\n55\tNetWare\n";
    MessageBoxes boxes;
    EXPECT_TRUE(ShowNetwareClientTooOld(nullptr, Check("3.2.1")));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "%s%n 3.2 of 4.60% %d %x");
    EXPECT_EQ(boxes.shown[0].caption, "NetWare");

    // Without the library the user hears of that instead.
    fs::remove(programDir.Path() + "/tnlang.dll");
    boxes.Take();
    EXPECT_TRUE(ShowNetwareClientTooOld(nullptr, Check("3.2.1")));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Could not Load Language Library");
}
