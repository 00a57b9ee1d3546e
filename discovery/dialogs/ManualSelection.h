#pragma once
// The manual selection dialog: the user types a device's IP address (or its
// IPX network and node numbers), name and location instead of discovering
// it. OK checks the entries and composes the address text.

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

namespace qx {

class CDseIPAddressCtrl;

struct ManualSelectionResult {
    std::string strAddress;  // "a.b.c.d" or "NNNNNNNN:MMMMMMMMMMMM"
    std::string strName;
    std::string strLocation;
};

class CManualSelection : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 102;
    static constexpr int kIpAddressId = 1004;
    static constexpr int kIpxNetworkId = 219;
    static constexpr int kIpxNodeId = 220;
    static constexpr int kIpxColonId = 221;
    static constexpr int kNameId = 1000;
    static constexpr int kLocationId = 1002;
    // Longest name and location the device lists keep.
    static constexpr int kMaxTextLength = 256;

    CManualSelection(bool bIpAvailable, bool bIpxAvailable, QWidget* parent = nullptr);
    ~CManualSelection() override;

    // Valid after OK.
    const ManualSelectionResult& Result() const { return m_result; }

    void accept() override;

    CDseIPAddressCtrl* IpAddressControl() const { return m_pIp; }
    QLineEdit* IpxNetworkEdit() const { return m_pNetwork; }
    QLineEdit* IpxNodeEdit() const { return m_pNode; }
    QLineEdit* NameEdit() const { return m_pName; }
    QLineEdit* LocationEdit() const { return m_pLocation; }
    QPushButton* OkButton() const { return m_pOk; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void OnInitDialog();
    // Shows string nTextId, clears and focuses the field; always false.
    bool Refuse(int nTextId, QWidget* pField);
    bool ValidateIpx();

    bool m_bIpAvailable;
    bool m_bIpxAvailable;
    ManualSelectionResult m_result;
    CDseIPAddressCtrl* m_pIp = nullptr;
    QLineEdit* m_pNetwork = nullptr;
    QLineEdit* m_pNode = nullptr;
    QLineEdit* m_pName = nullptr;
    QLineEdit* m_pLocation = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    bool m_bInitialised = false;
};

}  // namespace qx
