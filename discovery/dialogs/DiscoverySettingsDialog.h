#pragma once
// What the two discovery settings dialogs share: the protocol check boxes,
// the subnet-or-range radio buttons with the From and To address controls,
// OK with its protocol check, Cancel and Help. The texts come from the
// language library when the dialog opens.

#include <QDialog>

#include "discovery/dialogs/DiscoverySettings.h"

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace qx {

class CDseIPAddressCtrl;
class LanguageLibrary;

class CDiscoverySettingsDialog : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kIpxCheckId = 321;
    static constexpr int kIpCheckId = 303;
    static constexpr int kSubnetRadioId = 308;
    static constexpr int kRangeRadioId = 311;
    static constexpr int kFromId = 316;
    static constexpr int kToId = 320;
    static constexpr int kFromLabelId = 211;
    static constexpr int kToLabelId = 212;
    static constexpr int kDevicesGroupId = 209;
    static constexpr int kNetworkGroupId = 210;
    static constexpr int kHelpId = 9;
    static constexpr int kTitleStringId = 801;
    // The help topic of the discovery dialogs.
    static constexpr int kHelpContext = 1002;

    ~CDiscoverySettingsDialog() override;

    void accept() override;

    QCheckBox* IpCheck() const { return m_pIp; }
    QCheckBox* IpxCheck() const { return m_pIpx; }
    QRadioButton* SubnetRadio() const { return m_pSubnet; }
    QRadioButton* RangeRadio() const { return m_pRange; }
    CDseIPAddressCtrl* FromControl() const { return m_pFrom; }
    CDseIPAddressCtrl* ToControl() const { return m_pTo; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }
    QPushButton* HelpButton() const { return m_pHelp; }

  protected:
    explicit CDiscoverySettingsDialog(QWidget* parent);

    void showEvent(QShowEvent* event) override;

    // Builds the protocol and range controls into the network group and the
    // buttons; the subclass adds its own controls to the devices group.
    void BuildCommon();
    QGroupBox* DevicesGroup() const { return m_pDevicesGroup; }
    QVBoxLayout* DevicesLayout() const { return m_pDevicesLayout; }

    virtual DiscoverySettings& Common() = 0;
    // The subclass's part of the dialog start; pLibrary may be null.
    virtual void OnInitSettings(const LanguageLibrary* pLibrary) = 0;
    // The subclass's part of OK after the protocol check; false keeps the
    // dialog open (the subclass has told the user why).
    virtual bool ValidateKinds() { return true; }
    virtual void ShowHelp() = 0;
    // Whether IPX may be offered beyond its availability.
    virtual bool IpxAllowed() const { return true; }

    // A stop-icon message box with string nTextId and caption string 99.
    void Refuse(int nTextId);

  private:
    void OnInitDialog();
    void OnIpCheck();
    void OnIpxCheck();
    void OnSubnet();
    void OnRange();
    void ShowSubnetRange();
    void UpdateRangeControls();
    void ReadRange();

    QGroupBox* m_pDevicesGroup = nullptr;
    QVBoxLayout* m_pDevicesLayout = nullptr;
    QGroupBox* m_pNetworkGroup = nullptr;
    QCheckBox* m_pIp = nullptr;
    QCheckBox* m_pIpx = nullptr;
    QRadioButton* m_pSubnet = nullptr;
    QRadioButton* m_pRange = nullptr;
    CDseIPAddressCtrl* m_pFrom = nullptr;
    CDseIPAddressCtrl* m_pTo = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    QPushButton* m_pHelp = nullptr;
    bool m_bInitialised = false;
};

}  // namespace qx
