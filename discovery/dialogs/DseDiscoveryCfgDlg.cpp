#include "DseDiscoveryCfgDlg.h"

namespace qx {

CDseDiscoveryCfgDlg::CDseDiscoveryCfgDlg(const NetworkDiscoverySettings& settings, QWidget* parent)
    : CDiscoverySettingsDialog(parent), m_settings(settings) {}
CDseDiscoveryCfgDlg::~CDseDiscoveryCfgDlg() = default;
void CDseDiscoveryCfgDlg::OnInitSettings(const LanguageLibrary*) {}
void CDseDiscoveryCfgDlg::ShowHelp() {}

}  // namespace qx
