#include "CheckList.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionFrame>

#include <algorithm>

#include "platform/text/CodePage.h"
#include "ui/CheckControl.h"
#include "ui/ControlId.h"

namespace qx {

namespace {

// The inner window sits this far in from each side of the list.
constexpr int kControlInset = 2;
// Room between a check-mark bitmap and its row: the indent is the bitmap's
// width plus this, the row height its height plus this.
constexpr int kBitmapPadding = 6;

// A font whose character cell (ascent plus descent) is at most nCellHeight
// pixels, as the original platform sizes a font by a positive height.
QFont CellHeightFont(const QString& strFace, int nCellHeight) {
    QFont font(strFace);
    font.setStyleHint(QFont::SansSerif, QFont::PreferOutline);
    font.setWeight(QFont::Normal);
    int nPixels = nCellHeight;
    font.setPixelSize(nPixels);
    while (nPixels > 1 && QFontMetrics(font).height() > nCellHeight)
        font.setPixelSize(--nPixels);
    return font;
}

}  // namespace

CCheckList::CCheckList() {
    m_root.m_nLevel = 0;
    setObjectName(QStringLiteral("CLISTBOX"));
    setCursor(Qt::ArrowCursor);
}

CCheckList::~CCheckList() = default;

QFont CCheckList::DefaultFont(int nCodePage) {
    return CellHeightFont(QStringLiteral("TAHOMA"), nCodePage == kCodePageJapanese ? 12 : 14);
}

bool CCheckList::Create(const QRect& rect, QWidget* parent, int nId, const QString& strUnchecked,
                        const QString& strChecked, const QString& strPartlyChecked,
                        const QColor& crBackground, const QFont* pFont) {
    if (m_bCreated)
        return false;
    QPixmap bitmaps[3] = {QPixmap(strUnchecked), QPixmap(strChecked), QPixmap(strPartlyChecked)};
    for (const QPixmap& bitmap : bitmaps)
        if (bitmap.isNull() || bitmap.size() != bitmaps[0].size())
            return false;
    for (int i = 0; i < 3; ++i)
        m_bitmaps[i] = bitmaps[i];
    m_nIndent = m_bitmaps[0].width() + kBitmapPadding;
    m_nRowHeight = m_bitmaps[0].height() + kBitmapPadding;

    m_crBackground = crBackground;
    setParent(parent);
    SetControlId(this, nId);
    setFont(pFont != nullptr ? *pFont : DefaultFont(ActiveCodePage()));
    const QFontMetrics metrics(font());
    m_nRowHeight = std::max(m_nRowHeight, metrics.height() + std::max(0, metrics.leading()));

    m_pControl = new CCheckControl(this);
    m_pControl->setObjectName(QStringLiteral("Check Control"));
    m_pControl->setFont(font());
    m_bCreated = true;
    m_createdSize = rect.size();
    setGeometry(rect);
    Relayout();
    m_pControl->show();
    show();
    return true;
}

CheckItem* CCheckList::AddItem(const QString& strText, CheckItem* pParent, int nState,
                               uint32_t dwItemData, const QColor& crText, const QColor& crSelText,
                               const QColor& crSelection) {
    if (!m_bCreated || nState < 0 || nState > 2)
        return nullptr;
    if (pParent == nullptr)
        pParent = &m_root;
    if (!Contains(pParent))
        return nullptr;

    auto item = std::make_unique<CheckItem>();
    item->m_pParent = pParent;
    item->m_nState = nState;
    item->m_nLevel = pParent->m_nLevel + 1;
    item->m_nTextWidth = QFontMetrics(font()).horizontalAdvance(strText);
    item->m_nRightEdge = item->m_nLevel * m_nIndent + item->m_nTextWidth + 5;
    item->m_dwItemData = dwItemData;
    item->m_strText = strText;
    item->m_crText = crText;
    item->m_crSelText = crSelText;
    item->m_crSelection = crSelection;
    CheckItem* pItem = item.get();
    pParent->m_children.push_back(std::move(item));
    ++m_nCount;
    m_nContentWidth = std::max(m_nContentWidth, pItem->m_nRightEdge);
    m_pControl->UpdateScrollBars();
    m_pControl->viewport()->update();
    return pItem;
}

int CCheckList::DeleteItem(int nIndex) {
    if (!m_bCreated || nIndex < -1 || nIndex >= m_nCount)
        return -1;
    CheckItem* pItem = GetItem(nIndex);
    for (const CheckItem* p = m_pSelected; p != nullptr; p = p->m_pParent)
        if (p == pItem)
            m_pSelected = nullptr;
    if (pItem == &m_root) {
        m_root.m_children.clear();
        m_nCount = 0;
    } else {
        m_nCount -= CountSubtree(pItem);
        auto& siblings = pItem->m_pParent->m_children;
        siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                    [pItem](const auto& child) { return child.get() == pItem; }));
    }
    RecomputeContentWidth();
    m_pControl->UpdateScrollBars();
    m_pControl->viewport()->update();
    return 0;
}

void CCheckList::SetCheck(int nIndex, int nState) {
    if (!m_bCreated || nIndex < -1 || nIndex >= m_nCount || nState < 0 || nState > 2)
        return;
    CheckItem* pItem = GetItem(nIndex);
    pItem->m_nState = nState;
    RecomputeAncestors(pItem);
    m_pControl->viewport()->update();
}

int CCheckList::GetCheck(int nIndex) const {
    if (!m_bCreated || nIndex < -1 || nIndex >= m_nCount)
        return -1;
    return GetItem(nIndex)->m_nState;
}

CheckItem* CCheckList::GetItem(int nIndex) const {
    if (nIndex == -1)
        return const_cast<CheckItem*>(&m_root);
    if (nIndex < 0 || nIndex >= m_nCount)
        return nullptr;
    const CheckItem* pItem = Next(&m_root);
    for (int i = 0; i < nIndex && pItem != nullptr; ++i)
        pItem = Next(pItem);
    return const_cast<CheckItem*>(pItem);
}

int CCheckList::IndexOf(const CheckItem* pItem) const {
    if (pItem == nullptr)
        return -2;
    if (pItem == &m_root)
        return -1;
    int nIndex = 0;
    for (const CheckItem* p = Next(&m_root); p != nullptr; p = Next(p), ++nIndex)
        if (p == pItem)
            return nIndex;
    return -2;
}

int CCheckList::VisibleRowCount() const {
    return m_pControl != nullptr ? m_pControl->VisibleRowCount() : 0;
}

const CheckItem* CCheckList::Next(const CheckItem* pItem) const {
    if (!pItem->m_children.empty())
        return pItem->m_children.front().get();
    while (pItem != &m_root) {
        const CheckItem* pParent = pItem->m_pParent;
        const auto& siblings = pParent->m_children;
        auto it = std::find_if(siblings.begin(), siblings.end(),
                               [pItem](const auto& child) { return child.get() == pItem; });
        if (it != siblings.end() && ++it != siblings.end())
            return it->get();
        pItem = pParent;
    }
    return nullptr;
}

bool CCheckList::Contains(const CheckItem* pItem) const {
    while (pItem->m_pParent != nullptr)
        pItem = pItem->m_pParent;
    return pItem == &m_root;
}

void CCheckList::SelectItem(int nIndex) {
    if (!m_bCreated || nIndex < 0 || nIndex >= m_nCount)
        return;
    Select(GetItem(nIndex));
    m_pControl->EnsureVisible(nIndex);
}

void CCheckList::Select(CheckItem* pItem) {
    if (pItem == m_pSelected)
        return;
    if (m_pSelected != nullptr)
        m_pSelected->m_bSelected = false;
    m_pSelected = pItem;
    if (pItem != nullptr)
        pItem->m_bSelected = true;
    m_pControl->viewport()->update();
    emit selectionChanged(IndexOf(pItem));
}

void CCheckList::Toggle(CheckItem* pItem) {
    SetSubtreeState(pItem, pItem->m_nState == Unchecked ? Checked : Unchecked);
    RecomputeAncestors(pItem);
    m_pControl->viewport()->update();
    emit checkChanged(IndexOf(pItem));
}

void CCheckList::SetSubtreeState(CheckItem* pItem, int nState) {
    pItem->m_nState = nState;
    for (auto& child : pItem->m_children)
        SetSubtreeState(child.get(), nState);
}

void CCheckList::RecomputeAncestors(CheckItem* pItem) {
    for (CheckItem* pParent = pItem->m_pParent; pParent != nullptr; pParent = pParent->m_pParent) {
        bool bAnyTicked = false;
        bool bAnyClear = false;
        for (const auto& child : pParent->m_children) {
            if (child->m_nState == Unchecked)
                bAnyClear = true;
            else
                bAnyTicked = true;
        }
        pParent->m_nState = !bAnyTicked ? Unchecked : bAnyClear ? PartlyChecked : Checked;
    }
}

int CCheckList::CountSubtree(const CheckItem* pItem) {
    int n = 1;
    for (const auto& child : pItem->m_children)
        n += CountSubtree(child.get());
    return n;
}

void CCheckList::RecomputeContentWidth() {
    m_nContentWidth = 0;
    for (const CheckItem* p = Next(&m_root); p != nullptr; p = Next(p))
        m_nContentWidth = std::max(m_nContentWidth, p->m_nRightEdge);
}

void CCheckList::Relayout() {
    if (m_pControl == nullptr)
        return;
    m_pControl->setGeometry(
        rect().adjusted(kControlInset, kControlInset, -kControlInset, -kControlInset));
    m_pControl->UpdateScrollBars();
}

QSize CCheckList::sizeHint() const {
    if (m_bCreated)
        return m_createdSize;
    return QWidget::sizeHint();
}

void CCheckList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_crBackground);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.state |= QStyle::State_Sunken;
    frame.lineWidth = 1;
    frame.frameShape = QFrame::StyledPanel;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
}

void CCheckList::resizeEvent(QResizeEvent*) {
    Relayout();
}

}  // namespace qx
