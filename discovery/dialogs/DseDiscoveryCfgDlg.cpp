#include "DseDiscoveryCfgDlg.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "discovery/dialogs/Help.h"
#include "platform/lang/LanguageLibrary.h"
#include "ui/ControlId.h"

namespace qx {

CDseDiscoveryCfgDlg::CDseDiscoveryCfgDlg(const NetworkDiscoverySettings& settings, QWidget* parent)
    : CDiscoverySettingsDialog(parent), m_settings(settings) {
    BuildCommon();
    m_pMakers = new QRadioButton(QStringLiteral("Quorvia devices only"), DevicesGroup());
    SetControlId(m_pMakers, kMakersDevicesId);
    m_pAll = new QRadioButton(QStringLiteral("All devices on the network"), DevicesGroup());
    SetControlId(m_pAll, kAllDevicesId);
    auto* pGroup = new QButtonGroup(this);
    pGroup->addButton(m_pMakers);
    pGroup->addButton(m_pAll);
    DevicesLayout()->addWidget(m_pMakers);
    DevicesLayout()->addWidget(m_pAll);
    // An exclusive group may start with neither selected (mode 0), as the
    // owner may hand in.
    m_pMakers->setChecked(m_settings.bMakersDevices);
    m_pAll->setChecked(!m_settings.bMakersDevices && m_settings.bAllDevices);
    connect(m_pMakers, &QRadioButton::clicked, this, [this] { OnDeviceRadio(); });
    connect(m_pAll, &QRadioButton::clicked, this, [this] { OnDeviceRadio(); });
}

CDseDiscoveryCfgDlg::~CDseDiscoveryCfgDlg() = default;

void CDseDiscoveryCfgDlg::OnInitSettings(const LanguageLibrary* pLibrary) {
    if (pLibrary == nullptr)
        return;
    if (pLibrary->Has(79))
        m_pMakers->setText(QString::fromStdString(pLibrary->String(79)));
    if (pLibrary->Has(80))
        m_pAll->setText(QString::fromStdString(pLibrary->String(80)));
}

void CDseDiscoveryCfgDlg::OnDeviceRadio() {
    m_settings.bMakersDevices = m_pMakers->isChecked();
    m_settings.bAllDevices = m_pAll->isChecked();
}

void CDseDiscoveryCfgDlg::ShowHelp() {
    qx::ShowHelp(this, kHelpContext);
}

}  // namespace qx
