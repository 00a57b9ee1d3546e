#include "CheckControl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "ui/CheckList.h"

namespace qx {

namespace {
// Pixels a line step of the horizontal scroll bar moves.
constexpr int kHorizontalLineStep = 10;
// The check box and the selection frame keep this distance from the row's edges.
constexpr int kBoxLeftMargin = 5;
constexpr int kBoxTopMargin = 5;
constexpr int kSelectionPadding = 2;
}  // namespace

CCheckControl::CCheckControl(CCheckList* pList) : QAbstractScrollArea(pList), m_pList(pList) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::ArrowCursor);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(kHorizontalLineStep);
}

int CCheckControl::VisibleRowCount() const {
    const int nRowHeight = m_pList->m_nRowHeight;
    return nRowHeight > 0 ? viewport()->height() / nRowHeight : 0;
}

void CCheckControl::UpdateScrollBars() {
    const int nVisible = VisibleRowCount();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, m_pList->m_nCount - nVisible));
    vertical->setPageStep(std::max(1, nVisible));

    const int nClientWidth = viewport()->width();
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, m_pList->m_nContentWidth - nClientWidth));
    horizontal->setPageStep(std::max(1, nClientWidth));

    // The bars clamp their positions to the new ranges; the list follows.
    m_pList->m_nFirstVisible = vertical->value();
    m_pList->m_nHScroll = horizontal->value();
}

void CCheckControl::EnsureVisible(int nIndex) {
    const int nVisible = std::max(1, VisibleRowCount());
    QScrollBar* vertical = verticalScrollBar();
    if (nIndex < vertical->value())
        vertical->setValue(nIndex);
    else if (nIndex >= vertical->value() + nVisible)
        vertical->setValue(nIndex - nVisible + 1);
}

QRect CCheckControl::RowRect(int nIndex) const {
    const int nRowHeight = m_pList->m_nRowHeight;
    return QRect(0, (nIndex - m_pList->m_nFirstVisible) * nRowHeight, viewport()->width(),
                 nRowHeight);
}

void CCheckControl::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), m_pList->m_crBackground);
    const int nRowHeight = m_pList->m_nRowHeight;
    if (nRowHeight <= 0)
        return;
    painter.setFont(m_pList->font());
    // One row more than fit, for the partly shown row at the bottom.
    const int nRows = viewport()->height() / nRowHeight + 1;
    const CheckItem* pItem = m_pList->GetItem(m_pList->m_nFirstVisible);
    for (int nRow = 0; pItem != nullptr && nRow < nRows; ++nRow, pItem = m_pList->Next(pItem))
        DrawRow(painter, pItem, nRow * nRowHeight);
}

void CCheckControl::DrawRow(QPainter& painter, const CheckItem* pItem, int nRowTop) {
    const int nRowHeight = m_pList->m_nRowHeight;
    const int nIndent = m_pList->m_nIndent;
    painter.fillRect(QRect(0, nRowTop, viewport()->width(), nRowHeight), m_pList->m_crBackground);

    const int nBoxLeft = (pItem->Level() - 1) * nIndent + kBoxLeftMargin - m_pList->m_nHScroll;
    const QPixmap& bitmap = m_pList->m_bitmaps[pItem->State()];
    painter.drawPixmap(nBoxLeft, nRowTop + (nRowHeight - bitmap.height()) / 2, bitmap);

    const QRect textRect(nBoxLeft + nIndent, nRowTop, pItem->TextWidth(), nRowHeight);
    QColor crText = pItem->TextColour();
    if (pItem->IsSelected()) {
        const QRect selection = textRect.adjusted(-kSelectionPadding, 1, kSelectionPadding, -1);
        painter.fillRect(selection, pItem->SelectionColour());
        crText = pItem->SelectedTextColour();
        // The focus rectangle: a dotted frame just inside the highlight.
        painter.setPen(QPen(crText, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(selection.adjusted(0, 0, -1, -1));
    }
    painter.setPen(crText);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     pItem->Text());
}

void CCheckControl::mousePressEvent(QMouseEvent* event) {
    const int nRowHeight = m_pList->m_nRowHeight;
    if (event->button() != Qt::LeftButton || nRowHeight <= 0) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint pt = event->position().toPoint();
    if (pt.y() < 0)
        return;
    const int nRow = pt.y() / nRowHeight + m_pList->m_nFirstVisible;
    CheckItem* pItem = m_pList->GetItem(nRow);
    if (pItem == nullptr)
        return;
    m_pList->Select(pItem);

    // The check box takes one indent from the bitmap's left edge, and only the
    // row below its top margin.
    const int nRowTop = (nRow - m_pList->m_nFirstVisible) * nRowHeight;
    const int nBoxLeft = (pItem->Level() - 1) * m_pList->m_nIndent + kBoxLeftMargin;
    const int nX = pt.x() + m_pList->m_nHScroll;
    if (nX >= nBoxLeft && nX < nBoxLeft + m_pList->m_nIndent && pt.y() - nRowTop >= kBoxTopMargin)
        m_pList->Toggle(pItem);
}

void CCheckControl::MoveSelection(int nIndex) {
    if (m_pList->m_nCount == 0)
        return;
    m_pList->SelectItem(std::clamp(nIndex, 0, m_pList->m_nCount - 1));
}

void CCheckControl::keyPressEvent(QKeyEvent* event) {
    // Keys of a list box: the arrows and page keys move the selection, Space
    // ticks the selected item as a click on its check box would.
    const int nSelected = m_pList->GetSelectedIndex();
    const int nPage = std::max(1, VisibleRowCount());
    switch (event->key()) {
        case Qt::Key_Up:
            MoveSelection(nSelected < 0 ? 0 : nSelected - 1);
            return;
        case Qt::Key_Down:
            MoveSelection(nSelected < 0 ? 0 : nSelected + 1);
            return;
        case Qt::Key_PageUp:
            MoveSelection(nSelected < 0 ? 0 : nSelected - nPage);
            return;
        case Qt::Key_PageDown:
            MoveSelection(nSelected < 0 ? 0 : nSelected + nPage);
            return;
        case Qt::Key_Home:
            MoveSelection(0);
            return;
        case Qt::Key_End:
            MoveSelection(m_pList->m_nCount - 1);
            return;
        case Qt::Key_Space:
            if (m_pList->m_pSelected != nullptr)
                m_pList->Toggle(m_pList->m_pSelected);
            return;
        default:
            QAbstractScrollArea::keyPressEvent(event);
    }
}

void CCheckControl::resizeEvent(QResizeEvent*) {
    UpdateScrollBars();
}

void CCheckControl::scrollContentsBy(int, int) {
    m_pList->m_nFirstVisible = verticalScrollBar()->value();
    m_pList->m_nHScroll = horizontalScrollBar()->value();
    viewport()->update();
}

}  // namespace qx
