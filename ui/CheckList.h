#pragma once
// A scrolling list of items arranged as a tree, each with a three-state check
// mark (unchecked, checked, partly checked) drawn from three bitmaps of one
// size. The list window holds the items; its inner CCheckControl draws them
// and takes the clicks. A click on an item's check box gives the item and all
// its descendants the new state and recomputes its ancestors from their
// children, so that a parent shows whether all, some or none of its children
// are ticked.
//
// Items are numbered by a depth-first walk (every item is always shown):
// item 0 is the first top-level item, its children follow it, and so on.
// Index -1 names the list's hidden root, whose state sums up the top-level
// items the same way an ancestor's state sums up its children.

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>

#include "ui/CheckItem.h"

namespace qx {

class CCheckControl;

// The check-mark bitmaps that come with the controls (13 x 13 pixels).
inline constexpr const char* kCheckBitmapUnchecked = ":/qx/ui/checklist/unchecked.xpm";
inline constexpr const char* kCheckBitmapChecked = ":/qx/ui/checklist/checked.xpm";
inline constexpr const char* kCheckBitmapPartlyChecked = ":/qx/ui/checklist/partly.xpm";

class CCheckList : public QWidget {
    Q_OBJECT

  public:
    enum CheckState { Unchecked = 0, Checked = 1, PartlyChecked = 2 };

    CCheckList();
    ~CCheckList() override;

    // Creates the list inside parent at rect with the three bitmaps (file or
    // resource paths), the background colour and a font (null: the list's own,
    // see DefaultFont). False when a bitmap is missing, the three differ in
    // size, or the list was created before.
    bool Create(const QRect& rect, QWidget* parent, int nId, const QString& strUnchecked,
                const QString& strChecked, const QString& strPartlyChecked,
                const QColor& crBackground, const QFont* pFont = nullptr);
    bool IsCreated() const { return m_bCreated; }

    // Adds an item as the last child of pParent (null: top level). Null when
    // the state is outside 0..2, the parent belongs to no item of this list,
    // or the list is not created.
    CheckItem* AddItem(const QString& strText, CheckItem* pParent, int nState, uint32_t dwItemData,
                       const QColor& crText, const QColor& crSelText, const QColor& crSelection);
    // Removes the item and its whole subtree (-1: every item). 0, or -1 for an
    // index outside -1..count-1.
    int DeleteItem(int nIndex);
    // Sets one item's state and recomputes its ancestors; its descendants keep
    // theirs. Ignored for an index outside -1..count-1 or a state outside 0..2.
    void SetCheck(int nIndex, int nState);
    // The item's state, or -1 when there is no such item or no list.
    int GetCheck(int nIndex) const;

    int GetCount() const { return m_nCount; }
    // The item at a depth-first index (-1: the hidden root), or null.
    CheckItem* GetItem(int nIndex) const;
    // The index of an item of this list, or -2 for anything else.
    int IndexOf(const CheckItem* pItem) const;
    // The index of the item with the selection highlight, or -2 for none.
    int GetSelectedIndex() const { return IndexOf(m_pSelected); }
    // Gives the item at nIndex the highlight, as a click on it would, and
    // scrolls it into view. Ignored for an index outside 0..count-1.
    void SelectItem(int nIndex);

    int RowHeight() const { return m_nRowHeight; }
    int Indent() const { return m_nIndent; }
    int ContentWidth() const { return m_nContentWidth; }
    int FirstVisibleRow() const { return m_nFirstVisible; }
    int HorizontalPosition() const { return m_nHScroll; }
    int VisibleRowCount() const;
    const QPixmap& Bitmap(int nState) const { return m_bitmaps[nState]; }
    QColor BackgroundColour() const { return m_crBackground; }
    CCheckControl* Control() const { return m_pControl; }

    // The list's own font: "TAHOMA" (or the platform's sans-serif face) of
    // normal weight, 14 pixels from the top of its accents to the bottom of
    // its descenders, 12 under the Japanese code page 932.
    static QFont DefaultFont(int nCodePage);

    QSize sizeHint() const override;

  signals:
    // A click or a key changed the states of the item at nIndex, its
    // descendants and its ancestors.
    void checkChanged(int nIndex);
    // The item at nIndex took the selection highlight.
    void selectionChanged(int nIndex);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    friend class CCheckControl;

    // Depth-first successor of pItem in the whole tree, null after the last.
    const CheckItem* Next(const CheckItem* pItem) const;
    CheckItem* Next(CheckItem* pItem) {
        return const_cast<CheckItem*>(static_cast<const CCheckList*>(this)->Next(pItem));
    }
    bool Contains(const CheckItem* pItem) const;
    void Select(CheckItem* pItem);
    // The click rules: flip the item, hand the new state down to every
    // descendant, recompute the ancestors.
    void Toggle(CheckItem* pItem);
    static void SetSubtreeState(CheckItem* pItem, int nState);
    static void RecomputeAncestors(CheckItem* pItem);
    static int CountSubtree(const CheckItem* pItem);
    void RecomputeContentWidth();
    void Relayout();

    CheckItem m_root;
    CheckItem* m_pSelected = nullptr;
    int m_nCount = 0;
    int m_nRowHeight = 0;
    int m_nIndent = 0;
    int m_nContentWidth = 0;
    int m_nFirstVisible = 0;
    int m_nHScroll = 0;
    QPixmap m_bitmaps[3];
    QColor m_crBackground;
    CCheckControl* m_pControl = nullptr;
    bool m_bCreated = false;
    QSize m_createdSize;
};

}  // namespace qx
