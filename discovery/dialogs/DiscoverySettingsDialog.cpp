#include "DiscoverySettingsDialog.h"

namespace qx {

CDiscoverySettingsDialog::CDiscoverySettingsDialog(QWidget* parent) : QDialog(parent) {}
CDiscoverySettingsDialog::~CDiscoverySettingsDialog() = default;
void CDiscoverySettingsDialog::accept() {
    QDialog::accept();
}
void CDiscoverySettingsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
}
void CDiscoverySettingsDialog::BuildCommon() {}
void CDiscoverySettingsDialog::Refuse(int) {}

}  // namespace qx
