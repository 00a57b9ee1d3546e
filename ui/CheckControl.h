#pragma once
// The inner window of a check list: it draws the visible rows, scrolls in
// whole rows vertically and in 10-pixel steps horizontally, and turns clicks
// and keys into the list's selection and check rules. It lies inside the list
// window, 2 pixels in from each side.

#include <QAbstractScrollArea>

namespace qx {

class CCheckList;
class CheckItem;

class CCheckControl : public QAbstractScrollArea {
    Q_OBJECT

  public:
    explicit CCheckControl(CCheckList* pList);

    // Whole rows that fit the client area.
    int VisibleRowCount() const;
    // Ranges of the scroll bars from the item count and content width; a bar
    // shows only when there is something to scroll.
    void UpdateScrollBars();
    // Scrolls so that the row of the item at nIndex is fully shown.
    void EnsureVisible(int nIndex);
    // The row of the item at nIndex in client coordinates (may lie outside).
    QRect RowRect(int nIndex) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void DrawRow(QPainter& painter, const CheckItem* pItem, int nRowTop);
    void MoveSelection(int nIndex);

    CCheckList* m_pList;
};

}  // namespace qx
