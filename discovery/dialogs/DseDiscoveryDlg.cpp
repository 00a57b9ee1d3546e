#include "DseDiscoveryDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "discovery/dialogs/DeviceListView.h"
#include "discovery/dialogs/DseDiscoveryCfgDlg.h"
#include "discovery/dialogs/Help.h"
#include "discovery/dialogs/ManualDevice.h"
#include "discovery/dialogs/ManualSelection.h"
#include "discovery/dialogs/NetwareMessage.h"
#include "discovery/dialogs/SelectionStore.h"
#include "inventory/DsePrintersTable.h"
#include "platform/bus/TendraExit.h"
#include "platform/gui/MessageBox.h"
#include "platform/lang/LoadLanguageLibrary.h"
#include "platform/text/TextCase.h"
#include "ui/ControlId.h"

namespace qx {

namespace {

constexpr uint32_t kStrTitle = 102;
constexpr uint32_t kStrLocalTitle = 104;
constexpr int kFromPrintersRole = Qt::UserRole + 2;

void Message(QWidget* owner, const LanguageLibrary& language, uint32_t text, uint32_t caption) {
    MessageBoxRequest box;
    box.text = language.String(text);
    box.caption = language.String(caption);
    box.icon = MessageIcon::Stop;
    box.owner = owner;
    ShowMessageBox(box);
}

std::string Joined(const DeviceRow& row) {
    return row.address + "::" + row.name + "::" + row.location + "::" + row.model;
}

QPushButton* MakeButton(QWidget* parent, int id) {
    auto* button = new QPushButton(parent);
    SetControlId(button, id);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeLabel(QWidget* parent, int id, const std::string& text) {
    auto* label = new QLabel(QString::fromStdString(text), parent);
    SetControlId(label, id);
    label->setObjectName(QString::number(id));
    return label;
}

}  // namespace

CDseDiscoveryDlg::CDseDiscoveryDlg(uint32_t nFamily, int nMode, QWidget* parent,
                                   DiscoveryDialogOptions options)
    : CDiscoveryDialogBase(DiscoveryOwner::Network, nFamily == 1 ? 1 : 2, std::move(options),
                           parent),
      m_nMode(nMode) {
    SetControlId(this, kTemplateId);
    setObjectName(QString::number(kTemplateId));
    MakeIdentification();
    OnInitDialog();
}

CDseDiscoveryDlg::~CDseDiscoveryDlg() {
    Shutdown();
}

void CDseDiscoveryDlg::MakeIdentification() {
    m_id = std::make_unique<CNetworkDeviceIdentification>(m_componentRows, m_nFamily, m_nMode);
    AttachIdentification(*m_id);
}

void CDseDiscoveryDlg::OnInitDialog() {
    auto language = LoadLanguageLibrary(this);
    m_pFound = new CDeviceListView(IDC_DEVICELIST, true, this);
    m_pMonitoring = new CDeviceListView(kMonitoringListId, true, this);
    if (!language)
        return;
    InitCommon(*language, kStrLocalTitle);
    AttachIdentification(*m_id);
    m_pFound->SetHeaders(*language);
    m_pMonitoring->SetHeaders(*language);
    m_pStatus->setText(QString::fromStdString(language->String(30)));
    LoadSettings();
    FillMonitoringList();

    QLabel* monitoring = MakeLabel(this, kMonitoringLabelId, language->String(84));
    QLabel* discovered = MakeLabel(this, kDiscoveredLabelId, language->String(81));
    m_pAdd = MakeButton(this, kAddId);
    m_pAdd->setText(QString::fromStdString(language->String(82)));
    m_pAdd->setEnabled(false);
    m_pRemove = MakeButton(this, kRemoveId);
    m_pRemove->setText(QString::fromStdString(language->String(83)));
    setWindowTitle(QString::fromStdString(language->String(kStrTitle)));
    m_pStatus->setText(QString::fromStdString(language->String(76)));
    m_pManual->setEnabled(m_host.bIpAvailable || m_host.bIpxAvailable);

    auto* moves = new QHBoxLayout;
    moves->addStretch(1);
    moves->addWidget(m_pAdd);
    moves->addWidget(m_pRemove);
    moves->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addWidget(monitoring);
    left->addWidget(m_pMonitoring, 1);
    left->addLayout(moves);
    left->addWidget(discovered);
    left->addWidget(m_pFound, 1);
    LayOut(left);
    resize(620, 460);

    connect(m_pFound, &QTreeWidget::itemChanged, this, [this] {
        m_pAdd->setEnabled(
            IsDiscovering() || CurrentPhase() != Phase::Idle ? false : m_pFound->AnyTicked());
    });
    connect(m_pAdd, &QPushButton::clicked, this, &CDseDiscoveryDlg::OnAdd);
    connect(m_pRemove, &QPushButton::clicked, this, &CDseDiscoveryDlg::OnRemove);
    connect(m_pAdvanced, &QPushButton::clicked, this, &CDseDiscoveryDlg::OnAdvanced);
    connect(m_pManual, &QPushButton::clicked, this, &CDseDiscoveryDlg::OnManualSelection);
    connect(m_pHelp, &QPushButton::clicked, this,
            [this] { ShowHelp(this, kHelpNetworkDiscovery); });
    bus::EndProcessOnTendraExit(this);
    m_bInitialised = true;
}

void CDseDiscoveryDlg::FillMonitoringList() {
    // The workstation's printers whose device is known; they are shown, not saved.
    CDsePrintersTable printers(nullptr, false, false, static_cast<int>(m_nFamily));
    for (int i = 0; i < printers.GetCount(); ++i) {
        const PrinterEntry* entry = printers.GetPrinterByIndex(i);
        m_printerNames.insert(entry->szPrinterShellName);
        if (entry->printerInfo.pPrinterName)
            m_printerNames.insert(entry->printerInfo.pPrinterName);
        if (entry->szAddress[0] == 0)
            continue;
        QTreeWidgetItem* item = m_pMonitoring->AddRow(DeviceRow{
            entry->szPrinterShellName, entry->szAddress, "", "", CDeviceList::kIconPlain});
        item->setData(0, kFromPrintersRole, true);
    }
    for (DeviceRow row : ReadLastLookUp(m_nFamily)) {
        row.nIcon = CDeviceList::kIconPlain;
        m_pMonitoring->AddRow(row);
    }
}

bool CDseDiscoveryDlg::IsWorkstationPrinter(const std::string& name) const {
    for (const std::string& printer : m_printerNames)
        if (EqualsNoCase(printer, name))
            return true;
    return false;
}

void CDseDiscoveryDlg::EnableForPhase(bool bIdle) {
    if (m_pAdd)
        m_pAdd->setEnabled(bIdle && m_pFound->AnyTicked());
    if (m_pRemove)
        m_pRemove->setEnabled(bIdle);
}

void CDseDiscoveryDlg::OnAdd() {
    auto language = LoadLanguageLibrary(this);
    if (!language)
        return;
    for (int i = m_pFound->RowCount() - 1; i >= 0; --i) {
        if (!m_pFound->IsTicked(i))
            continue;
        DeviceRow row = m_pFound->RowAt(i);
        bool bDuplicate = false;
        for (const DeviceRow& watched : m_pMonitoring->Rows())
            bDuplicate = bDuplicate || Joined(watched) == Joined(row);
        if (bDuplicate) {
            Message(this, *language, 99, 98);
            m_pFound->SetTicked(i, false);
            continue;
        }
        if (m_pMonitoring->RowCount() >= kMaxMonitoring) {
            Message(this, *language, 101, 99);
            continue;
        }
        row.nIcon = CDeviceList::kIconPlain;
        m_pMonitoring->AddRow(row);
        delete m_pFound->takeTopLevelItem(i);
    }
    m_pAdd->setEnabled(false);
}

void CDseDiscoveryDlg::OnRemove() {
    auto language = LoadLanguageLibrary(this);
    if (!language)
        return;
    for (int i = m_pMonitoring->RowCount() - 1; i >= 0; --i) {
        if (!m_pMonitoring->IsTicked(i))
            continue;
        const DeviceRow row = m_pMonitoring->RowAt(i);
        if (IsWorkstationPrinter(row.name)) {
            Message(this, *language, 100, 99);
            continue;
        }
        delete m_pMonitoring->takeTopLevelItem(i);
        m_pFound->AddRow(row);
    }
}

void CDseDiscoveryDlg::OnAdvanced() {
    if (CurrentPhase() != Phase::Idle)
        return;
    ShowNetwareClientTooOld(this, m_host.netware);
    NetworkDiscoverySettings settings;
    FillSettings(settings);
    SetRadioButtonsFromMode(settings, m_nMode);
    CDseDiscoveryCfgDlg dlg(settings, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const NetworkDiscoverySettings& out = dlg.Settings();
    TakeSettings(out);
    const int nMode = DiscoveryModeFromSettings(out);
    if (nMode != m_nMode) {
        m_nMode = nMode;
        MakeIdentification();
    }
}

void CDseDiscoveryDlg::OnManualSelection() {
    if (CurrentPhase() != Phase::Idle)
        return;
    CManualSelection dlg(m_host.bIpAvailable, m_host.bIpxAvailable, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const ManualAddResult result =
        CheckManualDevice(m_pMonitoring->Rows(), dlg.Result(), kMaxMonitoring);
    if (result == ManualAddResult::Add)
        m_pMonitoring->AddRow(ManualDeviceRow(dlg.Result()));
    else
        ShowManualAddRefusal(this, result);
}

void CDseDiscoveryDlg::accept() {
    if (CurrentPhase() != Phase::Idle)
        return;
    std::vector<DeviceRow> rows;
    for (int i = 0; i < m_pMonitoring->RowCount(); ++i)
        if (!m_pMonitoring->topLevelItem(i)->data(0, kFromPrintersRole).toBool())
            rows.push_back(m_pMonitoring->RowAt(i));
    WriteLastLookUp(m_nFamily, rows);
    QDialog::accept();
}

}  // namespace qx
