// The IP address control driven by keys and mouse as a user would: the
// typing rules, clamping with a beep, the ways to set and read the address,
// the notifications in their order, and the colours it paints.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "BeepCounter.h"
#include "QtPrinters.h"
#include "ui/DseIPAddressCtrl.h"

using namespace qx;

namespace {

// Records the owner's notifications and the control's repaints, in order.
class EventLog : public QObject {
  public:
    explicit EventLog(CDseIPAddressCtrl* ctrl) {
        ctrl->installEventFilter(this);
        QObject::connect(ctrl, &CDseIPAddressCtrl::addressUpdate, this,
                         [this] { events << "update"; });
        QObject::connect(ctrl, &CDseIPAddressCtrl::addressChange, this,
                         [this] { events << "change"; });
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            events << "paint";
        return false;
    }
    // The events since the last call, with repeated paints folded.
    QStringList Take() {
        QStringList out;
        for (const QString& e : events)
            if (out.isEmpty() || out.back() != e || e != "paint")
                out << e;
        events.clear();
        return out;
    }
    QStringList events;
};

class IPAddressCtrlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&host);
        before = new QLineEdit(&host);
        ctrl = new CDseIPAddressCtrl(&host);
        layout->addWidget(before);
        layout->addWidget(ctrl);
        host.resize(260, 90);
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        ctrl->setFocus();
        ASSERT_TRUE(ctrl->hasFocus());
        QApplication::processEvents();
    }

    void Type(const QString& keys) { QTest::keyClicks(ctrl, keys); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(ctrl, key, modifiers);
    }
    void ClickField(int field, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QRect r = ctrl->FieldRect(field);
        QTest::mouseClick(ctrl, Qt::LeftButton, modifiers, QPoint(r.right() - 1, r.center().y()));
    }
    QStringList Fields() const {
        return {ctrl->FieldText(0), ctrl->FieldText(1), ctrl->FieldText(2), ctrl->FieldText(3)};
    }

    // Whether any pixel inside the field shows the colour.
    bool FieldShows(int field, const QColor& colour) {
        const QImage image = ctrl->grab().toImage();
        const QRect r = ctrl->FieldRect(field);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (QColor(image.pixel(x, y)) == colour)
                    return true;
        return false;
    }
    // The background colour at the left edge of the first field.
    QColor Background() {
        const QImage image = ctrl->grab().toImage();
        const QRect r = ctrl->FieldRect(0);
        return QColor(image.pixel(r.left() + 1, r.center().y()));
    }

    qxtest::BeepCounter beeps;
    QWidget host;
    QLineEdit* before = nullptr;
    CDseIPAddressCtrl* ctrl = nullptr;
};

TEST_F(IPAddressCtrlTest, TypingThreeHundredLeaves255SelectedAfterABeep) {
    Type("30");
    EXPECT_EQ(beeps.Take(), 0);
    EXPECT_EQ(ctrl->FieldText(0), "30");
    Type("0");
    EXPECT_EQ(beeps.Take(), 1);
    EXPECT_EQ(ctrl->FieldText(0), "255");
    EXPECT_EQ(ctrl->FocusField(), 0);
    EXPECT_EQ(ctrl->SelectedText(), "255");
    EXPECT_EQ(ctrl->WindowText(), "255.0.0.0");
    // The user sees the selection in the first field only.
    const QColor highlight = ctrl->palette().color(QPalette::Highlight);
    EXPECT_TRUE(FieldShows(0, highlight));
    EXPECT_FALSE(FieldShows(1, highlight));
    // The next digit replaces the selection.
    Type("7");
    EXPECT_EQ(ctrl->FieldText(0), "7");
    EXPECT_FALSE(FieldShows(0, highlight));
}

TEST_F(IPAddressCtrlTest, ThreeDigitsMoveOnToTheNextField) {
    Type("192");
    EXPECT_EQ(ctrl->FieldText(0), "192");
    EXPECT_EQ(ctrl->FocusField(), 1);
    EXPECT_EQ(ctrl->CaretPosition(), 0);
    // The dot after a full field only confirms the move, even with Shift
    // pressed and released in between.
    Key(Qt::Key_Shift);
    Type(".168.1.20");
    EXPECT_EQ(Fields(), QStringList({"192", "168", "1", "20"}));
    EXPECT_EQ(ctrl->WindowText(), "192.168.1.20");
    uint8_t b[4];
    EXPECT_EQ(ctrl->GetAddress(&b[0], &b[1], &b[2], &b[3]), 0xC0A80114u);
    EXPECT_EQ(b[0], 192);
    EXPECT_EQ(b[3], 20);
    // In the last field a third digit stays there.
    Type("0");
    EXPECT_EQ(ctrl->FocusField(), 3);
    EXPECT_EQ(ctrl->FieldText(3), "200");
    EXPECT_EQ(beeps.Count(), 0);

    // Any other key in between makes a dot a dot again.
    ctrl->ClearAddress();
    Key(Qt::Key_Home);
    Type("123x.");
    EXPECT_EQ(beeps.Take(), 1);
    EXPECT_EQ(ctrl->FocusField(), 2);
    Key(Qt::Key_Home);
    Type("123 ");
    EXPECT_EQ(ctrl->FocusField(), 1);
    Type(" ");
    EXPECT_EQ(ctrl->FocusField(), 2);
}

TEST_F(IPAddressCtrlTest, AFullFieldRefusesDigitsWithABeep) {
    ctrl->SetAddress("123.4.5.6");
    ClickField(0);  // the caret at the end of "123"
    EXPECT_EQ(ctrl->CaretPosition(), 3);
    Type("9");
    EXPECT_EQ(beeps.Take(), 1);
    EXPECT_EQ(ctrl->FieldText(0), "123");
    // At the end of the field the caret passes on, the next field selected.
    EXPECT_EQ(ctrl->FocusField(), 1);
    EXPECT_EQ(ctrl->SelectedText(), "4");

    // Inside a full field it stays.
    ClickField(0);
    Key(Qt::Key_Left);
    Type("9");
    EXPECT_EQ(beeps.Take(), 1);
    EXPECT_EQ(ctrl->FocusField(), 0);
    EXPECT_EQ(ctrl->CaretPosition(), 2);
}

TEST_F(IPAddressCtrlTest, DotAndSpaceJumpBetweenFields) {
    Type("10");
    Key(Qt::Key_Period);
    EXPECT_EQ(ctrl->FocusField(), 1);
    Key(Qt::Key_Space);
    EXPECT_EQ(ctrl->FocusField(), 2);
    Key(Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(ctrl->FocusField(), 1);
    Key(Qt::Key_Period, Qt::ControlModifier);
    EXPECT_EQ(ctrl->FocusField(), 0);
    EXPECT_EQ(ctrl->SelectedText(), "10");
    // Nothing lies before the first field or after the last.
    Key(Qt::Key_Period, Qt::ControlModifier);
    EXPECT_EQ(ctrl->FocusField(), 0);
    Type("...");
    EXPECT_EQ(ctrl->FocusField(), 3);
    Type(".");
    EXPECT_EQ(ctrl->FocusField(), 3);
    EXPECT_EQ(beeps.Count(), 0);
    EXPECT_EQ(ctrl->WindowText(), "10.0.0.0");

    // Any other character is refused with a beep.
    Type("a-/");
    EXPECT_EQ(beeps.Take(), 3);
    EXPECT_EQ(ctrl->FieldText(3), "");
}

TEST_F(IPAddressCtrlTest, BackspaceAndDeleteRemoveCharacters) {
    ctrl->SetAddress("123.45.6.7");
    ClickField(1);
    EXPECT_EQ(ctrl->CaretPosition(), 2);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(ctrl->FieldText(1), "4");
    Key(Qt::Key_Backspace);
    EXPECT_EQ(ctrl->FieldText(1), "");
    // At a field's start Backspace goes back and takes the last character there.
    Key(Qt::Key_Backspace);
    EXPECT_EQ(ctrl->FocusField(), 0);
    EXPECT_EQ(ctrl->FieldText(0), "12");
    EXPECT_EQ(ctrl->CaretPosition(), 2);
    EXPECT_EQ(ctrl->WindowText(), "12.0.6.7");

    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    EXPECT_EQ(ctrl->FieldText(0), "2");
    Key(Qt::Key_Right);
    Key(Qt::Key_Delete);  // nothing after the caret
    EXPECT_EQ(ctrl->FieldText(0), "2");

    // With a selection both keys remove the selection.
    ctrl->SetAddress("123.45.6.7");
    ClickField(0);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(ctrl->SelectedText(), "23");
    Key(Qt::Key_Delete);
    EXPECT_EQ(ctrl->FieldText(0), "1");
    EXPECT_EQ(beeps.Count(), 0);
}

TEST_F(IPAddressCtrlTest, ArrowsMoveTheCaretAcrossFields) {
    ctrl->SetAddress("1.22.33.4");
    ClickField(1);
    EXPECT_EQ(ctrl->CaretPosition(), 2);
    // Right at a field's end passes to the start of the next; Down acts alike.
    Key(Qt::Key_Right);
    EXPECT_EQ(ctrl->FocusField(), 2);
    EXPECT_EQ(ctrl->CaretPosition(), 0);
    // Left at a field's start passes to the end of the previous; Up alike.
    Key(Qt::Key_Up);
    EXPECT_EQ(ctrl->FocusField(), 1);
    EXPECT_EQ(ctrl->CaretPosition(), 2);
    Key(Qt::Key_Left);
    EXPECT_EQ(ctrl->CaretPosition(), 1);
    Key(Qt::Key_Down);
    EXPECT_EQ(ctrl->CaretPosition(), 2);

    // Shift drags the selection along, inside the field.
    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(ctrl->FocusField(), 1);
    EXPECT_EQ(ctrl->SelectedText(), "22");
    // With a selection, Right goes to its end and Left to its start.
    Key(Qt::Key_Right);
    EXPECT_EQ(ctrl->CaretPosition(), 2);
    EXPECT_EQ(ctrl->SelectedText(), "");
    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_Left);
    EXPECT_EQ(ctrl->CaretPosition(), 1);

    // Ctrl jumps whole fields and selects them.
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(ctrl->FocusField(), 2);
    EXPECT_EQ(ctrl->SelectedText(), "33");
    Key(Qt::Key_Up, Qt::ControlModifier);
    Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(ctrl->FocusField(), 0);
    EXPECT_EQ(ctrl->SelectedText(), "1");

    // Home and End: the start and end of the whole address.
    Key(Qt::Key_End);
    EXPECT_EQ(ctrl->FocusField(), 3);
    EXPECT_EQ(ctrl->CaretPosition(), 1);
    Key(Qt::Key_Home);
    EXPECT_EQ(ctrl->FocusField(), 0);
    EXPECT_EQ(ctrl->CaretPosition(), 0);
    Key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(ctrl->SelectedText(), "1");
    // None of this changed the address.
    EXPECT_EQ(ctrl->WindowText(), "1.22.33.4");
    EXPECT_EQ(beeps.Count(), 0);
}

TEST_F(IPAddressCtrlTest, SetAddressForms) {
    ctrl->SetAddress("10.1");
    EXPECT_EQ(Fields(), QStringList({"10", "1", "0", "0"}));
    EXPECT_EQ(ctrl->WindowText(), "10.1.0.0");
    EXPECT_FALSE(ctrl->IsBlank());

    ctrl->SetAddress("");
    EXPECT_TRUE(ctrl->IsBlank());
    EXPECT_EQ(ctrl->WindowText(), "");
    EXPECT_EQ(Fields(), QStringList({"", "", "", ""}));

    ctrl->SetAddress(0x0A000201u);
    EXPECT_EQ(ctrl->WindowText(), "10.0.2.1");
    ctrl->SetAddress(uint8_t(172), uint8_t(16), uint8_t(0), uint8_t(9));
    EXPECT_EQ(ctrl->GetAddress(), 0xAC100009u);
    EXPECT_EQ(ctrl->FieldText(0), "172");

    // Numbers beyond a field's range are clamped; text that is no number
    // counts from the first failure on as 0.
    ctrl->SetAddress("300.-4.7.99999999999");
    EXPECT_EQ(ctrl->WindowText(), "255.0.7.255");
    ctrl->SetAddress("8.x.9");
    EXPECT_EQ(ctrl->WindowText(), "8.0.0.0");
    ctrl->SetAddress(" 1 .2.3.4.5");
    EXPECT_EQ(ctrl->WindowText(), "1.0.0.0");
    ctrl->SetAddress("1.2.3.4.5");
    EXPECT_EQ(ctrl->WindowText(), "1.2.3.4");
    EXPECT_EQ(beeps.Count(), 0);

    ctrl->ClearAddress();
    EXPECT_TRUE(ctrl->IsBlank());
    EXPECT_EQ(ctrl->GetAddress(), 0u);
}

TEST_F(IPAddressCtrlTest, FieldRangeOrdersItsBoundsAndClampsAtOnce) {
    ctrl->SetAddress("255.255.1.1");
    EventLog log(ctrl);
    ctrl->SetFieldRange(0, 200, 100);
    EXPECT_EQ(ctrl->FieldMinimum(0), 100);
    EXPECT_EQ(ctrl->FieldMaximum(0), 200);
    EXPECT_EQ(ctrl->FieldText(0), "200");
    EXPECT_EQ(ctrl->WindowText(), "200.255.1.1");
    EXPECT_EQ(log.Take(), QStringList({"update", "paint", "change"}));

    // A field below its new minimum rises to it; a blank field stays blank.
    ctrl->SetFieldRange(2, 10, 20);
    EXPECT_EQ(ctrl->FieldText(2), "10");
    ctrl->ClearAddress();
    ctrl->SetFieldRange(3, 5, 6);
    EXPECT_EQ(ctrl->FieldText(3), "");
    ctrl->SetFieldRange(4, 1, 2);
    ctrl->SetFieldRange(-1, 1, 2);
    EXPECT_EQ(ctrl->FieldMaximum(3), 6);

    // Typing above the maximum clamps to it.
    ClickField(0);
    Type("250");
    EXPECT_EQ(ctrl->FieldText(0), "200");
    EXPECT_EQ(beeps.Take(), 1);
}

TEST_F(IPAddressCtrlTest, ClearingMakesTheAddressZeroWhateverTheMinimums) {
    for (int field = 0; field < 4; ++field)
        ctrl->SetFieldRange(field, 10, 20);
    ctrl->SetAddress("15.16.17.18");
    EXPECT_EQ(ctrl->GetAddress(), 0x0F101112u);
    EventLog log(ctrl);
    ctrl->ClearAddress();
    EXPECT_TRUE(ctrl->IsBlank());
    EXPECT_EQ(ctrl->WindowText(), "");
    uint8_t b[4] = {1, 1, 1, 1};
    EXPECT_EQ(ctrl->GetAddress(&b[0], &b[1], &b[2], &b[3]), 0u);
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[3], 0);
    EXPECT_EQ(log.Take(), QStringList({"update", "paint", "change"}));
    // The empty text clears alike, and a blank control is told of no change.
    ctrl->SetAddress("12.12.12.12");
    ctrl->SetAddress("");
    EXPECT_EQ(ctrl->GetAddress(), 0u);
    log.Take();
    ctrl->ClearAddress();
    EXPECT_TRUE(log.Take().filter("change").isEmpty());

    // Emptying the last field by keys leaves no address either.
    ClickField(2);
    Type("1");
    EXPECT_EQ(ctrl->GetAddress(), 0x0A0A0A0Au) << "blank fields count as their minimum";
    Key(Qt::Key_Backspace);
    EXPECT_TRUE(ctrl->IsBlank());
    EXPECT_EQ(ctrl->GetAddress(), 0u);
}

TEST_F(IPAddressCtrlTest, AMinimumIsEnforcedOnceNoDigitCanReachIt) {
    ctrl->SetFieldRange(1, 100, 200);
    Type("10.150");
    EXPECT_EQ(ctrl->FieldText(1), "150");
    EXPECT_EQ(beeps.Take(), 0);
    EXPECT_EQ(ctrl->WindowText(), "10.150.0.0");

    // "0" can never grow to 100: clamped at once.
    Key(Qt::Key_Period, Qt::ControlModifier);
    Type("0");
    EXPECT_EQ(ctrl->FieldText(1), "100");
    EXPECT_EQ(beeps.Take(), 1);

    // A field left below its minimum rises to it.
    Key(Qt::Key_Period, Qt::ShiftModifier);
    Key(Qt::Key_Period);
    Type("2");
    EXPECT_EQ(ctrl->FieldText(1), "2");
    EXPECT_EQ(beeps.Take(), 0);
    Key(Qt::Key_Period);
    EXPECT_EQ(ctrl->FieldText(1), "100");
    EXPECT_EQ(beeps.Take(), 1);
    // Also when the control loses the focus.
    Key(Qt::Key_Period, Qt::ShiftModifier);
    Type("3");
    before->setFocus();
    EXPECT_EQ(ctrl->FieldText(1), "100");
    EXPECT_EQ(beeps.Take(), 1);
}

TEST_F(IPAddressCtrlTest, AFieldShortenedOnLeavingKeepsTheCaretInside) {
    ctrl->SetFieldRange(0, 5, 255);
    Type("04");  // 4 may still grow to 40: not clamped yet
    EXPECT_EQ(ctrl->FieldText(0), "04");
    EXPECT_EQ(ctrl->CaretPosition(), 2);
    EXPECT_EQ(beeps.Take(), 0);
    before->setFocus();
    EXPECT_EQ(ctrl->FieldText(0), "5");
    EXPECT_EQ(beeps.Take(), 1);
    EXPECT_EQ(ctrl->CaretPosition(), 1);
    EXPECT_EQ(ctrl->SelectionStart(), 1);

    // Back in the control the next digit goes after the "5".
    ctrl->setFocus();
    Type("1");
    EXPECT_EQ(ctrl->FieldText(0), "51");
    EXPECT_EQ(ctrl->WindowText(), "51.0.0.0");

    // A selection that reached past the new end is cut back too.
    ctrl->SetAddress("200.1.1.1");
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);  // "00"
    Key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(ctrl->SelectedText(), "00");
    before->setFocus();
    EXPECT_EQ(ctrl->FieldText(0), "5");
    EXPECT_LE(ctrl->SelectionStart(), 1);
    EXPECT_LE(ctrl->CaretPosition(), 1);
    EXPECT_EQ(beeps.Take(), 1);
}

TEST_F(IPAddressCtrlTest, NotificationsComeAroundTheRepaintAndOnlyOnChange) {
    EventLog log(ctrl);
    QSignalSpy update(ctrl, &CDseIPAddressCtrl::addressUpdate);
    QSignalSpy change(ctrl, &CDseIPAddressCtrl::addressChange);

    Type("1");  // blank to not blank
    EXPECT_EQ(log.Take(), QStringList({"update", "paint", "change"}));
    Type("0");  // 1 -> 10
    EXPECT_EQ(log.Take(), QStringList({"update", "paint", "change"}));

    // A 0 in a blank field is no change of the address, nor of the blank state.
    Key(Qt::Key_Period);
    Type("0");
    EXPECT_EQ(ctrl->FieldText(1), "0");
    QApplication::processEvents();
    EXPECT_FALSE(log.Take().contains("update"));
    // Neither is moving the caret, a refused key, or setting the same address.
    Key(Qt::Key_Left);
    Type("x");
    ctrl->SetAddress("10.0.0.0");
    EXPECT_EQ(update.count(), 2);
    EXPECT_EQ(change.count(), 2);

    // The owner is told of a change by the program too, and of a clear.
    ctrl->SetAddress(0x01020304u);
    ctrl->ClearAddress();
    ctrl->ClearAddress();
    EXPECT_EQ(update.count(), 4);
    EXPECT_EQ(change.count(), 4);
    // Emptying the last field makes the control blank: a change.
    Type("7");
    log.Take();
    Key(Qt::Key_Backspace);
    EXPECT_TRUE(ctrl->IsBlank());
    EXPECT_EQ(log.Take(), QStringList({"update", "paint", "change"}));
}

TEST_F(IPAddressCtrlTest, PaintsWithThePlatformColours) {
    ctrl->SetAddress("10.1.2.3");
    const QPalette& pal = ctrl->palette();
    EXPECT_EQ(Background(), pal.color(QPalette::Active, QPalette::Base));

    ctrl->SetReadOnly(true);
    EXPECT_EQ(Background(), pal.color(QPalette::Button));
    // Read-only refuses edits with a beep but lets the caret move.
    ClickField(1);
    Type("5");
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Delete);
    EXPECT_EQ(beeps.Take(), 3);
    EXPECT_EQ(ctrl->WindowText(), "10.1.2.3");
    Key(Qt::Key_Period);
    EXPECT_EQ(ctrl->FocusField(), 2);

    ctrl->SetReadOnly(false);
    ctrl->setEnabled(false);
    EXPECT_EQ(Background(), ctrl->palette().color(QPalette::Disabled, QPalette::Button));
    ctrl->setEnabled(true);
    EXPECT_EQ(Background(), pal.color(QPalette::Active, QPalette::Base));
}

TEST_F(IPAddressCtrlTest, MouseAndTabPlaceTheCaret) {
    ctrl->SetAddress("11.22.33.44");
    ClickField(2);
    EXPECT_EQ(ctrl->FocusField(), 2);
    EXPECT_EQ(ctrl->CaretPosition(), 2);
    const QRect r = ctrl->FieldRect(2);
    QTest::mouseDClick(ctrl, Qt::LeftButton, Qt::NoModifier, r.center());
    EXPECT_EQ(ctrl->SelectedText(), "33");

    // Tab leaves the control for the next one; tabbing in selects the first field.
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    EXPECT_TRUE(ctrl->hasFocus());
    EXPECT_EQ(ctrl->FocusField(), 0);
    EXPECT_EQ(ctrl->SelectedText(), "11");
    QTest::keyClick(ctrl, Qt::Key_Tab);
    EXPECT_FALSE(ctrl->hasFocus());
    EXPECT_EQ(beeps.Count(), 0);
}

}  // namespace
