// The check list: creation from bitmaps, the font rule, depth-first numbering,
// the click and state rules, scrolling and deletion, driven with the mouse and
// keyboard on the real widgets and checked against what the list draws.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "QtPrinters.h"
#include "support/TempRegistry.h"
#include "ui/CheckControl.h"
#include "ui/CheckList.h"
#include "ui/ControlId.h"

using namespace qx;

namespace {

const QColor kText(Qt::black);
const QColor kSelText(Qt::white);
const QColor kSelection(0, 0, 128);
const QColor kBackground(Qt::white);

class CheckListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host.resize(400, 300);
        host.show();
    }

    // A created list of the given size inside the host.
    CCheckList& Make(QSize size = QSize(240, 120), const QFont* pFont = nullptr) {
        list = std::make_unique<CCheckList>();
        EXPECT_TRUE(list->Create(QRect(QPoint(10, 10), size), &host, 10001, kCheckBitmapUnchecked,
                                 kCheckBitmapChecked, kCheckBitmapPartlyChecked, kBackground,
                                 pFont));
        return *list;
    }

    CheckItem* Add(const QString& text, CheckItem* parent = nullptr, int state = 0,
                   uint32_t data = 0) {
        return list->AddItem(text, parent, state, data, kText, kSelText, kSelection);
    }

    QWidget* Viewport() const { return list->Control()->viewport(); }

    int RowTop(int index) const { return (index - list->FirstVisibleRow()) * list->RowHeight(); }
    int BoxLeft(int index) const {
        return (list->GetItem(index)->Level() - 1) * list->Indent() + 5 -
               list->HorizontalPosition();
    }

    void ClickAt(int x, int y) {
        QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    }
    // A click in the middle of the item's check box.
    void ClickBox(int index) { ClickAt(BoxLeft(index) + 6, RowTop(index) + list->RowHeight() / 2); }
    void ClickText(int index) {
        ClickAt(BoxLeft(index) + list->Indent() + 3, RowTop(index) + list->RowHeight() / 2);
    }

    // The state whose bitmap the list shows for the item, or -1 for none.
    int ShownState(int index) const {
        const QImage shown = Viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPixmap& bitmap = list->Bitmap(0);
        const QPoint origin(BoxLeft(index),
                            RowTop(index) + (list->RowHeight() - bitmap.height()) / 2);
        for (int state = 0; state < 3; ++state) {
            const QImage expected =
                list->Bitmap(state).toImage().convertToFormat(QImage::Format_RGB32);
            if (shown.copy(QRect(origin, expected.size())) == expected)
                return state;
        }
        return -1;
    }

    // Whether the row shows the selection colour.
    bool ShowsSelection(int index) const {
        const QImage shown = Viewport()->grab().toImage();
        const int y = RowTop(index) + list->RowHeight() / 2;
        for (int x = 0; x < shown.width(); ++x)
            if (QColor(shown.pixel(x, y)) == kSelection)
                return true;
        return false;
    }

    QWidget host;
    std::unique_ptr<CCheckList> list;
};

TEST_F(CheckListTest, BitmapsOfThirteenPixelsGiveIndentAndRowHeightNineteen) {
    CCheckList& l = Make();
    EXPECT_EQ(l.Bitmap(0).size(), QSize(13, 13));
    EXPECT_EQ(l.Indent(), 19);
    const QFontMetrics metrics(l.font());
    EXPECT_LE(metrics.height(), 14);  // the list's own font is smaller than the rows
    EXPECT_EQ(l.RowHeight(), 19);

    // A font taller than a row makes the rows taller, the indent stays.
    QFont big = l.font();
    big.setPixelSize(30);
    CCheckList& tall = Make(QSize(240, 120), &big);
    const QFontMetrics bigMetrics(big);
    EXPECT_EQ(tall.RowHeight(), bigMetrics.height() + std::max(0, bigMetrics.leading()));
    EXPECT_GT(tall.RowHeight(), 19);
    EXPECT_EQ(tall.Indent(), 19);
}

TEST_F(CheckListTest, CreationBuildsTheListAndItsInnerWindow) {
    CCheckList& l = Make(QSize(240, 120));
    EXPECT_TRUE(l.IsCreated());
    EXPECT_TRUE(l.isVisible());
    EXPECT_EQ(l.parentWidget(), &host);
    EXPECT_EQ(l.objectName(), "CLISTBOX");
    EXPECT_EQ(ControlId(&l), 10001);
    EXPECT_EQ(FindControl(&host, 10001), &l);
    ASSERT_NE(l.Control(), nullptr);
    EXPECT_EQ(l.Control()->objectName(), "Check Control");
    EXPECT_EQ(l.Control()->geometry(), QRect(2, 2, 236, 116));
    EXPECT_EQ(l.VisibleRowCount(), 116 / l.RowHeight());
    // A second creation of the same list fails.
    EXPECT_FALSE(l.Create(QRect(0, 0, 10, 10), &host, 1, kCheckBitmapUnchecked, kCheckBitmapChecked,
                          kCheckBitmapPartlyChecked, kBackground));
}

TEST_F(CheckListTest, CreationFailsForMissingOrUnequalBitmaps) {
    qxtest::TempDir dir;
    const QString small = QString::fromStdString(dir.Path()) + "/small.png";
    const QString wide = QString::fromStdString(dir.Path()) + "/wide.png";
    QPixmap pixmap(13, 13);
    pixmap.fill(Qt::red);
    ASSERT_TRUE(pixmap.save(small));
    QPixmap other(14, 13);
    other.fill(Qt::red);
    ASSERT_TRUE(other.save(wide));

    CCheckList missing;
    EXPECT_FALSE(missing.Create(QRect(0, 0, 100, 100), &host, 1, small, small,
                                QString::fromStdString(dir.Path()) + "/none.png", kBackground));
    CCheckList unequal;
    EXPECT_FALSE(unequal.Create(QRect(0, 0, 100, 100), &host, 1, small, wide, small, kBackground));
    EXPECT_FALSE(unequal.IsCreated());
    EXPECT_EQ(unequal.GetCheck(0), -1);
    EXPECT_EQ(unequal.GetCheck(-1), -1);
    EXPECT_EQ(unequal.AddItem("x", nullptr, 0, 0, kText, kSelText, kSelection), nullptr);
    EXPECT_EQ(unequal.DeleteItem(-1), -1);

    // Any three bitmaps of one size will do.
    CCheckList own;
    EXPECT_TRUE(own.Create(QRect(0, 0, 100, 100), &host, 1, small, small, small, kBackground));
    EXPECT_EQ(own.Indent(), 19);
}

TEST_F(CheckListTest, ItemsAreNumberedDepthFirst) {
    CCheckList& l = Make();
    CheckItem* a = Add("Korvalen", nullptr, 0, 100);
    CheckItem* a1 = Add("RK-2020", a, 0, 101);
    CheckItem* a2 = Add("RK-2030", a, 0, 102);
    CheckItem* a21 = Add("Tandem partner", a2, 0, 103);
    CheckItem* b = Add("Brisel", nullptr, 0, 200);
    // A late child of the first item still comes before the second top-level item.
    CheckItem* a3 = Add("QX-2", a, 0, 104);
    ASSERT_EQ(l.GetCount(), 6);
    const CheckItem* order[] = {a, a1, a2, a21, a3, b};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(l.GetItem(i), order[i]) << i;
        EXPECT_EQ(l.IndexOf(order[i]), i);
    }
    EXPECT_EQ(l.GetItem(6), nullptr);
    EXPECT_EQ(a->Level(), 1);
    EXPECT_EQ(a21->Level(), 3);
    EXPECT_EQ(a->Parent(), nullptr);
    EXPECT_EQ(a21->Parent(), a2);
    EXPECT_EQ(a21->ItemData(), 103u);
    EXPECT_EQ(a->ChildCount(), 3);

    const QFontMetrics metrics(l.font());
    EXPECT_EQ(a21->TextWidth(), metrics.horizontalAdvance("Tandem partner"));
    EXPECT_EQ(a21->RightEdge(), 3 * l.Indent() + a21->TextWidth() + 5);
    int widest = 0;
    for (const CheckItem* item : order)
        widest = std::max(widest, item->RightEdge());
    EXPECT_EQ(l.ContentWidth(), widest);
}

TEST_F(CheckListTest, AddItemRefusesBadStatesAndForeignParents) {
    CCheckList& l = Make();
    CheckItem* a = Add("Korvalen");
    EXPECT_EQ(Add("Three", nullptr, 3), nullptr);
    EXPECT_EQ(Add("Minus", a, -1), nullptr);
    EXPECT_EQ(l.GetCount(), 1);
    EXPECT_EQ(a->ChildCount(), 0);

    CCheckList other;
    ASSERT_TRUE(other.Create(QRect(0, 0, 100, 100), &host, 2, kCheckBitmapUnchecked,
                             kCheckBitmapChecked, kCheckBitmapPartlyChecked, kBackground));
    CheckItem* foreign = other.AddItem("Other", nullptr, 0, 0, kText, kSelText, kSelection);
    EXPECT_EQ(Add("Stray", foreign), nullptr);
    EXPECT_EQ(l.GetCount(), 1);

    // Each valid state is kept and drawn as given.
    Add("Checked", nullptr, 1);
    Add("Partly", nullptr, 2);
    EXPECT_EQ(ShownState(0), 0);
    EXPECT_EQ(ShownState(1), 1);
    EXPECT_EQ(ShownState(2), 2);
}

TEST_F(CheckListTest, ClickingAPartlyCheckedParentClearsItsWholeSubtree) {
    CCheckList& l = Make();
    CheckItem* parent = Add("Korvalen", nullptr, 2);
    Add("RK-2020", parent, 1);
    CheckItem* mid = Add("RK-2030", parent, 2);
    Add("Partner", mid, 1);
    Add("QX-2", parent, 0);
    QSignalSpy changed(&l, &CCheckList::checkChanged);

    ClickBox(0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(l.GetCheck(i), 0) << i;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ShownState(i), 0) << i;
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 0);

    // Clicking it again ticks everything below it.
    ClickBox(0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(l.GetCheck(i), 1) << i;
    EXPECT_EQ(ShownState(3), 1);
}

TEST_F(CheckListTest, AncestorsFollowTheirChildren) {
    CCheckList& l = Make();
    CheckItem* top = Add("Devices");
    CheckItem* parent = Add("Korvalen", top);
    Add("RK-2020", parent, 0);  // 2
    Add("RK-2030", parent, 0);  // 3
    Add("Brisel", top, 0);      // 4

    // Children 1 and 2: the parent is checked.
    l.SetCheck(2, 1);
    l.SetCheck(3, 2);
    EXPECT_EQ(l.GetCheck(1), 1);
    EXPECT_EQ(l.GetCheck(0), 2);  // its own sibling is clear
    EXPECT_EQ(ShownState(1), 1);
    // Children 0 and 2: partly checked.
    l.SetCheck(2, 0);
    EXPECT_EQ(l.GetCheck(1), 2);
    // All children clear: clear, and so is the top.
    l.SetCheck(3, 0);
    EXPECT_EQ(l.GetCheck(1), 0);
    EXPECT_EQ(l.GetCheck(0), 0);

    // SetCheck leaves descendants alone.
    l.SetCheck(1, 1);
    EXPECT_EQ(l.GetCheck(2), 0);
    EXPECT_EQ(l.GetCheck(3), 0);

    // A click on a child recomputes every ancestor, up to the top.
    l.SetCheck(1, 0);
    ClickBox(2);
    EXPECT_EQ(l.GetCheck(2), 1);
    EXPECT_EQ(l.GetCheck(1), 2);
    EXPECT_EQ(l.GetCheck(0), 2);
    ClickBox(3);
    ClickBox(4);
    EXPECT_EQ(l.GetCheck(1), 1);
    EXPECT_EQ(l.GetCheck(0), 1);
    EXPECT_EQ(ShownState(0), 1);
    // Index -1, the list's root, sums up the top-level items.
    EXPECT_EQ(l.GetCheck(-1), 1);
    ClickBox(4);
    EXPECT_EQ(l.GetCheck(0), 2);
    // No child of the root is clear, so the root counts as checked even though
    // its only child is partly checked.
    EXPECT_EQ(l.GetCheck(-1), 1);
}

TEST_F(CheckListTest, OnlyTheCheckBoxFlipsTheStateAndAClickSelects) {
    CCheckList& l = Make();
    Add("Korvalen");
    CheckItem* child = Add("RK-2020", l.GetItem(0));
    QSignalSpy selected(&l, &CCheckList::selectionChanged);
    QSignalSpy changed(&l, &CCheckList::checkChanged);

    // The text selects the item and leaves its state alone.
    ClickText(1);
    EXPECT_EQ(l.GetCheck(1), 0);
    EXPECT_EQ(l.GetSelectedIndex(), 1);
    EXPECT_TRUE(child->IsSelected());
    EXPECT_TRUE(ShowsSelection(1));
    EXPECT_EQ(changed.count(), 0);
    ASSERT_EQ(selected.count(), 1);

    // Above the box's top margin nothing flips; from 5 pixels down it does.
    const int left = BoxLeft(1);
    ClickAt(left + 6, RowTop(1) + 4);
    EXPECT_EQ(l.GetCheck(1), 0);
    ClickAt(left + 6, RowTop(1) + 5);
    EXPECT_EQ(l.GetCheck(1), 1);
    // The box reaches one indent to the right of its left edge.
    ClickAt(left + l.Indent() - 1, RowTop(1) + 10);
    EXPECT_EQ(l.GetCheck(1), 0);
    ClickAt(left + l.Indent(), RowTop(1) + 10);
    EXPECT_EQ(l.GetCheck(1), 0);
    ClickAt(left - 1, RowTop(1) + 10);
    EXPECT_EQ(l.GetCheck(1), 0);

    // Selecting another item takes the highlight from the first.
    ClickText(0);
    EXPECT_EQ(l.GetSelectedIndex(), 0);
    EXPECT_FALSE(child->IsSelected());
    EXPECT_FALSE(ShowsSelection(1));
    EXPECT_TRUE(ShowsSelection(0));

    // Below the last row there is no item: nothing changes.
    ClickAt(10, RowTop(1) + 3 * l.RowHeight());
    EXPECT_EQ(l.GetSelectedIndex(), 0);
}

TEST_F(CheckListTest, KeysMoveTheSelectionAndSpaceTicks) {
    CCheckList& l = Make();
    CheckItem* a = Add("Korvalen");
    Add("RK-2020", a);
    Add("RK-2030", a);
    l.Control()->setFocus();
    QTest::keyClick(l.Control(), Qt::Key_Down);
    EXPECT_EQ(l.GetSelectedIndex(), 0);
    QTest::keyClick(l.Control(), Qt::Key_End);
    EXPECT_EQ(l.GetSelectedIndex(), 2);
    QTest::keyClick(l.Control(), Qt::Key_Space);
    EXPECT_EQ(l.GetCheck(2), 1);
    EXPECT_EQ(l.GetCheck(0), 2);
    // A partly checked parent clears, then ticks its children.
    QTest::keyClick(l.Control(), Qt::Key_Home);
    QTest::keyClick(l.Control(), Qt::Key_Space);
    EXPECT_EQ(l.GetCheck(0), 0);
    EXPECT_EQ(l.GetCheck(2), 0);
    QTest::keyClick(l.Control(), Qt::Key_Space);
    EXPECT_EQ(l.GetCheck(0), 1);
    EXPECT_EQ(l.GetCheck(1), 1);
}

TEST_F(CheckListTest, ScrollsInWholeRowsAndTenPixelSteps) {
    CCheckList& l = Make(QSize(200, 100));
    CCheckControl* control = l.Control();
    Add("One");
    QApplication::processEvents();  // the bars show or hide from the event loop
    EXPECT_FALSE(control->verticalScrollBar()->isVisible());
    EXPECT_FALSE(control->horizontalScrollBar()->isVisible());

    for (int i = 2; i <= 20; ++i)
        Add(QString("Item %1").arg(i));
    QApplication::processEvents();
    QScrollBar* vertical = control->verticalScrollBar();
    EXPECT_TRUE(vertical->isVisible());
    const int visible = l.VisibleRowCount();
    EXPECT_EQ(visible, control->viewport()->height() / l.RowHeight());
    EXPECT_EQ(vertical->maximum(), 20 - visible);
    EXPECT_EQ(vertical->pageStep(), visible);

    vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(l.FirstVisibleRow(), 1);
    // The first row shown is now item 1: a click there selects it.
    ClickAt(BoxLeft(1) + l.Indent() + 3, l.RowHeight() / 2);
    EXPECT_EQ(l.GetSelectedIndex(), 1);
    vertical->setValue(vertical->maximum());
    EXPECT_EQ(l.FirstVisibleRow(), 20 - visible);
    ClickBox(19);
    EXPECT_EQ(l.GetCheck(19), 1);
    EXPECT_EQ(ShownState(19), 1);

    // A long text needs the horizontal bar: 10 pixels a step.
    Add("A very long device name that does not fit into the list at all");
    QApplication::processEvents();
    QScrollBar* horizontal = control->horizontalScrollBar();
    EXPECT_TRUE(horizontal->isVisible());
    EXPECT_EQ(horizontal->maximum(), l.ContentWidth() - control->viewport()->width());
    EXPECT_EQ(horizontal->singleStep(), 10);
    horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(l.HorizontalPosition(), 10);
    // The horizontal bar takes room, so fewer rows fit.
    EXPECT_EQ(l.VisibleRowCount(), control->viewport()->height() / l.RowHeight());
    vertical->setValue(vertical->maximum());
    ClickBox(20);
    EXPECT_EQ(l.GetCheck(20), 1);

    // The keyboard and the program keep the selection in view.
    control->setFocus();
    QTest::keyClick(control, Qt::Key_Home);
    EXPECT_EQ(l.FirstVisibleRow(), 0);
    l.SelectItem(15);
    EXPECT_EQ(l.GetSelectedIndex(), 15);
    EXPECT_EQ(l.FirstVisibleRow(), 15 - l.VisibleRowCount() + 1);
    EXPECT_TRUE(ShowsSelection(15));
    l.SelectItem(21);
    EXPECT_EQ(l.GetSelectedIndex(), 15);
}

TEST_F(CheckListTest, DeleteRemovesWholeSubtrees) {
    CCheckList& l = Make(QSize(200, 60));
    CheckItem* a = Add("Korvalen");
    Add("RK-2020", a);
    CheckItem* wide = Add("A long name for a tandem partner device", l.GetItem(1));
    Add("Brisel");
    const int widest = wide->RightEdge();
    EXPECT_EQ(l.ContentWidth(), widest);
    ClickText(2);

    EXPECT_EQ(l.DeleteItem(4), -1);
    EXPECT_EQ(l.DeleteItem(-2), -1);
    EXPECT_EQ(l.DeleteItem(1), 0);
    EXPECT_EQ(l.GetCount(), 2);
    EXPECT_EQ(l.GetItem(1)->Text(), "Brisel");
    EXPECT_EQ(l.GetSelectedIndex(), -2);  // the selection went with its item
    EXPECT_LT(l.ContentWidth(), widest);
    EXPECT_EQ(l.GetCheck(2), -1);

    EXPECT_EQ(l.DeleteItem(-1), 0);
    EXPECT_EQ(l.GetCount(), 0);
    EXPECT_EQ(l.GetCheck(0), -1);
    EXPECT_EQ(l.ContentWidth(), 0);
    QApplication::processEvents();
    EXPECT_FALSE(l.Control()->horizontalScrollBar()->isVisible());
}

TEST_F(CheckListTest, OutOfRangeIndexesAndStatesAreIgnored) {
    CCheckList& l = Make();
    Add("Korvalen");
    Add("Brisel", nullptr, 1);
    l.SetCheck(2, 1);
    l.SetCheck(-2, 1);
    l.SetCheck(0, 3);
    l.SetCheck(0, -1);
    EXPECT_EQ(l.GetCheck(0), 0);
    EXPECT_EQ(l.GetCheck(1), 1);
    EXPECT_EQ(l.GetCheck(2), -1);
    EXPECT_EQ(l.GetCheck(-2), -1);
    l.SetCheck(0, 2);
    EXPECT_EQ(ShownState(0), 2);
}

}  // namespace
