#pragma once
// The network discovery dialog's settings ("Advanced..."): the protocols, the
// address range and whether to look only for the maker's devices or for every
// device on the network.

#include "discovery/dialogs/DiscoverySettings.h"
#include "discovery/dialogs/DiscoverySettingsDialog.h"

class QRadioButton;

namespace qx {

class CDseDiscoveryCfgDlg : public CDiscoverySettingsDialog {
    Q_OBJECT

  public:
    static constexpr int kMakersDevicesId = 601;
    static constexpr int kAllDevicesId = 605;

    explicit CDseDiscoveryCfgDlg(const NetworkDiscoverySettings& settings,
                                 QWidget* parent = nullptr);
    ~CDseDiscoveryCfgDlg() override;

    const NetworkDiscoverySettings& Settings() const { return m_settings; }

  protected:
    DiscoverySettings& Common() override { return m_settings; }
    void OnInitSettings(const LanguageLibrary* pLibrary) override;
    void ShowHelp() override;

  private:
    void OnDeviceRadio();

    NetworkDiscoverySettings m_settings;
    QRadioButton* m_pMakers = nullptr;
    QRadioButton* m_pAll = nullptr;
};

}  // namespace qx
