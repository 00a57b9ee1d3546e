#include "LocalDiscoveryCfgDlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPalette>
#include <QPushButton>

#include "discovery/dialogs/Help.h"
#include "platform/lang/LanguageLibrary.h"
#include "ui/CheckList.h"
#include "ui/ControlId.h"

namespace qx {

namespace {

// Language string and template text of each kind, in the order of Kind.
struct KindText {
    int nStringId;
    const char* szTemplate;
};
constexpr KindText kKindTexts[CLocalDiscoveryCfgDlg::kKindCount] = {
    {109, "Korvalen"}, {831, "Brisel"},  {877, "Orven"},
    {110, "RK-2020"},  {111, "RK-2030"}, {112, "QX-2"},
};

// The list's place in the template: 30, 45 to 257, 67 dialog units, about
// 1.5 pixels a unit across and 1.6 down in the dialog font.
constexpr int kListWidth = (257 - 30) * 3 / 2;

}  // namespace

CLocalDiscoveryCfgDlg::CLocalDiscoveryCfgDlg(const LocalDiscoverySettings& settings,
                                             QWidget* parent)
    : CDiscoverySettingsDialog(parent), m_settings(settings) {
    BuildCommon();
    for (int i = 0; i < kKindCount; ++i)
        m_strKindText[i] = QString::fromUtf8(kKindTexts[i].szTemplate);

    m_pKinds = new CCheckList;
    const QColor crBackground = palette().color(QPalette::Base);
    if (!m_pKinds->Create(QRect(0, 0, kListWidth, 36), DevicesGroup(), kKindListId,
                          QString::fromUtf8(kCheckBitmapUnchecked),
                          QString::fromUtf8(kCheckBitmapChecked),
                          QString::fromUtf8(kCheckBitmapPartlyChecked), crBackground)) {
        // Without its bitmaps the list cannot draw; the kinds then stay as
        // the owner handed them in.
        m_pKinds->setParent(DevicesGroup());
    }
    m_pExpand = new QPushButton(QStringLiteral("+"), DevicesGroup());
    SetControlId(m_pExpand, kExpandButtonId);
    m_pExpand->setAutoDefault(false);
    m_pExpand->setFixedWidth(m_pExpand->fontMetrics().horizontalAdvance(QStringLiteral("MM")) + 8);
    auto* pRow = new QHBoxLayout;
    pRow->addWidget(m_pKinds, 1, Qt::AlignTop);
    pRow->addWidget(m_pExpand, 0, Qt::AlignTop);
    DevicesLayout()->addLayout(pRow);

    connect(m_pExpand, &QPushButton::clicked, this, [this] { SetExpanded(!m_bExpanded); });
    FillKindList();
}

CLocalDiscoveryCfgDlg::~CLocalDiscoveryCfgDlg() = default;

std::vector<CLocalDiscoveryCfgDlg::Kind> CLocalDiscoveryCfgDlg::KindsForCaller(int nCaller) {
    // The caller's own families (those its discovery starts with), then the
    // print controllers, which every caller may look for.
    std::vector<Kind> kinds;
    switch (nCaller) {
        case 4:
        case 6:
            kinds = {KindBrisel};
            break;
        case 5:
        case 7:
            kinds = {KindKorvalen};
            break;
        case 8:
        case 12:
        case 13:
            kinds = {KindOrven};
            break;
        case 9:
        case 10:
        case 11:
        case 14:
        case 21:
            kinds = {KindKorvalen, KindBrisel, KindOrven};
            break;
        default:
            kinds = {KindKorvalen, KindBrisel};
            break;
    }
    kinds.insert(kinds.end(), {KindRk2020, KindRk2030, KindQx2});
    return kinds;
}

CLocalDiscoveryCfgDlg::Kind CLocalDiscoveryCfgDlg::CollapsedKind(int nCaller) {
    if (nCaller == 5 || nCaller == 7)
        return KindKorvalen;
    if ((nCaller >= 8 && nCaller <= 14) || nCaller == 21)
        return KindOrven;
    return KindBrisel;
}

bool& CLocalDiscoveryCfgDlg::KindValue(Kind kind) {
    switch (kind) {
        case KindKorvalen:
            return m_settings.bKorvalen;
        case KindBrisel:
            return m_settings.bBrisel;
        case KindOrven:
            return m_settings.bOrven;
        case KindRk2020:
            return m_settings.bRk2020;
        case KindRk2030:
            return m_settings.bRk2030;
        case KindQx2:
            break;
    }
    return m_settings.bQx2;
}

void CLocalDiscoveryCfgDlg::FillKindList() {
    if (!m_pKinds->IsCreated())
        return;
    m_pKinds->DeleteItem(-1);
    const std::vector<Kind> kinds = m_bExpanded
                                        ? KindsForCaller(m_settings.nCaller)
                                        : std::vector<Kind>{CollapsedKind(m_settings.nCaller)};
    const QPalette& pal = palette();
    for (Kind kind : kinds)
        m_pKinds->AddItem(m_strKindText[kind], nullptr, KindValue(kind) ? 1 : 0,
                          static_cast<uint32_t>(kind), pal.color(QPalette::Text),
                          pal.color(QPalette::HighlightedText), pal.color(QPalette::Highlight));
    // Every offered kind in view: the list grows and shrinks with the dialog.
    m_pKinds->setFixedSize(kListWidth, static_cast<int>(kinds.size()) * m_pKinds->RowHeight() + 4);
    m_pExpand->setText(m_bExpanded ? QStringLiteral("-") : QStringLiteral("+"));
}

void CLocalDiscoveryCfgDlg::ReadKindList() {
    if (!m_pKinds->IsCreated())
        return;
    for (int i = 0; i < m_pKinds->GetCount(); ++i) {
        const CheckItem* pItem = m_pKinds->GetItem(i);
        if (pItem != nullptr && pItem->ItemData() < kKindCount)
            KindValue(static_cast<Kind>(pItem->ItemData())) = pItem->State() != 0;
    }
}

void CLocalDiscoveryCfgDlg::SetExpanded(bool bExpanded) {
    // The kinds that the list stops showing keep what the user gave them.
    ReadKindList();
    m_bExpanded = bExpanded;
    FillKindList();
}

void CLocalDiscoveryCfgDlg::OnInitSettings(const LanguageLibrary* pLibrary) {
    if (CallerWithoutHelp(m_settings.nCaller))
        HelpButton()->hide();
    if (pLibrary != nullptr) {
        for (int i = 0; i < kKindCount; ++i) {
            const auto nId = static_cast<uint32_t>(kKindTexts[i].nStringId);
            if (pLibrary->Has(nId))
                m_strKindText[i] = QString::fromStdString(pLibrary->String(nId));
        }
    }
    ReadKindList();
    FillKindList();
}

bool CLocalDiscoveryCfgDlg::ValidateKinds() {
    ReadKindList();
    const LocalDiscoverySettings& s = m_settings;
    if (!s.bRk2020 && !s.bRk2030 && !s.bQx2 && !s.bKorvalen && !s.bBrisel && !s.bOrven) {
        Refuse(932);
        return false;
    }
    return true;
}

void CLocalDiscoveryCfgDlg::ShowHelp() {
    qx::ShowHelp(this, kHelpContext);
}

}  // namespace qx
