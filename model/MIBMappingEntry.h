#pragma once
// One line of a mapping file: an element id with its OID and SNMP
// properties. The entries are made and owned by MIBMappingTable; the readers
// of device values only look at them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

// Codes of the syntax keywords: the BER tags of the SNMP types.
enum MibSyntax : int32_t {
    MIB_SYNTAX_NONE = -1,
    MIB_SYNTAX_INTEGER = 2,
    MIB_SYNTAX_BITS = 3,
    MIB_SYNTAX_STRING = 4,
    MIB_SYNTAX_OID = 6,
    MIB_SYNTAX_IPADDRESS = 64,
    MIB_SYNTAX_COUNTER32 = 65,
    MIB_SYNTAX_GAUGE32 = 66,
    MIB_SYNTAX_TIMETICKS = 67,
    MIB_SYNTAX_OPAQUE = 68,
    MIB_SYNTAX_COUNTER64 = 70,
    MIB_SYNTAX_UNSIGNED32 = 71,
    MIB_SYNTAX_DATEANDTIME = 79,
};

enum MibAccess : int32_t {
    MIB_ACCESS_READ_ONLY = 0,
    MIB_ACCESS_READ_WRITE = 1,
    MIB_ACCESS_READ_CREATE = 2,
    MIB_ACCESS_NOT_ACCESSIBLE = 3,
};

enum MibKind : int32_t {
    MIB_KIND_DYNAMIC = 0,
    MIB_KIND_STATIC = 1,
    MIB_KIND_FIXED = 2,
    MIB_KIND_TABLE = 3,
    MIB_KIND_ROW = 4,
    MIB_KIND_ROOT_OID = 5,
};

// Keyword tables of the file format, compared without regard to case.
int32_t MibSyntaxFromKeyword(std::string_view word);  // MIB_SYNTAX_NONE when unknown
int32_t MibAccessFromKeyword(std::string_view word);  // not-accessible when unknown
int32_t MibKindFromKeyword(std::string_view word);    // row when unknown
// The keyword written back for a code; "" for codes outside the tables.
const char* MibSyntaxKeyword(int32_t code);
const char* MibAccessKeyword(int32_t code);
const char* MibKindKeyword(int32_t code);

// An OID as its arcs; dotted text is "%u" arcs joined by "." (empty for no arcs).
using OidArcs = std::vector<uint32_t>;
std::string DottedOidText(const OidArcs& arcs);

class MIBMappingEntry {
  public:
    std::string strName;            // field 1
    int32_t nElementId = 0;         // field 2, never 0 in a loaded entry
    OidArcs oid;                    // field 3; a scalar's instance arc 0 is appended at load
    OidArcs secondOid;              // field 4, carried only
    std::u16string strDescription;  // field 5, carried only
    int32_t nNumber1 = -1;          // fields 6 and 7, carried only
    int32_t nNumber2 = -1;
    int32_t nSyntax = MIB_SYNTAX_NONE;            // field 8
    int32_t nAccess = MIB_ACCESS_NOT_ACCESSIBLE;  // field 9
    std::string value;                            // field 10, kept for string entries only
    int32_t nKind = MIB_KIND_ROW;                 // field 11
    int32_t indexes[4] = {-1, -1, -1, -1};        // fields 12 to 15
    bool bColumnar = false;                       // the entry lies inside a table

    std::string GetOidText() const { return DottedOidText(oid); }
    std::string GetSecondOidText() const { return DottedOidText(secondOid); }

    // The entry as one line of a mapping file, line feed included. Texts are
    // written as they are held, so a scalar comes back with its instance arc.
    std::string WriteBack() const;
};

}  // namespace qx
