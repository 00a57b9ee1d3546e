#pragma once
// One item of a check list (CCheckList): a row of the tree with its three-state
// check mark. The list creates, owns and frees items; its users hold pointers
// only to name a parent for AddItem and to read an item back.

#include <QColor>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace qx {

class CCheckList;

class CheckItem {
  public:
    // Null for a top-level item.
    CheckItem* Parent() const {
        return m_pParent != nullptr && m_pParent->m_nLevel > 0 ? m_pParent : nullptr;
    }
    int State() const { return m_nState; }
    // level × indent + text width + 5: how far right the row's content reaches.
    int RightEdge() const { return m_nRightEdge; }
    int TextWidth() const { return m_nTextWidth; }
    // 1 for a top-level item, one more per ancestor.
    int Level() const { return m_nLevel; }
    bool IsSelected() const { return m_bSelected; }
    uint32_t ItemData() const { return m_dwItemData; }
    const QString& Text() const { return m_strText; }
    QColor TextColour() const { return m_crText; }
    QColor SelectedTextColour() const { return m_crSelText; }
    QColor SelectionColour() const { return m_crSelection; }
    int ChildCount() const { return static_cast<int>(m_children.size()); }
    CheckItem* Child(int i) const { return m_children[static_cast<size_t>(i)].get(); }

  private:
    friend class CCheckList;

    // Top-level items point at the list's hidden root (level 0).
    CheckItem* m_pParent = nullptr;
    int m_nState = 0;
    int m_nRightEdge = 0;
    int m_nTextWidth = 0;
    int m_nLevel = 0;
    bool m_bSelected = false;
    uint32_t m_dwItemData = 0;
    QString m_strText;
    QColor m_crText;
    QColor m_crSelText;
    QColor m_crSelection;
    std::vector<std::unique_ptr<CheckItem>> m_children;
};

}  // namespace qx
