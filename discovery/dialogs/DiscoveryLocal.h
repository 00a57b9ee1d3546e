#pragma once
// The local discovery dialog: one device list; the user finds devices,
// picks one and confirms. What OK writes, and for whom, depends on the
// caller number that the automation method gives (CallerProfile.h); the
// chosen row's address and name are the result the method hands back.
//
//     CDiscoveryLocal dlg(nCaller);
//     if (dlg.exec() == QDialog::Accepted) use(dlg.SelectedAddress(), dlg.SelectedName());

#include <memory>
#include <string>
#include <thread>

#include "discovery/LocalDeviceIdentification.h"
#include "discovery/dialogs/CallerProfile.h"
#include "discovery/dialogs/DiscoveryDialogBase.h"

class QLabel;

namespace qx {

class CStaticLink;

class CDiscoveryLocal : public CDiscoveryDialogBase {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 15010;
    static constexpr int kLinkId = 600;
    static constexpr int kLinkLabelId = 217;
    static constexpr int kMaxRows = 64;  // for devices added by hand

    explicit CDiscoveryLocal(int nCaller, QWidget* parent = nullptr,
                             DiscoveryDialogOptions options = {});
    ~CDiscoveryLocal() override;

    int Caller() const { return m_nCaller; }
    const CallerProfile& Profile() const { return m_profile; }
    CLocalDeviceIdentification& LocalIdentification() { return *m_id; }

    // The result, set on OK: the selected row's address and name ("" when
    // no row was selected), and for callers 3 and 11 the device's family code.
    const std::string& SelectedAddress() const { return m_strAddress; }
    const std::string& SelectedName() const { return m_strName; }
    int SelectedFamilyCode() const { return m_nFamilyCode; }

    CStaticLink* WebLink() const { return m_pLink; }
    // Opens the settings and the manual selection dialogs, as buttons 3 and 4 do.
    void OnAdvanced();
    void OnManualSelection();

    void accept() override;
    void reject() override;

  signals:
    // The web link of the selected row has been worked out.
    void webLinkReady(const QString& link);

  protected:
    CDeviceIdentification& Identification() override { return *m_id; }
    bool NothingToLookFor() const override;
    void EnableForPhase(bool bIdle) override;

  private:
    void OnInitDialog();
    void OnSelectionChanged();
    void QueryWebLink(const DeviceRow& row);
    bool SaveCallerList(const LanguageLibrary& language, const char* keyName, bool bFull);
    bool ConfirmDefaultPrinter(const LanguageLibrary& language);
    bool SingleSelection(DeviceRow& row) const;

    int m_nCaller;
    CallerProfile m_profile;
    std::unique_ptr<CLocalDeviceIdentification> m_id;
    bool m_bConfigured = false;
    QLabel* m_pLinkLabel = nullptr;
    CStaticLink* m_pLink = nullptr;
    std::thread m_linkThread;
    std::unique_ptr<DeviceRow> m_pendingLink;
    std::string m_strAddress, m_strName;
    int m_nFamilyCode = -1;
};

// The family code of the default printer's driver by the driver-name lists
// held in the language strings; -1 when the name is in none of them.
int DriverFamilyCode(const LanguageLibrary& language, const std::string& driverName);

}  // namespace qx
