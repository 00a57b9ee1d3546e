#include "DeviceListView.h"

#include <QHeaderView>

#include "discovery/dialogs/DialogBitmaps.h"
#include "platform/lang/LanguageLibrary.h"
#include "ui/ControlId.h"

namespace qx {

namespace {

constexpr int kIconRole = Qt::UserRole + 1;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CDeviceListView::CDeviceListView(int id, bool bCheckBoxes, QWidget* parent)
    : QTreeWidget(parent), m_bCheckBoxes(bCheckBoxes) {
    SetControlId(this, id);
    setObjectName(QString::number(id));
    setColumnCount(4);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(bCheckBoxes ? QAbstractItemView::SelectRows
                                     : QAbstractItemView::SelectItems);
    setAllColumnsShowFocus(bCheckBoxes);
    setIconSize(QSize(kRowIconSize, kRowIconSize));
    for (int c = 0; c < 4; ++c)
        setColumnWidth(c, kColumnWidths[c]);
    header()->setStretchLastSection(false);
}

void CDeviceListView::SetHeaders(const LanguageLibrary& language) {
    QStringList labels;
    for (int id : kHeaderStrings)
        labels << QString::fromStdString(language.String(static_cast<uint32_t>(id)));
    setHeaderLabels(labels);
}

QTreeWidgetItem* CDeviceListView::AddRow(const DeviceRow& row) {
    auto* item = new QTreeWidgetItem(
        QStringList{Text(row.name), Text(row.address), Text(row.location), Text(row.model)});
    item->setIcon(0, RowIcon(row.nIcon));
    item->setData(0, kIconRole, row.nIcon);
    if (m_bCheckBoxes) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    addTopLevelItem(item);
    return item;
}

DeviceRow CDeviceListView::RowAt(int index) const {
    DeviceRow row;
    const QTreeWidgetItem* item = topLevelItem(index);
    if (!item)
        return row;
    row.name = item->text(0).toStdString();
    row.address = item->text(1).toStdString();
    row.location = item->text(2).toStdString();
    row.model = item->text(3).toStdString();
    row.nIcon = item->data(0, kIconRole).toInt();
    return row;
}

std::vector<DeviceRow> CDeviceListView::Rows() const {
    std::vector<DeviceRow> rows;
    for (int i = 0; i < RowCount(); ++i)
        rows.push_back(RowAt(i));
    return rows;
}

bool CDeviceListView::IsTicked(int index) const {
    const QTreeWidgetItem* item = topLevelItem(index);
    return m_bCheckBoxes && item && item->checkState(0) == Qt::Checked;
}

void CDeviceListView::SetTicked(int index, bool bTicked) {
    if (QTreeWidgetItem* item = topLevelItem(index); item && m_bCheckBoxes)
        item->setCheckState(0, bTicked ? Qt::Checked : Qt::Unchecked);
}

bool CDeviceListView::AnyTicked() const {
    for (int i = 0; i < RowCount(); ++i)
        if (IsTicked(i))
            return true;
    return false;
}

std::vector<int> CDeviceListView::SelectedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < RowCount(); ++i)
        if (topLevelItem(i)->isSelected())
            rows.push_back(i);
    return rows;
}

}  // namespace qx
