#pragma once
// The network discovery dialog: the devices that the document monitor
// watches ("Monitoring Device", list 603) and the devices found
// ("Discovered Device", list 1022). The user moves devices between them with
// Add and Remove; OK writes the watched devices the user added to
// Discovery\LastLookUp. The workstation's printers with a known address are
// shown as watched, but never written and never removed.
//
//     CDseDiscoveryDlg dlg(nFamily, CDseDiscoveryDlg::kModeMakerOnly);
//     bool bOk = dlg.exec() == QDialog::Accepted;

#include <memory>
#include <set>
#include <string>

#include "discovery/NetworkDeviceIdentification.h"
#include "discovery/dialogs/DiscoveryDialogBase.h"

namespace qx {

class CDseDiscoveryDlg : public CDiscoveryDialogBase {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 140;
    static constexpr int kMonitoringListId = 603;
    static constexpr int kAddId = 604;
    static constexpr int kRemoveId = 605;
    static constexpr int kMonitoringLabelId = 607;
    static constexpr int kDiscoveredLabelId = 608;
    static constexpr int kMaxMonitoring = 15;
    static constexpr int kModeMakerOnly = 17;
    static constexpr int kModeAll = 1;
    static constexpr int kModeNone = 0;

    // nFamily: 1 Korvalen, any other value Orven.
    CDseDiscoveryDlg(uint32_t nFamily, int nMode = kModeMakerOnly, QWidget* parent = nullptr,
                     DiscoveryDialogOptions options = {});
    ~CDseDiscoveryDlg() override;

    uint32_t Family() const { return m_nFamily; }
    int Mode() const { return m_nMode; }
    CDeviceListView* MonitoringList() const { return m_pMonitoring; }
    QPushButton* AddButton() const { return m_pAdd; }
    QPushButton* RemoveButton() const { return m_pRemove; }

    // Buttons 604, 605, 3 and 4.
    void OnAdd();
    void OnRemove();
    void OnAdvanced();
    void OnManualSelection();

    void accept() override;

  protected:
    CDeviceIdentification& Identification() override { return *m_id; }
    bool NothingToLookFor() const override { return m_nMode == kModeNone; }
    void EnableForPhase(bool bIdle) override;

  private:
    void OnInitDialog();
    void FillMonitoringList();
    void MakeIdentification();
    bool IsWorkstationPrinter(const std::string& name) const;

    int m_nMode;
    std::unique_ptr<CNetworkDeviceIdentification> m_id;
    CDeviceListView* m_pMonitoring = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pRemove = nullptr;
    std::set<std::string> m_printerNames;  // the printers table's, for Remove
};

}  // namespace qx
