#pragma once
// The gallery window: each control of the dialogs with sample content, the
// way the discovery dialogs use them.

#include <QWidget>

class QGroupBox;

namespace qx {

class CCheckList;
class CDseIPAddressCtrl;
class CStaticLink;

class Gallery : public QWidget {
    Q_OBJECT

  public:
    Gallery();

    // The panels that screenshots show one by one.
    QGroupBox* CheckListPanel() const { return m_pCheckPanel; }
    QGroupBox* AddressPanel() const { return m_pAddressPanel; }
    QGroupBox* LinkPanel() const { return m_pLinkPanel; }

    // Puts the controls into the states a user would bring them to: the
    // caret in an address field with its text selected, a visited link.
    void ShowInteractionStates();

  private:
    QGroupBox* MakeCheckListPanel();
    QGroupBox* MakeAddressPanel();
    QGroupBox* MakeLinkPanel();

    QGroupBox* m_pCheckPanel;
    QGroupBox* m_pAddressPanel;
    QGroupBox* m_pLinkPanel;
    CCheckList* m_pCheckList = nullptr;
    CDseIPAddressCtrl* m_pFrom = nullptr;
    CStaticLink* m_pVisited = nullptr;
};

}  // namespace qx
