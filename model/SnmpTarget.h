#pragma once
// Where and how long to ask: one device's address and time-out, as every
// SNMP request to it uses them. The owner configures a target once and reuses
// it for each exchange; community ("public"), version (SNMPv1) and retry
// count (one retry) are fixed.

#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

enum class SnmpAddressKind { None, Ip, Ipx };

class CSnmpTarget {
  public:
    static constexpr uint32_t kDefaultTimeout = 100;  // hundredths of a second
    static constexpr int kRetries = 1;
    static constexpr const char* kCommunity = "public";
    static constexpr uint16_t kPort = 161;

    // The length of the text decides its kind: up to 15 characters an IP
    // address, 16 to 21 an IPX address, longer texts leave the target
    // without an address. The text is not checked further here; a malformed
    // one makes every request fail.
    void SetAddress(std::string_view text);
    void SetTimeout(uint32_t hundredths) { m_nTimeout = hundredths; }

    SnmpAddressKind Kind() const { return m_kind; }
    const std::string& AddressText() const { return m_strAddress; }
    uint32_t Timeout() const { return m_nTimeout; }

    // The transport address that requests go to ("udp:a.b.c.d:161"), or ""
    // when requests on this target fail without being sent: no address, an
    // IPX address (this system has no IPX transport), a text that is no
    // IPv4 address, or "0.0.0.0", which stands for no address. Made once by
    // SetAddress: every exchange asks for it.
    const std::string& PeerName() const { return m_strPeer; }

  private:
    SnmpAddressKind m_kind = SnmpAddressKind::None;
    std::string m_strAddress;
    std::string m_strPeer;
    uint32_t m_nTimeout = kDefaultTimeout;
};

}  // namespace qx
