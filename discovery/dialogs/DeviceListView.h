#pragma once
// A discovery dialog's device list in report view: four columns (name,
// address, location, model) with the row icons; the network dialog's lists
// select whole rows and carry check boxes.

#include <QTreeWidget>

#include <vector>

#include "discovery/DeviceList.h"

namespace qx {

class LanguageLibrary;

class CDeviceListView : public QTreeWidget {
    Q_OBJECT
  public:
    static constexpr int kColumnWidths[4] = {158, 106, 106, 104};
    static constexpr int kHeaderStrings[4] = {24, 25, 28, 113};

    CDeviceListView(int id, bool bCheckBoxes, QWidget* parent = nullptr);

    void SetHeaders(const LanguageLibrary& language);

    // Appends a row; nIcon picks the row icon (2 or 3).
    QTreeWidgetItem* AddRow(const DeviceRow& row);
    DeviceRow RowAt(int index) const;
    int RowCount() const { return topLevelItemCount(); }
    std::vector<DeviceRow> Rows() const;

    bool IsTicked(int index) const;
    void SetTicked(int index, bool bTicked);
    bool AnyTicked() const;
    // Indexes of the selected rows, in list order.
    std::vector<int> SelectedRows() const;

  private:
    bool m_bCheckBoxes;
};

}  // namespace qx
