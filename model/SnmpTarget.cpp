#include "SnmpTarget.h"

#include "AddressText.h"

namespace qx {

void CSnmpTarget::SetAddress(std::string_view text) {
    if (text.size() <= 15) {
        m_kind = SnmpAddressKind::Ip;
        m_strAddress = std::string(text);
    } else if (text.size() <= 21) {
        m_kind = SnmpAddressKind::Ipx;
        m_strAddress = std::string(text);
    } else {
        m_kind = SnmpAddressKind::None;
        m_strAddress.clear();
    }
}

std::string CSnmpTarget::PeerName() const {
    if (m_kind != SnmpAddressKind::Ip)
        return {};
    // Only numeric addresses: a host name would start a name look-up.
    auto printable = PrintableIpAddress(m_strAddress);
    if (!printable || *printable == "0.0.0.0")
        return {};
    return "udp:" + *printable + ":" + std::to_string(kPort);
}

}  // namespace qx
