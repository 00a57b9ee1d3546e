#include "SnmpRequest.h"

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace qx {

namespace {

// Debian builds the library without its own locking. Its shared parts
// (request-id counters, transport set-up) are guarded here; the blocking wait
// of an exchange runs outside the lock, on the exchange's own session.
std::mutex g_libraryMutex;

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        // No MIB files, no configuration files, no persistent state: this
        // client prints OIDs itself and must not write below /var/lib/snmp.
        setenv("MIBS", "", 1);
        netsnmp_set_mib_directory("");
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
        init_snmp("qx-snmp-client");
    });
}

// The binding of a reply; false for values that are none (noSuchObject,
// noSuchInstance, endOfMibView, unknown types).
bool TakeBinding(const netsnmp_variable_list* vb, SnmpVarBind& reply) {
    reply = SnmpVarBind();
    reply.name.assign(vb->name, vb->name + vb->name_length);
    reply.type = vb->type;
    switch (vb->type) {
        case ASN_INTEGER:
            reply.number = vb->val.integer ? *vb->val.integer : 0;
            return true;
        case ASN_COUNTER:
        case ASN_GAUGE:
        case ASN_TIMETICKS:
        case ASN_UINTEGER:
            reply.number =
                vb->val.integer ? static_cast<int64_t>(*vb->val.integer & 0xFFFFFFFFul) : 0;
            return true;
        case ASN_COUNTER64:
            if (vb->val.counter64)
                reply.counter64 = (static_cast<uint64_t>(vb->val.counter64->high) << 32) |
                                  (vb->val.counter64->low & 0xFFFFFFFFul);
            return true;
        case ASN_OCTET_STR:
        case ASN_OPAQUE:
        case ASN_IPADDRESS:
            if (vb->val.string)
                reply.octets.assign(reinterpret_cast<const char*>(vb->val.string), vb->val_len);
            return true;
        case ASN_OBJECT_ID:
            if (vb->val.objid)
                reply.objectId.assign(vb->val.objid, vb->val.objid + vb->val_len / sizeof(oid));
            return true;
        case ASN_NULL:
            return true;
        default:
            return false;
    }
}

std::string TimeTicksText(uint32_t ticks) {
    unsigned long t = ticks;
    unsigned long days = t / 8640000, hours = t / 360000 % 24, minutes = t / 6000 % 60,
                  seconds = t / 100 % 60, hundredths = t % 100;
    char text[64];
    if (days == 0)
        std::snprintf(text, sizeof text, "%lu:%02lu:%02lu.%02lu", hours, minutes, seconds,
                      hundredths);
    else if (days == 1)
        std::snprintf(text, sizeof text, "1 day %lu:%02lu:%02lu.%02lu", hours, minutes, seconds,
                      hundredths);
    else
        std::snprintf(text, sizeof text, "%lu days, %lu:%02lu:%02lu.%02lu", days, hours, minutes,
                      seconds, hundredths);
    return text;
}

std::string DottedText(const std::vector<uint32_t>& arcs) {
    std::string text;
    for (uint32_t a : arcs) {
        if (!text.empty())
            text += '.';
        text += std::to_string(a);
    }
    return text;
}

std::string HexText(const std::string& bytes) {
    std::string text;
    char hex[4];
    for (unsigned char b : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        if (!text.empty())
            text += ' ';
        text += hex;
    }
    return text;
}

}  // namespace

CSnmpSession::~CSnmpSession() {
    Close();
}

void CSnmpSession::Close() {
    if (!m_handle)
        return;
    std::lock_guard lock(g_libraryMutex);
    snmp_sess_close(m_handle);
    m_handle = nullptr;
}

bool CSnmpSession::Open(const std::string& peer, uint32_t timeout) {
    if (m_handle && peer == m_strPeer && timeout == m_nTimeout)
        return true;
    Close();
    InitLibraryOnce();
    netsnmp_session settings;
    std::lock_guard lock(g_libraryMutex);
    snmp_sess_init(&settings);
    settings.version = SNMP_VERSION_1;
    settings.community = reinterpret_cast<u_char*>(const_cast<char*>(CSnmpTarget::kCommunity));
    settings.community_len = std::strlen(CSnmpTarget::kCommunity);
    settings.peername = const_cast<char*>(peer.c_str());
    settings.timeout = static_cast<long>(timeout) * 10000L;  // per attempt, in µs
    settings.retries = CSnmpTarget::kRetries;
    m_handle = snmp_sess_open(&settings);
    m_strPeer = peer;
    m_nTimeout = timeout;
    return m_handle != nullptr;
}

HRESULT CSnmpSession::Exchange(const CSnmpTarget& target, int command,
                               const std::vector<uint32_t>& arcs, SnmpVarBind& reply) {
    if (arcs.size() < 2 || arcs.size() > MAX_OID_LEN)
        return E_FAIL;
    const std::string& peer = target.PeerName();
    if (peer.empty() || !Open(peer, target.Timeout()))
        return E_FAIL;

    oid name[MAX_OID_LEN];
    for (size_t i = 0; i < arcs.size(); ++i)
        name[i] = arcs[i];
    netsnmp_pdu* request = nullptr;
    {
        std::lock_guard lock(g_libraryMutex);
        request = snmp_pdu_create(command);
        if (request)
            snmp_add_null_var(request, name, arcs.size());
    }
    if (!request)
        return E_FAIL;

    netsnmp_pdu* response = nullptr;
    // The request is freed by the library whether it was sent or not.
    int status = snmp_sess_synch_response(m_handle, request, &response);
    HRESULT hr = E_FAIL;
    if (status == STAT_SUCCESS && response && response->errstat == SNMP_ERR_NOERROR &&
        response->variables && TakeBinding(response->variables, reply))
        hr = S_OK;
    // A GET names its object exactly: an answer about another object (an
    // agent that answers everything with one value) is no value for it.
    // GET-NEXT answers name the next object; their callers judge them.
    if (hr == S_OK && command == SNMP_MSG_GET && reply.name != arcs)
        hr = E_FAIL;
    if (response)
        snmp_free_pdu(response);
    // A session whose socket failed is opened afresh for the next exchange.
    if (status == STAT_ERROR)
        Close();
    return hr;
}

HRESULT CSnmpSession::Get(const CSnmpTarget& target, std::string_view oidText, SnmpVarBind& reply) {
    std::vector<uint32_t> arcs;
    if (!ParseOidText(oidText, arcs))
        return E_FAIL;
    return Exchange(target, SNMP_MSG_GET, arcs, reply);
}

HRESULT CSnmpSession::Get(const CSnmpTarget& target, const std::vector<uint32_t>& arcs,
                          SnmpVarBind& reply) {
    return Exchange(target, SNMP_MSG_GET, arcs, reply);
}

HRESULT CSnmpSession::GetNext(const CSnmpTarget& target, std::string_view oidText,
                              SnmpVarBind& reply) {
    std::vector<uint32_t> arcs;
    if (!ParseOidText(oidText, arcs))
        return E_FAIL;
    return Exchange(target, SNMP_MSG_GETNEXT, arcs, reply);
}

bool ParseOidText(std::string_view text, std::vector<uint32_t>& arcs) {
    arcs.clear();
    size_t i = 0;
    for (;;) {
        uint64_t value = 0;
        size_t digits = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            value = value * 10 + static_cast<uint64_t>(text[i] - '0');
            if (value > 0xFFFFFFFFull)
                return false;
            ++digits;
            ++i;
        }
        if (digits == 0 || arcs.size() == MAX_OID_LEN)
            return false;
        arcs.push_back(static_cast<uint32_t>(value));
        if (i == text.size())
            break;
        if (text[i] != '.')
            return false;
        ++i;
    }
    return arcs.size() >= 2;
}

HRESULT SnmpGet(const CSnmpTarget& target, std::string_view oidText, SnmpVarBind& reply) {
    return CSnmpSession().Get(target, oidText, reply);
}

HRESULT SnmpGetNext(const CSnmpTarget& target, std::string_view oidText, SnmpVarBind& reply) {
    return CSnmpSession().GetNext(target, oidText, reply);
}

std::string SnmpVarBind::PrintableOid() const {
    return DottedText(name);
}

std::string SnmpVarBind::PrintableValue() const {
    switch (type) {
        case SNMP_TYPE_INTEGER:
        case SNMP_TYPE_COUNTER32:
        case SNMP_TYPE_GAUGE32:
        case SNMP_TYPE_UINTEGER32:
            return std::to_string(number);
        case SNMP_TYPE_TIMETICKS:
            return TimeTicksText(static_cast<uint32_t>(number));
        case SNMP_TYPE_COUNTER64:
            return std::to_string(counter64);
        case SNMP_TYPE_OID:
            return DottedText(objectId);
        case SNMP_TYPE_IPADDRESS: {
            if (octets.size() != 4)
                return HexText(octets);
            char text[16];
            std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned char>(octets[0]),
                          static_cast<unsigned char>(octets[1]),
                          static_cast<unsigned char>(octets[2]),
                          static_cast<unsigned char>(octets[3]));
            return text;
        }
        case SNMP_TYPE_OCTETS:
            // Printable ASCII only, whatever the process's locale says.
            for (unsigned char c : octets)
                if (c != '\r' && c != '\n' && (c < 0x20 || c > 0x7E))
                    return HexText(octets);
            return octets;
        case SNMP_TYPE_OPAQUE:
            return HexText(octets);
        default:
            return {};
    }
}

bool SnmpVarBind::GetInt32(int32_t& value) const {
    switch (type) {
        case SNMP_TYPE_INTEGER:
        case SNMP_TYPE_COUNTER32:
        case SNMP_TYPE_GAUGE32:
        case SNMP_TYPE_TIMETICKS:
        case SNMP_TYPE_UINTEGER32:
            value = static_cast<int32_t>(static_cast<uint32_t>(number));
            return true;
        default:
            return false;
    }
}

bool SnmpVarBind::GetText(char* buffer, size_t size) const {
    if (buffer == nullptr || size == 0)
        return false;
    if (type != SNMP_TYPE_OCTETS) {
        buffer[0] = 0;
        return false;
    }
    size_t n = std::min(octets.size(), size - 1);
    std::memcpy(buffer, octets.data(), n);
    buffer[n] = 0;
    return true;
}

}  // namespace qx
