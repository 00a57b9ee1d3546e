#include "DiscoverySettingsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "discovery/AddressRange.h"
#include "platform/gui/MessageBox.h"
#include "platform/lang/LoadLanguageLibrary.h"
#include "ui/ControlId.h"
#include "ui/DseIPAddressCtrl.h"

namespace qx {

namespace {

constexpr int kCaptionStringId = 99;

// Sets a widget's text from the library when it has the string; the
// template's own text stays otherwise.
template <typename Widget>
void SetText(Widget* pWidget, const LanguageLibrary* pLibrary, int nId) {
    if (pLibrary != nullptr && pLibrary->Has(static_cast<uint32_t>(nId)))
        pWidget->setText(QString::fromStdString(pLibrary->String(static_cast<uint32_t>(nId))));
}

Ipv4Address ParseOrZero(const std::string& strAddress) {
    return ParseIpOctets(strAddress).value_or(Ipv4Address{0, 0, 0, 0});
}

}  // namespace

CDiscoverySettingsDialog::CDiscoverySettingsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Discovery Settings"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

CDiscoverySettingsDialog::~CDiscoverySettingsDialog() = default;

void CDiscoverySettingsDialog::BuildCommon() {
    m_pDevicesGroup = new QGroupBox(QStringLiteral("Devices"), this);
    SetControlId(m_pDevicesGroup, kDevicesGroupId);
    m_pDevicesLayout = new QVBoxLayout(m_pDevicesGroup);

    m_pNetworkGroup = new QGroupBox(QStringLiteral("Network"), this);
    SetControlId(m_pNetworkGroup, kNetworkGroupId);
    m_pIpx = new QCheckBox(QStringLiteral("IPX/SPX"), m_pNetworkGroup);
    SetControlId(m_pIpx, kIpxCheckId);
    m_pIp = new QCheckBox(QStringLiteral("TCP/IP"), m_pNetworkGroup);
    SetControlId(m_pIp, kIpCheckId);
    m_pSubnet = new QRadioButton(QStringLiteral("Local subnet"), m_pNetworkGroup);
    SetControlId(m_pSubnet, kSubnetRadioId);
    m_pRange = new QRadioButton(QStringLiteral("Address range"), m_pNetworkGroup);
    SetControlId(m_pRange, kRangeRadioId);
    auto* pArea = new QButtonGroup(this);
    pArea->addButton(m_pSubnet);
    pArea->addButton(m_pRange);
    auto* pFromLabel = new QLabel(QStringLiteral("From:"), m_pNetworkGroup);
    SetControlId(pFromLabel, kFromLabelId);
    auto* pToLabel = new QLabel(QStringLiteral("To:"), m_pNetworkGroup);
    SetControlId(pToLabel, kToLabelId);
    m_pFrom = new CDseIPAddressCtrl(m_pNetworkGroup);
    SetControlId(m_pFrom, kFromId);
    m_pTo = new CDseIPAddressCtrl(m_pNetworkGroup);
    SetControlId(m_pTo, kToId);
    pFromLabel->setBuddy(m_pFrom);
    pToLabel->setBuddy(m_pTo);

    auto* pNetwork = new QGridLayout(m_pNetworkGroup);
    pNetwork->addWidget(m_pIpx, 0, 0, 1, 3);
    pNetwork->addWidget(m_pIp, 1, 0, 1, 3);
    pNetwork->addWidget(m_pSubnet, 2, 1, 1, 2);
    pNetwork->addWidget(m_pRange, 3, 1, 1, 2);
    pNetwork->addWidget(pFromLabel, 4, 1);
    pNetwork->addWidget(m_pFrom, 4, 2);
    pNetwork->addWidget(pToLabel, 5, 1);
    pNetwork->addWidget(m_pTo, 5, 2);
    pNetwork->setColumnMinimumWidth(0, 16);
    pNetwork->setColumnStretch(2, 1);

    m_pOk = new QPushButton(QStringLiteral("OK"), this);
    SetControlId(m_pOk, 1);
    m_pOk->setDefault(true);
    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetControlId(m_pCancel, 2);
    m_pHelp = new QPushButton(QStringLiteral("Help"), this);
    SetControlId(m_pHelp, kHelpId);
    m_pHelp->setAutoDefault(false);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch(1);
    pButtons->addWidget(m_pOk);
    pButtons->addWidget(m_pCancel);
    pButtons->addWidget(m_pHelp);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pDevicesGroup);
    pLayout->addWidget(m_pNetworkGroup);
    pLayout->addLayout(pButtons);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_pIp, &QCheckBox::clicked, this, [this] { OnIpCheck(); });
    connect(m_pIpx, &QCheckBox::clicked, this, [this] { OnIpxCheck(); });
    connect(m_pSubnet, &QRadioButton::clicked, this, [this] { OnSubnet(); });
    connect(m_pRange, &QRadioButton::clicked, this, [this] { OnRange(); });
    connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pHelp, &QPushButton::clicked, this, [this] { ShowHelp(); });
}

void CDiscoverySettingsDialog::showEvent(QShowEvent* event) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CDiscoverySettingsDialog::OnInitDialog() {
    const auto library = LoadLanguageLibrary(this);
    const LanguageLibrary* pLibrary = library.get();
    if (pLibrary != nullptr && pLibrary->Has(kTitleStringId))
        setWindowTitle(QString::fromStdString(pLibrary->String(kTitleStringId)));
    if (pLibrary != nullptr && pLibrary->Has(16))
        m_pDevicesGroup->setTitle(QString::fromStdString(pLibrary->String(16)));
    if (pLibrary != nullptr && pLibrary->Has(18))
        m_pNetworkGroup->setTitle(QString::fromStdString(pLibrary->String(18)));
    SetText(m_pIpx, pLibrary, 78);
    SetText(m_pIp, pLibrary, 9);
    SetText(m_pSubnet, pLibrary, 10);
    SetText(m_pRange, pLibrary, 11);
    SetText(static_cast<QLabel*>(FindControl(this, kFromLabelId)), pLibrary, 12);
    SetText(static_cast<QLabel*>(FindControl(this, kToLabelId)), pLibrary, 13);
    SetText(m_pOk, pLibrary, 7);
    SetText(m_pCancel, pLibrary, 6);
    SetText(m_pHelp, pLibrary, 5);

    // A protocol that cannot be used is neither offered nor left switched on:
    // the owner would otherwise keep a search that can never run.
    DiscoverySettings& settings = Common();
    if (!settings.bIpAvailable)
        settings.bIpEnabled = false;
    if (!settings.bIpxAvailable || !IpxAllowed())
        settings.bIpxEnabled = false;
    m_pIp->setChecked(settings.bIpEnabled);
    m_pIp->setEnabled(settings.bIpAvailable);
    m_pIpx->setChecked(settings.bIpxEnabled);
    m_pIpx->setEnabled(settings.bIpxAvailable && IpxAllowed());

    m_pSubnet->setChecked(settings.bUseSubnet);
    m_pRange->setChecked(!settings.bUseSubnet);
    if (settings.bUseSubnet && settings.bIpEnabled) {
        ShowSubnetRange();
    } else {
        m_pFrom->SetAddress(QString::fromStdString(settings.strFrom));
        m_pTo->SetAddress(QString::fromStdString(settings.strTo));
    }
    UpdateRangeControls();

    OnInitSettings(pLibrary);
}

void CDiscoverySettingsDialog::OnIpCheck() {
    Common().bIpEnabled = m_pIp->isChecked();
    UpdateRangeControls();
    if (Common().bIpEnabled && m_pSubnet->isChecked())
        ShowSubnetRange();
}

void CDiscoverySettingsDialog::OnIpxCheck() {
    Common().bIpxEnabled = m_pIpx->isChecked();
}

void CDiscoverySettingsDialog::OnSubnet() {
    Common().bUseSubnet = true;
    UpdateRangeControls();
    ShowSubnetRange();
}

void CDiscoverySettingsDialog::OnRange() {
    Common().bUseSubnet = false;
    UpdateRangeControls();
}

void CDiscoverySettingsDialog::ShowSubnetRange() {
    Ipv4Address from{};
    Ipv4Address to{};
    ComputeSubnetRange(ParseOrZero(Common().strMask), ParseOrZero(Common().strHost), from, to);
    m_pFrom->SetAddress(from[0], from[1], from[2], from[3]);
    m_pTo->SetAddress(to[0], to[1], to[2], to[3]);
}

void CDiscoverySettingsDialog::UpdateRangeControls() {
    const bool bIp = Common().bIpEnabled;
    m_pSubnet->setEnabled(bIp);
    m_pRange->setEnabled(bIp);
    const bool bRange = bIp && !m_pSubnet->isChecked();
    m_pFrom->setEnabled(bRange);
    m_pTo->setEnabled(bRange);
}

void CDiscoverySettingsDialog::ReadRange() {
    Common().bUseSubnet = m_pSubnet->isChecked();
    Common().strFrom = m_pFrom->WindowText().toStdString();
    Common().strTo = m_pTo->WindowText().toStdString();
}

void CDiscoverySettingsDialog::accept() {
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    ReadRange();
    if (!Common().bIpEnabled && !Common().bIpxEnabled) {
        Refuse(919);
        return;
    }
    if (!ValidateKinds())
        return;
    QDialog::accept();
}

void CDiscoverySettingsDialog::Refuse(int nTextId) {
    // Without the library the user still learns why nothing happens.
    const auto library = LoadLanguageLibrary(this);
    if (!library)
        return;
    MessageBoxRequest request;
    request.text = library->String(static_cast<uint32_t>(nTextId));
    request.caption = library->String(kCaptionStringId);
    request.icon = MessageIcon::Stop;
    request.owner = this;
    ShowMessageBox(request);
}

}  // namespace qx
