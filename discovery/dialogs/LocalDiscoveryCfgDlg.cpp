#include "LocalDiscoveryCfgDlg.h"

namespace qx {

CLocalDiscoveryCfgDlg::CLocalDiscoveryCfgDlg(const LocalDiscoverySettings& settings,
                                             QWidget* parent)
    : CDiscoverySettingsDialog(parent), m_settings(settings) {}
CLocalDiscoveryCfgDlg::~CLocalDiscoveryCfgDlg() = default;
std::vector<CLocalDiscoveryCfgDlg::Kind> CLocalDiscoveryCfgDlg::KindsForCaller(int) {
    return {};
}
CLocalDiscoveryCfgDlg::Kind CLocalDiscoveryCfgDlg::CollapsedKind(int) {
    return KindBrisel;
}
void CLocalDiscoveryCfgDlg::SetExpanded(bool bExpanded) {
    m_bExpanded = bExpanded;
}
void CLocalDiscoveryCfgDlg::OnInitSettings(const LanguageLibrary*) {}
bool CLocalDiscoveryCfgDlg::ValidateKinds() {
    return true;
}
void CLocalDiscoveryCfgDlg::ShowHelp() {}

}  // namespace qx
