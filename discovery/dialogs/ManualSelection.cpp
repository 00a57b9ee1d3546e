#include "ManualSelection.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/gui/MessageBox.h"
#include "platform/lang/LoadLanguageLibrary.h"
#include "ui/ControlId.h"
#include "ui/DseIPAddressCtrl.h"

namespace qx {

namespace {

constexpr int kCaptionStringId = 99;
constexpr int kNetworkDigits = 8;
constexpr int kNodeDigits = 12;

int CharacterCount(const QString& strText) {
    return static_cast<int>(strText.toUcs4().size());
}

bool HasBlank(const QString& strText) {
    for (QChar c : strText)
        if (c.isSpace())
            return true;
    return false;
}

}  // namespace

CManualSelection::CManualSelection(bool bIpAvailable, bool bIpxAvailable, QWidget* parent)
    : QDialog(parent), m_bIpAvailable(bIpAvailable), m_bIpxAvailable(bIpxAvailable) {
    SetControlId(this, kDialogId);
    setWindowTitle(QStringLiteral("Manual Selection"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_pIp = new CDseIPAddressCtrl(this);
    SetControlId(m_pIp, kIpAddressId);
    m_pNetwork = new QLineEdit(this);
    SetControlId(m_pNetwork, kIpxNetworkId);
    m_pNetwork->setMaxLength(kNetworkDigits);
    auto* pColon = new QLabel(QStringLiteral(":"), this);
    SetControlId(pColon, kIpxColonId);
    m_pNode = new QLineEdit(this);
    SetControlId(m_pNode, kIpxNodeId);
    m_pNode->setMaxLength(kNodeDigits);
    const QFontMetrics metrics(m_pNetwork->font());
    m_pNetwork->setMinimumWidth(metrics.horizontalAdvance(QString(kNetworkDigits + 1, u'W')));
    m_pNode->setMinimumWidth(metrics.horizontalAdvance(QString(kNodeDigits + 1, u'W')));
    m_pName = new QLineEdit(this);
    SetControlId(m_pName, kNameId);
    m_pLocation = new QLineEdit(this);
    SetControlId(m_pLocation, kLocationId);

    // An address kind that the host cannot reach is not offered.
    m_pIp->setEnabled(m_bIpAvailable);
    m_pNetwork->setEnabled(m_bIpxAvailable);
    m_pNode->setEnabled(m_bIpxAvailable);

    auto* pIpx = new QHBoxLayout;
    pIpx->addWidget(m_pNetwork);
    pIpx->addWidget(pColon);
    pIpx->addWidget(m_pNode, 1);
    auto* pFields = new QGridLayout;
    pFields->addWidget(new QLabel(QStringLiteral("IP address:"), this), 0, 0);
    pFields->addWidget(m_pIp, 0, 1);
    pFields->addWidget(new QLabel(QStringLiteral("IPX address:"), this), 1, 0);
    pFields->addLayout(pIpx, 1, 1);
    pFields->addWidget(new QLabel(QStringLiteral("Name:"), this), 2, 0);
    pFields->addWidget(m_pName, 2, 1);
    pFields->addWidget(new QLabel(QStringLiteral("Location:"), this), 3, 0);
    pFields->addWidget(m_pLocation, 3, 1);

    m_pOk = new QPushButton(QStringLiteral("OK"), this);
    SetControlId(m_pOk, 1);
    m_pOk->setDefault(true);
    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetControlId(m_pCancel, 2);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch(1);
    pButtons->addWidget(m_pOk);
    pButtons->addWidget(m_pCancel);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pFields);
    pLayout->addLayout(pButtons);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
}

CManualSelection::~CManualSelection() = default;

void CManualSelection::showEvent(QShowEvent* event) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CManualSelection::OnInitDialog() {
    const auto library = LoadLanguageLibrary(this);
    if (!library)
        return;
    if (library->Has(77))
        setWindowTitle(QString::fromStdString(library->String(77)).remove(QStringLiteral("...")));
    if (library->Has(7))
        m_pOk->setText(QString::fromStdString(library->String(7)));
    if (library->Has(6))
        m_pCancel->setText(QString::fromStdString(library->String(6)));
}

bool CManualSelection::Refuse(int nTextId, QWidget* pField) {
    if (const auto library = LoadLanguageLibrary(this)) {
        MessageBoxRequest request;
        request.text = library->String(static_cast<uint32_t>(nTextId));
        request.caption = library->String(kCaptionStringId);
        request.icon = MessageIcon::Stop;
        request.owner = this;
        ShowMessageBox(request);
    }
    if (auto* pEdit = qobject_cast<QLineEdit*>(pField)) {
        pEdit->clear();
        pEdit->setFocus();
    } else if (auto* pAddress = qobject_cast<CDseIPAddressCtrl*>(pField)) {
        pAddress->ClearAddress();
        // Entered as by Tab, so that typing starts again in the first field
        // rather than where the refused address left the caret.
        pAddress->clearFocus();
        pAddress->setFocus(Qt::TabFocusReason);
    }
    return false;
}

void CManualSelection::accept() {
    const QString strName = m_pName->text();
    if (strName.trimmed().isEmpty()) {
        Refuse(105, m_pName);
        return;
    }
    if (CharacterCount(strName) > kMaxTextLength) {
        Refuse(106, m_pName);
        return;
    }
    const QString strLocation = m_pLocation->text();
    if (CharacterCount(strLocation) > kMaxTextLength) {
        Refuse(107, m_pLocation);
        return;
    }

    std::string strAddress;
    const bool bIpxEmpty = m_pNetwork->text().isEmpty() && m_pNode->text().isEmpty();
    if (m_bIpAvailable && (!m_bIpxAvailable || bIpxEmpty)) {
        uint8_t anOctet[4] = {0, 0, 0, 0};
        m_pIp->GetAddress(&anOctet[0], &anOctet[1], &anOctet[2], &anOctet[3]);
        if ((anOctet[0] | anOctet[1] | anOctet[2] | anOctet[3]) == 0) {
            Refuse(108, m_pIp);
            return;
        }
        strAddress = std::to_string(anOctet[0]) + '.' + std::to_string(anOctet[1]) + '.' +
                     std::to_string(anOctet[2]) + '.' + std::to_string(anOctet[3]);
    } else {
        if (!ValidateIpx())
            return;
        strAddress = (m_pNetwork->text() + u':' + m_pNode->text()).toStdString();
    }
    m_result.strAddress = strAddress;
    m_result.strName = strName.toStdString();
    m_result.strLocation = strLocation.toStdString();
    QDialog::accept();
}

bool CManualSelection::ValidateIpx() {
    const QString strNetwork = m_pNetwork->text();
    if (strNetwork.size() != kNetworkDigits)
        return Refuse(871, m_pNetwork);
    if (HasBlank(strNetwork))
        return Refuse(873, m_pNetwork);
    if (strNetwork.contains(QStringLiteral("00000000")))
        return Refuse(875, m_pNetwork);
    const QString strNode = m_pNode->text();
    if (strNode.size() != kNodeDigits)
        return Refuse(872, m_pNode);
    if (HasBlank(strNode))
        return Refuse(874, m_pNode);
    if (strNode.contains(QStringLiteral("000000000000")))
        return Refuse(876, m_pNode);
    return true;
}

}  // namespace qx
