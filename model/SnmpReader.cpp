#include "SnmpReader.h"

#include <strings.h>

#include "SnmpRequest.h"

namespace qx {

std::string ElementOidText(const MIBMappingEntry& entry, int32_t index1, int32_t index2) {
    std::string text = entry.GetOidText();
    if (index1 != -1)
        text += "." + std::to_string(index1);
    if (index2 != -1)
        text += "." + std::to_string(index2);
    return text;
}

HRESULT CSnmpReader::ReadElement(const MIBMappingEntry* entry, int32_t index1, int32_t index2,
                                 SnmpVarBind& reply, bool next) {
    if (entry == nullptr)
        return E_FAIL;
    if (!next) {
        // The arcs that the OID text would name: an entry without OID, or a
        // negative index other than -1, makes no OID, as its text would not parse.
        if (entry->oid.empty() || index1 < -1 || index2 < -1)
            return E_FAIL;
        m_arcs.assign(entry->oid.begin(), entry->oid.end());
        for (int32_t index : {index1, index2})
            if (index != -1)
                m_arcs.push_back(static_cast<uint32_t>(index));
        return m_session.Get(m_target, m_arcs, reply);
    }
    std::string oidText = ElementOidText(*entry, index1, index2);
    if (FAILED(m_session.GetNext(m_target, oidText, reply)))
        return E_FAIL;
    // A plain substring test, as the device readers have always made it:
    // the reply for "...1.1" may come from "...1.10".
    if (reply.PrintableOid().find(oidText) == std::string::npos)
        return E_FAIL;
    return S_OK;
}

HRESULT CSnmpReader::ReadInt32(bool next, const MIBMappingEntry* entry, int32_t index1,
                               int32_t index2, int32_t* value) {
    SnmpVarBind reply;
    HRESULT hr = ReadElement(entry, index1, index2, reply, next);
    if (SUCCEEDED(hr) && value)
        reply.GetInt32(*value);
    return hr;
}

HRESULT CSnmpReader::ReadString(bool next, const MIBMappingEntry* entry, int32_t index1,
                                int32_t index2, char* buffer, size_t size) {
    SnmpVarBind reply;
    HRESULT hr = ReadElement(entry, index1, index2, reply, next);
    if (SUCCEEDED(hr))
        reply.GetText(buffer, size);
    return hr;
}

HRESULT CSnmpReader::snmppGetInt32Value(const MIBMappingEntry* entry, int32_t index1,
                                        int32_t index2, int32_t* value) {
    return ReadInt32(false, entry, index1, index2, value);
}

HRESULT CSnmpReader::snmppGetStringValue(const MIBMappingEntry* entry, int32_t index1,
                                         int32_t index2, char* buffer, size_t size) {
    return ReadString(false, entry, index1, index2, buffer, size);
}

HRESULT CSnmpReader::snmppGetNextInt32Value(const MIBMappingEntry* entry, int32_t index1,
                                            int32_t index2, int32_t* value) {
    return ReadInt32(true, entry, index1, index2, value);
}

HRESULT CSnmpReader::snmppGetNextStringValue(const MIBMappingEntry* entry, int32_t index1,
                                             int32_t index2, char* buffer, size_t size) {
    return ReadString(true, entry, index1, index2, buffer, size);
}

int32_t CSnmpReader::snmppGetOptionValue(int32_t unit) {
    std::string oidText = std::string(kOidOptionUnitColumn) + "." + std::to_string(unit);
    int32_t value = 0;
    if (FAILED(GetInt32(oidText, &value)))
        return 0;
    return value;
}

HRESULT CSnmpReader::GetInt32(std::string_view oidText, int32_t* value) {
    SnmpVarBind reply;
    HRESULT hr = m_session.Get(m_target, oidText, reply);
    if (SUCCEEDED(hr) && value)
        reply.GetInt32(*value);
    return hr;
}

HRESULT CSnmpReader::GetString(std::string_view oidText, char* buffer, size_t size) {
    SnmpVarBind reply;
    HRESULT hr = m_session.Get(m_target, oidText, reply);
    if (SUCCEEDED(hr))
        reply.GetText(buffer, size);
    return hr;
}

HRESULT CSnmpReader::GetPrintableValue(std::string_view oidText, std::string* text) {
    SnmpVarBind reply;
    HRESULT hr = m_session.Get(m_target, oidText, reply);
    if (SUCCEEDED(hr) && text)
        *text = reply.PrintableValue();
    return hr;
}

HRESULT CSnmpReader::GetNextPrintableValue(std::string_view oidText, std::string* oid,
                                           std::string* text) {
    SnmpVarBind reply;
    HRESULT hr = m_session.GetNext(m_target, oidText, reply);
    if (SUCCEEDED(hr)) {
        if (oid)
            *oid = reply.PrintableOid();
        if (text)
            *text = reply.PrintableValue();
    }
    return hr;
}

bool CSnmpReader::HasSysObjectId(std::initializer_list<const char*> ids) {
    std::string value;
    if (FAILED(GetPrintableValue(kOidSysObjectId, &value)))
        return false;
    for (const char* id : ids)
        if (strcasecmp(value.c_str(), id) == 0)
            return true;
    return false;
}

}  // namespace qx
