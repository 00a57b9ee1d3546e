#include "SnmpTarget.h"

#include "AddressText.h"

namespace qx {

void CSnmpTarget::SetAddress(std::string_view text) {
    m_strPeer.clear();
    if (text.size() <= 15) {
        m_kind = SnmpAddressKind::Ip;
        m_strAddress = std::string(text);
        // Only numeric addresses: a host name would start a name look-up.
        auto printable = PrintableIpAddress(m_strAddress);
        if (printable && *printable != "0.0.0.0")
            m_strPeer = "udp:" + *printable + ":" + std::to_string(kPort);
    } else if (text.size() <= 21) {
        m_kind = SnmpAddressKind::Ipx;
        m_strAddress = std::string(text);
    } else {
        m_kind = SnmpAddressKind::None;
        m_strAddress.clear();
    }
}

}  // namespace qx
