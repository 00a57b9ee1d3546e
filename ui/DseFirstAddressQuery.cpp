#include "DseFirstAddressQuery.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

#include "platform/lang/LoadLanguageLibrary.h"
#include "ui/ControlId.h"

namespace qx {

CDseFirstAddressQuery::CDseFirstAddressQuery(QWidget* parent) : QDialog(parent) {
    SetControlId(this, kDialogId);
    setWindowTitle(QString::fromUtf8(kResourceCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel(this);
    const int nIconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()
                        ->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this)
                        .pixmap(nIconSize, nIconSize));
    icon->setAlignment(Qt::AlignTop);

    m_pText = new QLabel(QString::fromUtf8(kResourceText), this);
    SetControlId(m_pText, kTextControlId);
    m_pText->setWordWrap(true);
    m_pText->setMinimumWidth(260);
    m_pText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(18, 18, 24, 18);
    layout->setSpacing(14);
    layout->addWidget(icon);
    layout->addWidget(m_pText, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CDseFirstAddressQuery::showEvent(QShowEvent* event) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CDseFirstAddressQuery::OnInitDialog() {
    // Like every window that takes its texts from the library, this one tells
    // the user when the library is missing, then opens with its own texts.
    const auto library = LoadLanguageLibrary(this);
    if (!library)
        return;
    if (library->Has(kCaptionStringId))
        setWindowTitle(QString::fromStdString(library->String(kCaptionStringId)));
    if (library->Has(kTextStringId))
        m_pText->setText(QString::fromStdString(library->String(kTextStringId)));
}

}  // namespace qx
