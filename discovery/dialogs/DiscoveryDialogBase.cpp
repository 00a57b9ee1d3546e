#include "DiscoveryDialogBase.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "discovery/dialogs/DeviceListView.h"
#include "discovery/dialogs/DialogBitmaps.h"
#include "discovery/dialogs/SelectionStore.h"
#include "model/MgtComponent.h"
#include "model/SlotOrderRun.h"
#include "platform/bus/ModalDepth.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/Variant.h"
#include "platform/lang/LanguageLibrary.h"
#include "platform/text/TextCase.h"
#include "settings/Settings.h"
#include "trace/Trace.h"
#include "ui/ControlId.h"

namespace qx {

namespace {

// Language strings of the run's looks.
constexpr uint32_t kStrStop = 26;
constexpr uint32_t kStrStart = 27;
constexpr uint32_t kStrSearching = 31;
constexpr uint32_t kStrComplete = 33;
constexpr uint32_t kStrFinishing = 35;

constexpr int kAnimationMs = 250;
constexpr int kFinishingPumpMs = 101;

QPushButton* MakeButton(QWidget* parent, int id) {
    auto* button = new QPushButton(parent);
    SetControlId(button, id);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CDiscoveryDialogBase::CDiscoveryDialogBase(DiscoveryOwner owner, uint32_t nFamily,
                                           DiscoveryDialogOptions options, QWidget* parent)
    : QDialog(parent),
      m_owner(owner),
      m_nFamily(nFamily),
      m_options(std::move(options)),
      m_cancel(std::make_shared<std::atomic<bool>>(false)) {
    m_animationTimer.setInterval(kAnimationMs);
    connect(&m_animationTimer, &QTimer::timeout, this, [this] {
        m_nFrame = m_nFrame >= kAnimationFrameCount ? 2 : m_nFrame + 1;
        if (m_pAnimation)
            m_pAnimation->setPixmap(AnimationFrame(m_nFrame));
    });
    m_endTimer.setSingleShot(true);
    connect(&m_endTimer, &QTimer::timeout, this, [this] { OnAction(); });
}

CDiscoveryDialogBase::~CDiscoveryDialogBase() {
    Shutdown();
}

void CDiscoveryDialogBase::Shutdown() {
    m_cancel->store(true);
    if (m_worker.joinable())
        m_worker.join();
    m_run.reset();  // a run still going is waited for
    ReleaseComponent();
}

int CDiscoveryDialogBase::exec() {
    bus::ModalScope scope;
    return QDialog::exec();
}

bool CDiscoveryDialogBase::InitCommon(const LanguageLibrary& language, uint32_t nOtherTitleString) {
    m_nOtherTitleString = nOtherTitleString;
    m_pAction = MakeButton(this, IDC_ACTION);
    m_pAdvanced = MakeButton(this, IDC_ADVANCED);
    m_pManual = MakeButton(this, IDC_MANUAL);
    m_pOk = MakeButton(this, IDC_OK);
    m_pCancel = MakeButton(this, IDC_CANCEL);
    m_pHelp = MakeButton(this, IDC_HELP);
    m_pStatus = new QLabel(this);
    SetControlId(m_pStatus, IDC_STATUS);
    m_pStatus->setObjectName(QString::number(IDC_STATUS));
    m_pAnimation = new QLabel(this);
    SetControlId(m_pAnimation, IDC_ANIMATION);
    m_pAnimation->setObjectName(QString::number(IDC_ANIMATION));
    m_pAnimation->setFixedSize(32, 32);
    m_pAnimation->setAlignment(Qt::AlignCenter);
    m_pAnimation->setPixmap(AnimationFrame(1));

    connect(m_pAction, &QPushButton::clicked, this, [this] { OnAction(); });
    connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);

    m_pAction->setText(QString::fromStdString(language.String(kStrStart)));
    m_pAdvanced->setText(QString::fromStdString(language.String(4)));
    m_pManual->setText(QString::fromStdString(language.String(77)));
    m_pOk->setText(QString::fromStdString(language.String(7)));
    m_pCancel->setText(QString::fromStdString(language.String(6)));
    m_pHelp->setText(QString::fromStdString(language.String(5)));

    m_host = ExamineHost(m_nFamily);
    CreateComponent();
    return true;
}

void CDiscoveryDialogBase::LayOut(QVBoxLayout* left) {
    auto* status = new QHBoxLayout;
    status->addWidget(m_pAnimation);
    status->addWidget(m_pStatus, 1);
    left->addLayout(status);
    auto* right = new QVBoxLayout;
    for (QPushButton* b : {m_pAction, m_pAdvanced, m_pManual})
        right->addWidget(b);
    right->addStretch(1);
    for (QPushButton* b : {m_pOk, m_pCancel, m_pHelp})
        right->addWidget(b);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(right);
}

void CDiscoveryDialogBase::LoadSettings() {
    m_bIpEnabled = GetDwordSetting(SETTING_DO_IP_DISCOVERY, m_nFamily) != 0;
    m_bIpxEnabled = GetDwordSetting(SETTING_DO_IPX_DISCOVERY, m_nFamily) != 0;
    m_bUseSubnet = true;
    AddressRange range = LoadDiscoveryRange(m_nFamily, m_host.strMask, m_host.strHostAddress);
    m_strFrom = range.from;
    m_strTo = range.to;
}

AddressRange CDiscoveryDialogBase::RunRange() const {
    return AddressRange{m_strFrom, m_strTo};
}

void CDiscoveryDialogBase::SaveSettings(uint32_t family) const {
    SetDwordSetting(SETTING_DO_IP_DISCOVERY, m_bIpEnabled ? 1 : 0, family);
    SetDwordSetting(SETTING_DO_IPX_DISCOVERY, m_bIpxEnabled ? 1 : 0, family);
    SetDwordSetting(SETTING_DO_IP_DISCOVERY_USE_SUBNET, m_bUseSubnet ? 1 : 0, family);
    SetStringSetting(SETTING_DO_IP_DISCOVERY_RANGE_FROM, m_strFrom.c_str(), family);
    SetStringSetting(SETTING_DO_IP_DISCOVERY_RANGE_TO, m_strTo.c_str(), family);
}

void CDiscoveryDialogBase::FillSettings(DiscoverySettings& settings) const {
    settings.bIpEnabled = m_bIpEnabled;
    settings.bIpxEnabled = m_bIpxEnabled;
    settings.bIpAvailable = m_host.bIpAvailable;
    settings.bIpxAvailable = m_host.bIpxAvailable;
    settings.bUseSubnet = m_bUseSubnet;
    settings.strMask = m_host.strMask;
    settings.strHost = m_host.bIpAvailable ? m_host.strHostAddress : "0.0.0.0";
    settings.strFrom = m_strFrom;
    settings.strTo = m_strTo;
}

void CDiscoveryDialogBase::TakeSettings(const DiscoverySettings& settings) {
    m_bIpEnabled = settings.bIpEnabled;
    m_bIpxEnabled = settings.bIpxEnabled;
    m_bUseSubnet = settings.bUseSubnet;
    m_strFrom = settings.strFrom;
    m_strTo = settings.strTo;
}

void CDiscoveryDialogBase::CreateComponent() {
    if (!m_options.bComponent || FAILED(RegisterMgtComponent()))
        return;
    CoInitialize();
    m_bCom = true;
    if (FAILED(
            CoCreateInstance(CLSID_mgt, nullptr, CLSCTX_INPROC_SERVER, IID_Imgt, m_mgt.OutVoid())))
        return;
    m_pComponent = dynamic_cast<CMgtComponent*>(m_mgt.Get());
    if (!m_pComponent) {
        m_mgt.Reset();
        return;
    }
    Variant family(static_cast<int32_t>(m_nFamily));
    m_mgt->setElement(EID_MGT_DISCOVERY_FAMILY, 0, family.Get());
    // The reports are handled one after the other on m_reports, as a
    // control's events reach its container in order; each row they add, and
    // the end of the component's discovery, come to the UI thread in turn.
    m_componentRows.SetChanged([this] {
        auto row = std::make_shared<DeviceRow>();
        if (m_componentRows.Row(m_componentRows.RowCount() - 1, *row))
            QMetaObject::invokeMethod(
                this, [this, row] { AddFoundRow(*row); }, Qt::QueuedConnection);
    });
    m_pComponent->Advise(
        [this](int32_t code, const VARIANT& data) {
            Identification().OnMgtInterfaceNotify(code, 0, 0, 0, 0, 0, data);
        },
        [this](std::function<void()> fn) { m_reports.Post(std::move(fn)); });
}

void CDiscoveryDialogBase::AttachIdentification(CDeviceIdentification& id) {
    id.SetMgt(m_mgt.Get());
    id.SetDiscoveryFinished([this] {
        QMetaObject::invokeMethod(
            this, [this] { OnComponentFinished(); }, Qt::QueuedConnection);
    });
}

void CDiscoveryDialogBase::ReleaseComponent() {
    if (m_pComponent) {
        m_pComponent->Unadvise();
        m_pComponent->WaitForDiscovery();
        m_pComponent = nullptr;
    }
    m_reports.Stop();
    m_mgt.Reset();
    if (m_bCom) {
        CoUninitialize();
        m_bCom = false;
    }
}

void CDiscoveryDialogBase::OnAction() {
    if (m_bDiscovering)
        EndRun();
    else if (m_phase == Phase::Idle)
        StartRun();
}

void CDiscoveryDialogBase::StartRun() {
    if (NothingToLookFor()) {
        ClearFoundRows();
        return;
    }
    const bool bIpx = m_host.bIpxAvailable && m_bIpxEnabled;
    const bool bIp = m_host.bIpAvailable && m_bIpEnabled;
    DiscoveryRun::Options options;
    options.owner = m_owner;
    options.timings = m_options.timings;
    options.ipxSocketFactory = m_options.ipxSocketFactory;
    m_run = std::make_unique<DiscoveryRun>(std::move(options));
    m_lastProtocol = m_run->Start(bIpx, bIp, RunRange());
    m_bBroadcastDone = false;
    m_phase = Phase::Settling;
    // The settle time before the look changes; the window keeps painting.
    QTimer::singleShot(m_options.timings.settle, this, [this] { DiscoveringLook(); });
}

void CDiscoveryDialogBase::DiscoveringLook() {
    auto language = LanguageLibrary::Load();
    m_phase = Phase::Discovering;
    m_pAdvanced->setEnabled(false);
    m_pManual->setEnabled(false);
    m_pOk->setEnabled(false);
    m_pCancel->setEnabled(false);
    EnableForPhase(false);
    m_bComponentDone = true;
    if (m_mgt) {
        m_bComponentDone = false;
        m_mgt->SelectDevice(0, -1);
    }
    if (language) {
        m_pAction->setText(QString::fromStdString(language->String(kStrStop)));
        m_pStatus->setText(QString::fromStdString(language->String(kStrSearching)));
    }
    ClearFoundRows();
    m_bDiscovering = true;
    m_animationTimer.start();
    m_endTimer.start(m_options.timings.listen);
}

void CDiscoveryDialogBase::EndRun() {
    m_bDiscovering = false;
    m_endTimer.stop();
    // Without the language library only the text is left out: the run's
    // answers are still collected and the dialog comes back to idle.
    if (auto language = LanguageLibrary::Load())
        m_pAction->setText(QString::fromStdString(language->String(kStrStart)));
    m_pAction->setEnabled(false);
    m_phase = Phase::Processing;

    // The wait for the broadcast thread and the identification of every
    // answer happen on the worker; the devices come back one by one.
    DiscoveryRun* run = m_run.get();
    CDeviceIdentification* id = &Identification();
    const size_t nParallel = m_options.nParallel;
    auto cancel = m_cancel;
    m_worker = std::thread([this, run, id, nParallel, cancel] {
        std::vector<std::string> addresses;
        for (const DiscoveryAnswer& answer : run->End())
            if (answer.inRange)
                addresses.push_back(answer.address);
        RunInSlotOrder<std::shared_ptr<IdentifiedDevice>>(
            addresses.size(), nParallel,
            [&](size_t slot) {
                auto device = std::make_shared<IdentifiedDevice>();
                if (!cancel->load())
                    *device = id->Identify(addresses[slot]);
                return device;
            },
            [&](size_t, std::shared_ptr<IdentifiedDevice>& device) {
                if (cancel->load())
                    return;
                QMetaObject::invokeMethod(
                    this, [this, device] { OnIdentified(device); }, Qt::QueuedConnection);
            });
        if (!cancel->load())
            QMetaObject::invokeMethod(
                this, [this] { OnProcessingDone(); }, Qt::QueuedConnection);
    });
}

void CDiscoveryDialogBase::OnIdentified(const std::shared_ptr<IdentifiedDevice>& device) {
    device->trace.Flush();
    if (!device->bAdd)
        return;
    DeviceRow row = device->row;
    row.nIcon = device->nIconFlag ? CDeviceList::kIconFlagged : CDeviceList::kIconPlain;
    AddFoundRow(row);
}

void CDiscoveryDialogBase::OnProcessingDone() {
    if (m_worker.joinable())
        m_worker.join();
    m_run.reset();
    m_bBroadcastDone = true;
    MaybeFinish();
}

void CDiscoveryDialogBase::OnComponentFinished() {
    // The component's end alone does not end a run that is still
    // collecting answers: the idle look waits for both.
    m_bComponentDone = true;
    MaybeFinish();
}

void CDiscoveryDialogBase::MaybeFinish() {
    if (m_phase != Phase::Processing || !m_bBroadcastDone || !m_bComponentDone)
        return;
    m_phase = Phase::Finishing;
    m_animationTimer.stop();
    auto language = LanguageLibrary::Load();
    if (language)
        m_pAction->setText(QString::fromStdString(language->String(kStrStart)));
    m_pAction->setEnabled(false);
    m_pOk->setEnabled(false);
    m_pCancel->setEnabled(false);
    m_pAdvanced->setEnabled(false);
    m_pManual->setEnabled(false);
    SetStatus(kStrFinishing);
    QTimer::singleShot(kFinishingPumpMs, this, [this] { IdleLook(); });
}

void CDiscoveryDialogBase::IdleLook() {
    m_pCancel->setEnabled(true);
    m_pAction->setEnabled(true);
    m_pOk->setEnabled(true);
    m_pAdvanced->setEnabled(true);
    m_pManual->setEnabled(m_host.bIpAvailable || m_host.bIpxAvailable);
    SetStatus(kStrComplete);
    m_phase = Phase::Idle;
    EnableForPhase(true);
    m_nFrame = 1;
    m_pAnimation->setPixmap(AnimationFrame(1));
    SaveHistory();
    emit discoveryFinished();
}

void CDiscoveryDialogBase::SaveHistory() {
    for (; m_nSavedRecords < m_records.size(); ++m_nSavedRecords)
        AddToLastDiscovered(m_nFamily, m_records[m_nSavedRecords]);
}

void CDiscoveryDialogBase::AddRecord(const std::string& address) {
    m_records.push_back(address);
}

bool CDiscoveryDialogBase::AddFoundRow(const DeviceRow& row) {
    for (int i = 0; i < m_pFound->RowCount(); ++i)
        if (EqualsNoCase(m_pFound->RowAt(i).address, row.address))
            return false;
    m_pFound->AddRow(row);
    if (row.address.find('.') != std::string::npos)
        AddRecord(row.address);
    emit rowAdded(m_pFound->RowCount() - 1);
    return true;
}

void CDiscoveryDialogBase::ClearFoundRows() {
    m_pFound->clear();
    m_componentRows.Clear();
    OnRowsCleared();
}

void CDiscoveryDialogBase::SetStatus(uint32_t nString) {
    if (auto language = LanguageLibrary::Load())
        m_pStatus->setText(QString::fromStdString(language->String(nString)));
}

void CDiscoveryDialogBase::closeEvent(QCloseEvent* event) {
    if (m_phase != Phase::Idle) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CDiscoveryDialogBase::reject() {
    if (m_phase != Phase::Idle)
        return;
    QDialog::reject();
}

void CDiscoveryDialogBase::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_nOtherTitleString)
        return;
    auto language = LanguageLibrary::Load();
    if (!language)
        return;
    const QString other = QString::fromStdString(language->String(m_nOtherTitleString));
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible() && w->windowTitle() == other) {
            Trace(kTracePrefix, "A discovery dialog is open already: this one closes");
            QMetaObject::invokeMethod(
                this, [this] { done(QDialog::Rejected); }, Qt::QueuedConnection);
            return;
        }
}

}  // namespace qx
