// The manual selection dialog with its real widgets: the refusals in their
// order, each clearing its field and keeping the dialog open, and the address
// text composed from the IP or the IPX fields.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "DialogTestKit.h"
#include "discovery/dialogs/ManualDevice.h"
#include "discovery/dialogs/ManualSelection.h"
#include "support/TempRegistry.h"
#include "ui/ControlId.h"
#include "ui/DseIPAddressCtrl.h"

using namespace qx;
using namespace qxtest;

namespace {

class ManualSelectionTest : public ::testing::Test {
  protected:
    MessageBoxes boxes;

    static void Type(QWidget* field, const QString& text) {
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            edit->clear();
        QTest::keyClicks(field, text);
    }

    // Presses OK and expects one refusal with language string nId; the
    // dialog stays open.
    void ExpectRefusal(CManualSelection& dialog, uint32_t nId, QWidget* field) {
        Click(dialog.OkButton());
        const auto shown = boxes.Take();
        ASSERT_EQ(shown.size(), 1u) << "string " << nId;
        EXPECT_EQ(shown[0].text, LibraryText(nId));
        EXPECT_EQ(shown[0].caption, LibraryText(99));
        EXPECT_EQ(shown[0].icon, MessageIcon::Stop);
        EXPECT_TRUE(dialog.isVisible()) << "string " << nId;
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            EXPECT_TRUE(edit->text().isEmpty()) << "the offending field is cleared";
        else
            EXPECT_TRUE(dialog.IpAddressControl()->IsBlank()) << "the address is cleared";
        EXPECT_EQ(QApplication::focusWidget(), field) << "string " << nId;
    }

    static void Open(CManualSelection& dialog) {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
};

}  // namespace

TEST_F(ManualSelectionTest, ControlsAndWhatIsOffered) {
    CManualSelection both(true, true);
    Open(both);
    EXPECT_EQ(ControlId(&both), 102);
    EXPECT_EQ(FindControl(&both, 1004), both.IpAddressControl());
    EXPECT_EQ(FindControl(&both, 219), both.IpxNetworkEdit());
    EXPECT_EQ(FindControl(&both, 220), both.IpxNodeEdit());
    EXPECT_NE(FindControl(&both, 221), nullptr);
    EXPECT_EQ(FindControl(&both, 1000), both.NameEdit());
    EXPECT_EQ(FindControl(&both, 1002), both.LocationEdit());
    EXPECT_EQ(both.OkButton()->text().toStdString(), LibraryText(7));
    EXPECT_TRUE(both.IpAddressControl()->isEnabled());
    EXPECT_TRUE(both.IpxNetworkEdit()->isEnabled());
    EXPECT_TRUE(boxes.shown.empty());

    CManualSelection ipOnly(true, false);
    Open(ipOnly);
    EXPECT_TRUE(ipOnly.IpAddressControl()->isEnabled());
    EXPECT_FALSE(ipOnly.IpxNetworkEdit()->isEnabled());
    EXPECT_FALSE(ipOnly.IpxNodeEdit()->isEnabled());
}

TEST_F(ManualSelectionTest, NameAndLocationAreCheckedFirst) {
    CManualSelection dialog(true, false);
    Open(dialog);
    Type(dialog.IpAddressControl(), "0.0.0.0");
    ExpectRefusal(dialog, 105, dialog.NameEdit());  // before the address
    Type(dialog.NameEdit(), "   ");
    ExpectRefusal(dialog, 105, dialog.NameEdit());
    Type(dialog.NameEdit(), QString(257, u'n'));
    ExpectRefusal(dialog, 106, dialog.NameEdit());
    Type(dialog.NameEdit(), "Printer");
    Type(dialog.LocationEdit(), QString(257, u'l'));
    ExpectRefusal(dialog, 107, dialog.LocationEdit());

    // 256 characters are allowed, counted as characters, not bytes.
    dialog.NameEdit()->setText(QString(256, QChar(0x00E9)));
    dialog.LocationEdit()->setText(QString(256, u'l'));
    dialog.IpAddressControl()->SetAddress(QStringLiteral("10.0.0.7"));
    Click(dialog.OkButton());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result().strName, QString(256, QChar(0x00E9)).toStdString());
    EXPECT_EQ(dialog.Result().strLocation, std::string(256, 'l'));
}

TEST_F(ManualSelectionTest, IpAddress) {
    CManualSelection dialog(true, true);
    Open(dialog);
    Type(dialog.NameEdit(), "Front office");
    ExpectRefusal(dialog, 108, dialog.IpAddressControl());  // blank
    Type(dialog.IpAddressControl(), "0.0.0.0");
    ExpectRefusal(dialog, 108, dialog.IpAddressControl());

    Type(dialog.IpAddressControl(), "192.168.1.20");
    Type(dialog.LocationEdit(), "Floor 2");
    Click(dialog.OkButton());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result().strAddress, "192.168.1.20");
    EXPECT_EQ(dialog.Result().strName, "Front office");
    EXPECT_EQ(dialog.Result().strLocation, "Floor 2");

    // One non-zero octet is enough.
    CManualSelection last(true, false);
    Open(last);
    Type(last.NameEdit(), "x");
    last.IpAddressControl()->SetAddress(QStringLiteral("0.0.0.1"));
    Click(last.OkButton());
    EXPECT_EQ(last.result(), QDialog::Accepted);
    EXPECT_EQ(last.Result().strAddress, "0.0.0.1");
}

TEST_F(ManualSelectionTest, IpxNetworkAndNodeNumbers) {
    CManualSelection dialog(true, true);
    Open(dialog);
    Type(dialog.NameEdit(), "Print server");
    // Filled IPX fields win over the IP address.
    dialog.IpAddressControl()->SetAddress(QStringLiteral("10.1.1.1"));
    Type(dialog.IpxNetworkEdit(), "1234567");
    ExpectRefusal(dialog, 871, dialog.IpxNetworkEdit());
    Type(dialog.IpxNetworkEdit(), "1234 678");
    ExpectRefusal(dialog, 873, dialog.IpxNetworkEdit());
    Type(dialog.IpxNetworkEdit(), "00000000");
    ExpectRefusal(dialog, 875, dialog.IpxNetworkEdit());
    Type(dialog.IpxNetworkEdit(), "0000000A");
    ExpectRefusal(dialog, 872, dialog.IpxNodeEdit());  // node still empty
    Type(dialog.IpxNodeEdit(), "00001B2C3D4");
    ExpectRefusal(dialog, 872, dialog.IpxNodeEdit());
    Type(dialog.IpxNodeEdit(), "00001B 2C3D4");
    ExpectRefusal(dialog, 874, dialog.IpxNodeEdit());
    Type(dialog.IpxNodeEdit(), "000000000000");
    ExpectRefusal(dialog, 876, dialog.IpxNodeEdit());
    Type(dialog.IpxNodeEdit(), "00001B2C3D4E");
    EXPECT_EQ(dialog.IpxNetworkEdit()->text(), "0000000A") << "only the offending field is cleared";
    Click(dialog.OkButton());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result().strAddress, "0000000A:00001B2C3D4E");

    // The numbers are not checked as hexadecimal, and longer input is cut.
    CManualSelection loose(false, true);
    Open(loose);
    Type(loose.NameEdit(), "y");
    Type(loose.IpxNetworkEdit(), "ZZZZZZZZ99");
    Type(loose.IpxNodeEdit(), "node-number-1");
    Click(loose.OkButton());
    EXPECT_EQ(loose.result(), QDialog::Accepted);
    EXPECT_EQ(loose.Result().strAddress, "ZZZZZZZZ:node-number-");
}

TEST_F(ManualSelectionTest, WithoutIpTheIpxFieldsAreRequired) {
    CManualSelection dialog(false, true);
    Open(dialog);
    Type(dialog.NameEdit(), "z");
    ExpectRefusal(dialog, 871, dialog.IpxNetworkEdit());

    // A lone node number is no address for the IP path either.
    CManualSelection both(true, true);
    Open(both);
    Type(both.NameEdit(), "z");
    both.IpAddressControl()->SetAddress(QStringLiteral("10.2.3.4"));
    Type(both.IpxNodeEdit(), "00001B2C3D4E");
    ExpectRefusal(both, 871, both.IpxNetworkEdit());
}

TEST_F(ManualSelectionTest, WithoutTheLibraryItSaysSoAndStaysOpen) {
    qxtest::TempDir dir;
    qxtest::ProgramDirectory programDir(dir.Path());
    CManualSelection dialog(true, false);
    Open(dialog);
    EXPECT_EQ(boxes.Take().size(), 1u);
    Click(dialog.OkButton());
    const auto shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Could not Load Language Library");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST(ManualDevice, LimitAndDuplicatesBeforeAdding) {
    std::vector<DeviceRow> rows = {
        {"Front office", "192.168.1.20", "Floor 2", "QX-2", 3},
        {"a::b", "10.0.0.1", "c", "", 2},
    };
    const ManualSelectionResult same{"192.168.1.20", "FRONT OFFICE", "floor 2"};
    EXPECT_EQ(CheckManualDevice(rows, same, kLocalListLimit), ManualAddResult::Duplicate)
        << "letter case aside, the model plays no part";
    EXPECT_EQ(CheckManualDevice(rows, {"192.168.1.20", "Front office", "Floor 3"}, 64),
              ManualAddResult::Add);
    EXPECT_EQ(CheckManualDevice(rows, {"10.0.0.1", "a", "b::c"}, 64), ManualAddResult::Add)
        << "fields are compared one by one, not as one joined text";

    // The limit comes first: a full list refuses even a duplicate.
    EXPECT_EQ(CheckManualDevice(rows, same, 2), ManualAddResult::ListFull);
    rows.resize(kMonitoringListLimit);
    EXPECT_EQ(CheckManualDevice(rows, {"10.9.9.9", "n", ""}, kMonitoringListLimit),
              ManualAddResult::ListFull);
    EXPECT_EQ(CheckManualDevice(rows, {"10.9.9.9", "n", ""}, kLocalListLimit),
              ManualAddResult::Add);

    const DeviceRow row = ManualDeviceRow({"0000000A:00001B2C3D4E", "Queue", "Hall"});
    EXPECT_EQ(row.address, "0000000A:00001B2C3D4E");
    EXPECT_EQ(row.name, "Queue");
    EXPECT_EQ(row.location, "Hall");
    EXPECT_EQ(row.model, "");
    EXPECT_EQ(row.nIcon, 2);

    MessageBoxes boxes;
    ShowManualAddRefusal(nullptr, ManualAddResult::Add);
    ShowManualAddRefusal(nullptr, ManualAddResult::ListFull);
    ShowManualAddRefusal(nullptr, ManualAddResult::Duplicate);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, LibraryText(101));
    EXPECT_EQ(boxes.shown[1].text, LibraryText(114));
    EXPECT_EQ(boxes.shown[1].caption, LibraryText(99));
    EXPECT_EQ(boxes.shown[1].icon, MessageIcon::Stop);
}
