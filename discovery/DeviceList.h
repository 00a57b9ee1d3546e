#pragma once
// The device list of a discovery dialog, without the widgets: its rows
// (name, address, location, model and icon), unique by address, and the IP
// device records that the dialog later adds to its history of found
// addresses. The dialogs show it, qxctl prints it. Rows may be added from
// any thread; the change callback runs on the thread that added the row.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace qx {

struct DeviceRow {
    std::string name;      // column 0
    std::string address;   // column 1
    std::string location;  // column 2
    std::string model;     // column 3
    int nIcon = 2;         // 3 when the row's icon flag was set
};

struct IpDeviceRecord {
    int32_t nIndex = -1;
    std::string address;
};

class CDeviceList {
  public:
    static constexpr int kIconPlain = 2;
    static constexpr int kIconFlagged = 3;

    // Adds a row unless one of that address (any letter case) exists; an
    // address with a '.' also gets an IP device record. True when added.
    bool AddDeviceToList(const std::string& name, const std::string& address,
                         const std::string& location, const std::string& model, int32_t iconFlag);
    bool Contains(const std::string& address) const;

    std::vector<DeviceRow> Rows() const;
    std::vector<IpDeviceRecord> Records() const;
    size_t RowCount() const;
    // Copies row index into out; false when there is no such row.
    bool Row(size_t index, DeviceRow& out) const;

    void Clear();
    // Called after every added row, where the dialog repaints its list.
    void SetChanged(std::function<void()> changed);

  private:
    mutable std::mutex m_lock;
    std::vector<DeviceRow> m_rows;
    std::vector<IpDeviceRecord> m_records;
    std::function<void()> m_changed;
};

}  // namespace qx
