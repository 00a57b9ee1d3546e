#include "DeviceList.h"

#include <strings.h>

#include <utility>

namespace qx {

namespace {

bool SameAddress(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

bool CDeviceList::AddDeviceToList(const std::string& name, const std::string& address,
                                  const std::string& location, const std::string& model,
                                  int32_t iconFlag) {
    std::function<void()> changed;
    {
        std::lock_guard lock(m_lock);
        for (const DeviceRow& row : m_rows)
            if (SameAddress(row.address, address))
                return false;
        m_rows.push_back({name, address, location, model, iconFlag ? kIconFlagged : kIconPlain});
        // IPX addresses have no '.', and the history keeps IP addresses only.
        if (address.find('.') != std::string::npos)
            m_records.push_back({-1, address});
        changed = m_changed;
    }
    if (changed)
        changed();
    return true;
}

bool CDeviceList::Contains(const std::string& address) const {
    std::lock_guard lock(m_lock);
    for (const DeviceRow& row : m_rows)
        if (SameAddress(row.address, address))
            return true;
    return false;
}

std::vector<DeviceRow> CDeviceList::Rows() const {
    std::lock_guard lock(m_lock);
    return m_rows;
}

std::vector<IpDeviceRecord> CDeviceList::Records() const {
    std::lock_guard lock(m_lock);
    return m_records;
}

size_t CDeviceList::RowCount() const {
    std::lock_guard lock(m_lock);
    return m_rows.size();
}

bool CDeviceList::Row(size_t index, DeviceRow& out) const {
    std::lock_guard lock(m_lock);
    if (index >= m_rows.size())
        return false;
    out = m_rows[index];
    return true;
}

void CDeviceList::Clear() {
    std::lock_guard lock(m_lock);
    m_rows.clear();
    m_records.clear();
}

void CDeviceList::SetChanged(std::function<void()> changed) {
    std::lock_guard lock(m_lock);
    m_changed = std::move(changed);
}

}  // namespace qx
