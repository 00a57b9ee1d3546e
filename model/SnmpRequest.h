#pragma once
// Synchronous SNMP exchanges: a GET or GET-NEXT request carrying exactly one
// variable binding, sent to a target, and the binding of its reply. This is
// the only place that talks to the SNMP library; its status codes end here
// and callers see S_OK or E_FAIL.
//
// Each session object has its own socket, so exchanges on different
// sessions may run on different threads at once.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "SnmpTarget.h"
#include "platform/com/HResult.h"

namespace qx {

// BER tags of the values an agent may answer with.
enum SnmpType : uint8_t {
    SNMP_TYPE_INTEGER = 0x02,
    SNMP_TYPE_OCTETS = 0x04,
    SNMP_TYPE_NULL = 0x05,
    SNMP_TYPE_OID = 0x06,
    SNMP_TYPE_IPADDRESS = 0x40,
    SNMP_TYPE_COUNTER32 = 0x41,
    SNMP_TYPE_GAUGE32 = 0x42,
    SNMP_TYPE_TIMETICKS = 0x43,
    SNMP_TYPE_OPAQUE = 0x44,
    SNMP_TYPE_COUNTER64 = 0x46,
    SNMP_TYPE_UINTEGER32 = 0x47,
};

// The variable binding of a reply.
struct SnmpVarBind {
    std::vector<uint32_t> name;  // the binding's OID
    uint8_t type = SNMP_TYPE_NULL;
    int64_t number = 0;  // integer, counter, gauge, time ticks
    uint64_t counter64 = 0;
    std::string octets;              // octet string, opaque, IpAddress (4 bytes)
    std::vector<uint32_t> objectId;  // OID value

    // The OID as dotted decimal text without a leading dot.
    std::string PrintableOid() const;
    // The value as text: numbers in decimal, time ticks as "H:MM:SS.hh"
    // (after "1 day " or "N days, " from one day on),
    // OIDs dotted, IpAddress dotted, an octet string as itself when every
    // byte is printable (CR and LF included), else as hexadecimal bytes
    // "0A 1B ..."; a null value as "".
    std::string PrintableValue() const;
    // A 32-bit number (INTEGER, Counter32, Gauge32, TimeTicks, Unsigned32)
    // into value; false, value untouched, for any other type.
    bool GetInt32(int32_t& value) const;
    // An octet string into buffer, cut to size - 1 bytes and always
    // terminated; any other type gives the empty text. Nothing is written
    // when size is 0.
    bool GetText(char* buffer, size_t size) const;
};

// Dotted decimal text (no leading dot, 2 to 128 arcs of at most 32 bits)
// into arcs; false for anything else.
bool ParseOidText(std::string_view text, std::vector<uint32_t>& arcs);

// The SNMP library's session for one target, opened at the first exchange
// and kept while the target's address and time-out stay the same. One
// thread at a time; sessions of different objects are independent.
class CSnmpSession {
  public:
    CSnmpSession() = default;
    ~CSnmpSession();
    CSnmpSession(const CSnmpSession&) = delete;
    CSnmpSession& operator=(const CSnmpSession&) = delete;

    // One request with one binding for oidText. E_FAIL when the target has
    // no usable address, the OID text is malformed, nothing answers within
    // the target's time-out and its retry, or the reply carries an error
    // status or no value; for a GET also when the reply's binding names
    // another object than the one asked for.
    HRESULT Get(const CSnmpTarget& target, std::string_view oidText, SnmpVarBind& reply);
    HRESULT GetNext(const CSnmpTarget& target, std::string_view oidText, SnmpVarBind& reply);
    // A GET of an OID given by its arcs (2 to 128 of them), as the element
    // reads build it: no text to write and parse again for every exchange.
    HRESULT Get(const CSnmpTarget& target, const std::vector<uint32_t>& arcs, SnmpVarBind& reply);
    void Close();

  private:
    bool Open(const std::string& peer, uint32_t timeout);
    HRESULT Exchange(const CSnmpTarget& target, int command, const std::vector<uint32_t>& arcs,
                     SnmpVarBind& reply);

    void* m_handle = nullptr;
    std::string m_strPeer;
    uint32_t m_nTimeout = 0;
};

// One exchange on a session of its own, for one-shot requests.
HRESULT SnmpGet(const CSnmpTarget& target, std::string_view oidText, SnmpVarBind& reply);
HRESULT SnmpGetNext(const CSnmpTarget& target, std::string_view oidText, SnmpVarBind& reply);

}  // namespace qx
