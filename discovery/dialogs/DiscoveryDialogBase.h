#pragma once
// What the two discovery dialogs share: the run (Start Discovery / Stop,
// button 301), its looks (the animation in 307, the status text in 208),
// the management component that reports devices beside the broadcast, the
// history of found addresses, the one-dialog-at-a-time rule and the close
// box that a run ignores.
//
// A run never holds the window up: the broadcast and listen threads run on
// their own, the run's end is waited for and its answers identified on a
// worker thread, and each identified device comes back to the UI thread,
// where the rows are added one by one in the order of the answers. The
// component's reports are read on a thread of their own too, and their rows
// come to the UI thread the same way.

#include <QDialog>
#include <QTimer>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "discovery/AddressRange.h"
#include "discovery/BroadcastThreads.h"
#include "discovery/DeviceIdentification.h"
#include "discovery/DeviceList.h"
#include "discovery/DiscoveryRun.h"
#include "discovery/HostProtocols.h"
#include "discovery/dialogs/DiscoverySettings.h"
#include "discovery/dialogs/SerialWorker.h"
#include "platform/com/ComPtr.h"

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace qx {

class CDeviceListView;
class CMgtComponent;
class LanguageLibrary;

// Ids shared by both dialogs' templates.
enum DiscoveryControlId {
    IDC_ACTION = 301,
    IDC_ADVANCED = 3,
    IDC_MANUAL = 4,
    IDC_DEVICELIST = 1022,
    IDC_STATUS = 208,
    IDC_ANIMATION = 307,
    IDC_MGT = 15008,
    IDC_OK = 1,
    IDC_CANCEL = 2,
    IDC_HELP = 9,
};

struct DiscoveryDialogOptions {
    DiscoveryTimings timings;
    size_t nParallel = CDeviceIdentification::kDefaultParallel;
    bool bComponent = true;             // the management component reports devices too
    IpxSocketFactory ipxSocketFactory;  // empty: the system's
};

class CDiscoveryDialogBase : public QDialog {
    Q_OBJECT
  public:
    enum class Phase { Idle, Settling, Discovering, Processing, Finishing };

    ~CDiscoveryDialogBase() override;

    // Runs the dialog while the bus host holds back calls to the server's
    // objects (see platform/bus/ModalDepth.h).
    int exec() override;

    Phase CurrentPhase() const { return m_phase; }
    bool IsDiscovering() const { return m_bDiscovering; }
    int AnimationFrameNumber() const { return m_nFrame; }
    const HostProtocols& Host() const { return m_host; }
    DiscoveryProtocol LastProtocol() const { return m_lastProtocol; }
    CDeviceListView* FoundList() const { return m_pFound; }
    // False when the language library was missing: the dialog did not finish initialising.
    bool Initialised() const { return m_bInitialised; }

    // What button 301 does: starts a run when idle, ends it while discovering.
    void OnAction();

  signals:
    // The run is over and the dialog idle again.
    void discoveryFinished();
    // A row was added to the list that runs fill.
    void rowAdded(int index);

  protected:
    CDiscoveryDialogBase(DiscoveryOwner owner, uint32_t nFamily, DiscoveryDialogOptions options,
                         QWidget* parent);

    // Builds the common controls and the component; false without the
    // language library. The subclass lays them out.
    bool InitCommon(const LanguageLibrary& language, uint32_t nOtherTitleString);
    // Lays the dialog out: the subclass's column with the animation and
    // status under it, and the buttons on the right.
    void LayOut(QVBoxLayout* left);
    // Reads the family's settings and works out the range, as a dialog does
    // when it opens (use-subnet is taken as set).
    void LoadSettings();
    // The range a run checks its answers against.
    AddressRange RunRange() const;
    // The settings written back on the local dialog's OK.
    void SaveSettings(uint32_t family) const;
    // The protocols and range a settings dialog opens with (the host's mask
    // and address shown, 0.0.0.0 without IP), and what its OK hands back.
    void FillSettings(DiscoverySettings& settings) const;
    void TakeSettings(const DiscoverySettings& settings);

    // Ends what still runs for the dialog (the worker, the run, the
    // component's reports); a subclass calls it in its destructor, before
    // the identification object it owns goes.
    void Shutdown();

    virtual CDeviceIdentification& Identification() = 0;
    // Points an identification object (made on m_componentRows) at the
    // component and at this dialog's end of run.
    void AttachIdentification(CDeviceIdentification& id);
    virtual bool NothingToLookFor() const = 0;
    // The subclass enables or disables what it adds to the common controls.
    virtual void EnableForPhase(bool bIdle) = 0;
    virtual void OnRowsCleared() {}
    // Records added to the history at the end of each run.
    void AddRecord(const std::string& address);

    // Adds a row to the found list unless one of that address (any letter
    // case) is there; the address becomes an IP device record when it has a '.'.
    bool AddFoundRow(const DeviceRow& row);

    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void showEvent(QShowEvent* event) override;

    DiscoveryOwner m_owner;
    uint32_t m_nFamily;
    DiscoveryDialogOptions m_options;
    HostProtocols m_host;
    bool m_bIpEnabled = true;
    bool m_bIpxEnabled = true;
    bool m_bUseSubnet = true;
    std::string m_strFrom, m_strTo;
    bool m_bInitialised = false;

    QPushButton* m_pAction = nullptr;
    QPushButton* m_pAdvanced = nullptr;
    QPushButton* m_pManual = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    QPushButton* m_pHelp = nullptr;
    QLabel* m_pStatus = nullptr;
    QLabel* m_pAnimation = nullptr;
    CDeviceListView* m_pFound = nullptr;
    CDeviceList
        m_componentRows;  // what the component's reports add (on m_reports), mirrored into m_pFound

  private:
    void StartRun();
    void DiscoveringLook();
    void EndRun();
    void OnIdentified(const std::shared_ptr<IdentifiedDevice>& device);
    void OnProcessingDone();
    void OnComponentFinished();
    void MaybeFinish();
    void IdleLook();
    void SaveHistory();
    void SetStatus(uint32_t nString);
    void ClearFoundRows();
    void CreateComponent();
    void ReleaseComponent();

    uint32_t m_nOtherTitleString = 0;
    Phase m_phase = Phase::Idle;
    bool m_bDiscovering = false;
    bool m_bBroadcastDone = true;
    bool m_bComponentDone = true;
    int m_nFrame = 1;
    DiscoveryProtocol m_lastProtocol = DiscoveryProtocol::None;
    QTimer m_animationTimer;
    QTimer m_endTimer;
    std::unique_ptr<DiscoveryRun> m_run;
    std::thread m_worker;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::vector<std::string> m_records;
    size_t m_nSavedRecords = 0;
    SerialWorker m_reports;  // where the component's reports are handled
    ComPtr<Imgt> m_mgt;
    CMgtComponent* m_pComponent = nullptr;
    bool m_bCom = false;
};

}  // namespace qx
