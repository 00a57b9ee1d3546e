#pragma once
// The device-value reads of one device: element values by their mapping
// entries, the option units, and the fixed objects that family checks and
// the memory reader use. The reader owns the device's target; its owner (the
// printer summary table, the management component, qxctl) sets the address
// and time-out once and reads through it from one thread at a time.
//
// Every read answers S_OK or E_FAIL; nothing is retried beyond the target's
// one retry. The reader keeps one library session for its target between
// reads, and is used by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "MIBMappingEntry.h"
#include "SnmpRequest.h"
#include "SnmpTarget.h"
#include "platform/com/HResult.h"

namespace qx {

// Fixed objects read without a mapping entry.
inline constexpr const char* kOidSysObjectId = "1.3.6.1.2.1.1.2.0";
inline constexpr const char* kOidHrMemorySize = "1.3.6.1.2.1.25.2.2.0";
inline constexpr const char* kOidOptionUnitColumn = "1.3.6.1.4.1.32473.2.3.50.1.3.5.1.1.4.1";

// The sysObjectIDs of the KORVALEN family.
inline constexpr const char* kSysObjectIdKorvalen1 = "1.3.6.1.4.1.32473.2.3.14.1";
inline constexpr const char* kSysObjectIdKorvalen2 = "1.3.6.1.4.1.32473.2.3.14.2";

// The OID text of an element instance: the entry's dotted OID, then ".%d"
// with each index that is not -1, first index first.
std::string ElementOidText(const MIBMappingEntry& entry, int32_t index1, int32_t index2);

class CSnmpReader {
  public:
    CSnmpTarget& Target() { return m_target; }
    const CSnmpTarget& Target() const { return m_target; }

    // GET of an element instance. No entry: E_FAIL without any exchange. A
    // reply whose value is not a number leaves *value as it was and still
    // answers S_OK.
    HRESULT snmppGetInt32Value(const MIBMappingEntry* entry, int32_t index1, int32_t index2,
                               int32_t* value);
    // GET of a text into the caller's buffer of size bytes: cut to fit and
    // always terminated; a value that is not an octet string gives "".
    HRESULT snmppGetStringValue(const MIBMappingEntry* entry, int32_t index1, int32_t index2,
                                char* buffer, size_t size);
    template <size_t N>
    HRESULT snmppGetStringValue(const MIBMappingEntry* entry, int32_t index1, int32_t index2,
                                char (&buffer)[N]) {
        return snmppGetStringValue(entry, index1, index2, buffer, N);
    }

    // GET-NEXT forms: the value is taken only when the OID of the reply
    // contains the requested OID text; otherwise E_FAIL.
    HRESULT snmppGetNextInt32Value(const MIBMappingEntry* entry, int32_t index1, int32_t index2,
                                   int32_t* value);
    HRESULT snmppGetNextStringValue(const MIBMappingEntry* entry, int32_t index1, int32_t index2,
                                    char* buffer, size_t size);
    template <size_t N>
    HRESULT snmppGetNextStringValue(const MIBMappingEntry* entry, int32_t index1, int32_t index2,
                                    char (&buffer)[N]) {
        return snmppGetNextStringValue(entry, index1, index2, buffer, N);
    }

    // GET (or GET-NEXT, with the same containment rule) of an element
    // instance, handing back the reply's binding whatever its type.
    HRESULT ReadElement(const MIBMappingEntry* entry, int32_t index1, int32_t index2,
                        SnmpVarBind& reply, bool next = false);

    // The value of option unit n, or 0 when the exchange fails.
    int32_t snmppGetOptionValue(int32_t unit);

    // Reads of fixed objects, by OID text.
    HRESULT GetInt32(std::string_view oidText, int32_t* value);
    HRESULT GetString(std::string_view oidText, char* buffer, size_t size);
    HRESULT GetPrintableValue(std::string_view oidText, std::string* text);
    HRESULT GetNextPrintableValue(std::string_view oidText, std::string* oid, std::string* text);

    // GET of sysObjectID; true when it answers with one of the given OIDs
    // (whole texts, without regard to case).
    bool HasSysObjectId(std::initializer_list<const char*> ids);

  private:
    HRESULT ReadInt32(bool next, const MIBMappingEntry* entry, int32_t index1, int32_t index2,
                      int32_t* value);
    HRESULT ReadString(bool next, const MIBMappingEntry* entry, int32_t index1, int32_t index2,
                       char* buffer, size_t size);

    CSnmpTarget m_target;
    CSnmpSession m_session;
    std::vector<uint32_t> m_arcs;  // the OID of the element read last
};

}  // namespace qx
