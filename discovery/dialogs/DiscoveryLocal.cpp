#include "DiscoveryLocal.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>
#include <vector>

#include "discovery/SelectedDevice.h"
#include "discovery/dialogs/DeviceListView.h"
#include "discovery/dialogs/Help.h"
#include "discovery/dialogs/LocalDiscoveryCfgDlg.h"
#include "discovery/dialogs/ManualDevice.h"
#include "discovery/dialogs/ManualSelection.h"
#include "discovery/dialogs/NetwareMessage.h"
#include "discovery/dialogs/SelectionStore.h"
#include "model/SnmpRequest.h"
#include "platform/bus/TendraExit.h"
#include "platform/gui/MessageBox.h"
#include "platform/lang/LoadLanguageLibrary.h"
#include "platform/spooler/Spooler.h"
#include "platform/text/TextCase.h"
#include "trace/Trace.h"
#include "ui/ControlId.h"
#include "ui/StaticLink.h"

namespace qx {

namespace {

constexpr uint32_t kStrTitle = 104;
constexpr uint32_t kStrNetworkTitle = 102;
constexpr const char* kOidPort = "1.3.6.1.4.1.32473.2.3.50.1.6.1.2.1.1.7.1.1";

// The driver-name lists of each family code.
struct DriverList {
    int nCode;
    std::vector<uint32_t> strings;
};
const DriverList kDriverLists[] = {
    {1, {821, 822, 823, 832}}, {2, {921, 922, 923}}, {3, {430, 431, 432}},
    {4, {380, 381, 382}},      {5, {63, 64, 65}},    {6, {824, 825, 826}},
};

MessageResult Message(QWidget* owner, const LanguageLibrary& language, uint32_t text,
                      uint32_t caption, MessageButtons buttons, MessageIcon icon) {
    MessageBoxRequest box;
    box.text = language.String(text);
    box.caption = language.String(caption);
    box.buttons = buttons;
    box.icon = icon;
    box.owner = owner;
    return ShowMessageBox(box);
}

std::string DefaultPrinterDriver(const std::string& printer) {
    uint32_t needed = 0;
    spool::Spooler::GetPrinter(printer.c_str(), 2, nullptr, 0, needed);
    if (needed == 0)
        return {};
    std::vector<uint64_t> buffer((needed + 7) / 8);
    if (spool::Spooler::GetPrinter(printer.c_str(), 2, buffer.data(),
                                   static_cast<uint32_t>(buffer.size() * 8), needed) != 0)
        return {};
    const auto* info = reinterpret_cast<const spool::PrinterInfo2*>(buffer.data());
    return info->pDriverName ? info->pDriverName : "";
}

// The port text a caller connects to the device by; "" when it does not say.
std::string DevicePort(const std::string& address) {
    CSnmpTarget target;
    target.SetAddress(address);
    CSnmpSession session;
    SnmpVarBind reply;
    return SUCCEEDED(session.Get(target, kOidPort, reply)) ? ReplyText(reply) : std::string();
}

}  // namespace

int DriverFamilyCode(const LanguageLibrary& language, const std::string& driverName) {
    for (const DriverList& list : kDriverLists)
        for (uint32_t id : list.strings) {
            const std::string name = language.String(id);
            if (!name.empty() && EqualsNoCase(name, driverName))
                return list.nCode;
        }
    return -1;
}

CDiscoveryLocal::CDiscoveryLocal(int nCaller, QWidget* parent, DiscoveryDialogOptions options)
    : CDiscoveryDialogBase(DiscoveryOwner::Local, CallerProfileOf(nCaller).nSettingsFamily,
                           std::move(options), parent),
      m_nCaller(nCaller),
      m_profile(CallerProfileOf(nCaller)) {
    SetControlId(this, kTemplateId);
    setObjectName(QString::number(kTemplateId));
    m_id = std::make_unique<CLocalDeviceIdentification>(m_componentRows, nCaller);
    OnInitDialog();
}

CDiscoveryLocal::~CDiscoveryLocal() {
    Shutdown();
    if (m_linkThread.joinable())
        m_linkThread.join();
}

void CDiscoveryLocal::OnInitDialog() {
    auto language = LoadLanguageLibrary(this);
    m_pFound = new CDeviceListView(IDC_DEVICELIST, false, this);
    if (!language)
        return;
    InitCommon(*language, kStrNetworkTitle);
    AttachIdentification(*m_id);
    if (m_profile.bHelpHidden)
        m_pHelp->hide();
    m_pFound->SetHeaders(*language);
    m_pLinkLabel = new QLabel(QString::fromStdString(language->String(820)), this);
    SetControlId(m_pLinkLabel, kLinkLabelId);
    m_pLinkLabel->setObjectName(QString::number(kLinkLabelId));
    m_pLink = new CStaticLink(QString(), false, this);
    SetControlId(m_pLink, kLinkId);
    m_pLink->setObjectName(QString::number(kLinkId));
    m_pStatus->setText(QString::fromStdString(language->String(30)));

    if (!m_profile.bIpxAllowed)
        m_host.bIpxAvailable = false;
    LoadSettings();
    for (const std::string& address : ReadLastDiscovered(m_nFamily))
        AddRecord(address);
    if (m_profile.bStoredListAtStart)
        for (DeviceRow row : ReadStoredRows(m_profile.nListFamily, "Address Book Viewer")) {
            row.nIcon = CDeviceList::kIconPlain;
            m_pFound->AddRow(row);
        }

    setWindowTitle(QString::fromStdString(language->String(kStrTitle)));
    m_pStatus->setText(QString::fromStdString(language->String(76)));
    m_pManual->setEnabled(m_host.bIpAvailable || m_host.bIpxAvailable);
    m_pOk->setEnabled(false);

    auto* links = new QHBoxLayout;
    links->addWidget(m_pLinkLabel);
    links->addWidget(m_pLink, 1);
    auto* left = new QVBoxLayout;
    left->addWidget(m_pFound, 1);
    left->addLayout(links);
    LayOut(left);
    resize(620, 330);

    connect(m_pFound, &QTreeWidget::itemSelectionChanged, this,
            &CDiscoveryLocal::OnSelectionChanged);
    connect(m_pAdvanced, &QPushButton::clicked, this, &CDiscoveryLocal::OnAdvanced);
    connect(m_pManual, &QPushButton::clicked, this, &CDiscoveryLocal::OnManualSelection);
    connect(m_pHelp, &QPushButton::clicked, this, [this] { ShowHelp(this, kHelpLocalDiscovery); });
    if (m_profile.bEndsOnTendraExit)
        bus::EndProcessOnTendraExit(this);
    m_bInitialised = true;
}

bool CDiscoveryLocal::NothingToLookFor() const {
    return m_id->DeviceFilterValue() == 0 && !m_id->Kinds().bBrisel && !m_id->Kinds().bOrven;
}

void CDiscoveryLocal::EnableForPhase(bool bIdle) {
    m_pLink->setEnabled(bIdle);
    if (bIdle)
        m_pOk->setEnabled(m_pFound->SelectedRows().size() == 1);
}

bool CDiscoveryLocal::SingleSelection(DeviceRow& row) const {
    const std::vector<int> selected = m_pFound->SelectedRows();
    if (selected.size() != 1)
        return false;
    row = m_pFound->RowAt(selected.front());
    return true;
}

void CDiscoveryLocal::OnSelectionChanged() {
    DeviceRow row;
    const bool bOne = SingleSelection(row);
    if (CurrentPhase() != Phase::Idle)
        return;
    m_pOk->setEnabled(bOne);
    if (bOne)
        QueryWebLink(row);
}

// The device is asked on a thread of its own, so a silent device never
// holds the window up; a newer selection waits for the query going on.
void CDiscoveryLocal::QueryWebLink(const DeviceRow& row) {
    if (m_linkThread.joinable()) {
        m_pendingLink = std::make_unique<DeviceRow>(row);
        return;
    }
    m_linkThread = std::thread([this, row] {
        const QString link = QString::fromStdString(SelectedDeviceWebAddress(row));
        QMetaObject::invokeMethod(
            this,
            [this, link] {
                m_linkThread.join();
                m_pLink->setText(link);
                emit webLinkReady(link);
                if (m_pendingLink) {
                    std::unique_ptr<DeviceRow> next = std::move(m_pendingLink);
                    QueryWebLink(*next);
                }
            },
            Qt::QueuedConnection);
    });
}

void CDiscoveryLocal::OnAdvanced() {
    if (CurrentPhase() != Phase::Idle)
        return;
    ShowNetwareClientTooOld(this, m_host.netware);
    LocalDiscoverySettings settings;
    FillSettings(settings);
    const DeviceKinds& kinds = m_id->Kinds();
    settings.bRk2020 = kinds.bRk2020;
    settings.bRk2030 = kinds.bRk2030;
    settings.bQx2 = kinds.bQx2;
    settings.bKorvalen = kinds.bKorvalen;
    settings.bBrisel = kinds.bBrisel;
    settings.bOrven = kinds.bOrven;
    settings.nCaller = m_nCaller;
    CLocalDiscoveryCfgDlg dlg(settings, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const LocalDiscoverySettings& out = dlg.Settings();
    TakeSettings(out);
    DeviceKinds& k = m_id->Kinds();
    k.bRk2020 = out.bRk2020;
    k.bRk2030 = out.bRk2030;
    k.bQx2 = out.bQx2;
    k.bKorvalen = out.bKorvalen;
    k.bBrisel = out.bBrisel;
    k.bOrven = out.bOrven;
    m_bConfigured = true;
    m_id->SetDeviceFilter(DeviceFilterFromKinds(out));
}

void CDiscoveryLocal::OnManualSelection() {
    if (CurrentPhase() != Phase::Idle)
        return;
    CManualSelection dlg(m_host.bIpAvailable, m_host.bIpxAvailable && m_profile.bIpxAllowed, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const ManualAddResult result = CheckManualDevice(m_pFound->Rows(), dlg.Result(), kMaxRows);
    if (result == ManualAddResult::Add)
        m_pFound->AddRow(ManualDeviceRow(dlg.Result()));
    else
        ShowManualAddRefusal(this, result);
}

bool CDiscoveryLocal::SaveCallerList(const LanguageLibrary& language, const char* keyName,
                                     bool bFull) {
    if (WriteStoredRows(m_profile.nListFamily, keyName, m_pFound->Rows()) != 0) {
        Message(this, language, 99, 103, MessageButtons::Ok, MessageIcon::Stop);
        return false;
    }
    DeviceRow row;
    if (SingleSelection(row)) {
        LastSelected selected{row.address, row.name, row.location, row.model, {}};
        if (bFull)
            selected.port = DevicePort(row.address);
        WriteLastSelected(m_profile.nListFamily, keyName, selected, bFull);
    }
    return true;
}

bool CDiscoveryLocal::ConfirmDefaultPrinter(const LanguageLibrary& language) {
    DeviceRow row;
    if (!SingleSelection(row)) {
        Message(this, language, 834, kStrTitle, MessageButtons::Ok, MessageIcon::Stop);
        return false;
    }
    m_nFamilyCode = SelectedDeviceFamilyCode(row.address);
    const std::string printer = spool::Spooler::DefaultPrinterName();
    if (printer.empty())
        return Message(this, language, 859, kStrTitle, MessageButtons::YesNo,
                       MessageIcon::Question) == MessageResult::Yes;
    const int nDriverCode = DriverFamilyCode(language, DefaultPrinterDriver(printer));
    Trace(kTracePrefix, "Selected device family code %d, default printer's driver %d",
          m_nFamilyCode, nDriverCode);
    if (nDriverCode == m_nFamilyCode)
        return true;
    return Message(this, language, 833, kStrTitle, MessageButtons::YesNo, MessageIcon::Question) ==
           MessageResult::Yes;
}

void CDiscoveryLocal::accept() {
    if (CurrentPhase() != Phase::Idle)
        return;
    auto language = LoadLanguageLibrary(this);
    if (!language)
        return;
    switch (m_profile.okWrites) {
        case CallerOkWrites::Twain:
        case CallerOkWrites::Brd:
            if (!SaveCallerList(*language, CallerListKeyName(m_profile.okWrites), false))
                return;
            break;
        case CallerOkWrites::AddressBookViewer:
            if (!SaveCallerList(*language, CallerListKeyName(m_profile.okWrites), true))
                return;
            break;
        case CallerOkWrites::Installer: {
            CreateCallerKey(kInstallerFamily, "Installer");
            DeviceRow row;
            if (SingleSelection(row))
                WriteLastSelected(
                    kInstallerFamily, "Installer",
                    {row.address, row.name, row.location, row.model, DevicePort(row.address)},
                    true);
            break;
        }
        case CallerOkWrites::Result:
            if (!ConfirmDefaultPrinter(*language))
                return;
            break;
        case CallerOkWrites::Nothing:
            break;
    }
    SaveSettings(m_profile.nSettingsFamily);
    DeviceRow row;
    if (SingleSelection(row)) {
        m_strAddress = row.address;
        m_strName = row.name;
    }
    QDialog::accept();
}

void CDiscoveryLocal::reject() {
    if (CurrentPhase() != Phase::Idle)
        return;
    DeleteInstallerSelection();
    CDiscoveryDialogBase::reject();
}

}  // namespace qx
