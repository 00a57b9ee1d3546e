#include "ManualSelection.h"

namespace qx {

CManualSelection::CManualSelection(bool bIpAvailable, bool bIpxAvailable, QWidget* parent)
    : QDialog(parent), m_bIpAvailable(bIpAvailable), m_bIpxAvailable(bIpxAvailable) {}
CManualSelection::~CManualSelection() = default;
void CManualSelection::accept() {
    QDialog::accept();
}
void CManualSelection::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
}

}  // namespace qx
