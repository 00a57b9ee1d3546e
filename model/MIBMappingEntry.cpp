#include "MIBMappingEntry.h"

#include <strings.h>

#include <cstdio>

#include "platform/com/Bstr.h"

namespace qx {

namespace {

struct Keyword {
    const char* word;
    int32_t code;
};

// The first word of each code is the one written back.
constexpr Keyword kSyntaxKeywords[] = {
    {"integer", MIB_SYNTAX_INTEGER},
    {"integer32", MIB_SYNTAX_INTEGER},
    {"bits", MIB_SYNTAX_BITS},
    {"string", MIB_SYNTAX_STRING},
    {"oid", MIB_SYNTAX_OID},
    {"IpAddress", MIB_SYNTAX_IPADDRESS},
    {"counter32", MIB_SYNTAX_COUNTER32},
    {"counter", MIB_SYNTAX_COUNTER32},
    {"gauge32", MIB_SYNTAX_GAUGE32},
    {"gauge", MIB_SYNTAX_GAUGE32},
    {"timeticks", MIB_SYNTAX_TIMETICKS},
    {"opaque", MIB_SYNTAX_OPAQUE},
    {"counter64", MIB_SYNTAX_COUNTER64},
    {"unsigned32", MIB_SYNTAX_UNSIGNED32},
    {"DateAndTime", MIB_SYNTAX_DATEANDTIME},
};

constexpr Keyword kAccessKeywords[] = {
    {"read-only", MIB_ACCESS_READ_ONLY},
    {"read-write", MIB_ACCESS_READ_WRITE},
    {"read-create", MIB_ACCESS_READ_CREATE},
    {"not-accessible", MIB_ACCESS_NOT_ACCESSIBLE},
};

constexpr Keyword kKindKeywords[] = {
    {"dynamic", MIB_KIND_DYNAMIC}, {"static", MIB_KIND_STATIC}, {"fixed", MIB_KIND_FIXED},
    {"table", MIB_KIND_TABLE},     {"row", MIB_KIND_ROW},       {"root-OID", MIB_KIND_ROOT_OID},
};

template <size_t N>
int32_t CodeOf(const Keyword (&table)[N], std::string_view word, int32_t otherwise) {
    for (const Keyword& k : table) {
        if (word.size() == std::char_traits<char>::length(k.word) &&
            strncasecmp(word.data(), k.word, word.size()) == 0)
            return k.code;
    }
    return otherwise;
}

template <size_t N>
const char* WordOf(const Keyword (&table)[N], int32_t code) {
    for (const Keyword& k : table)
        if (k.code == code)
            return k.word;
    return "";
}

std::string NumberOrEmpty(int32_t n) {
    return n == -1 ? std::string() : std::to_string(n);
}

}  // namespace

int32_t MibSyntaxFromKeyword(std::string_view word) {
    return CodeOf(kSyntaxKeywords, word, MIB_SYNTAX_NONE);
}
int32_t MibAccessFromKeyword(std::string_view word) {
    return CodeOf(kAccessKeywords, word, MIB_ACCESS_NOT_ACCESSIBLE);
}
int32_t MibKindFromKeyword(std::string_view word) {
    return CodeOf(kKindKeywords, word, MIB_KIND_ROW);
}

const char* MibSyntaxKeyword(int32_t code) {
    return WordOf(kSyntaxKeywords, code);
}
const char* MibAccessKeyword(int32_t code) {
    return WordOf(kAccessKeywords, code);
}
const char* MibKindKeyword(int32_t code) {
    return WordOf(kKindKeywords, code);
}

std::string DottedOidText(const OidArcs& arcs) {
    std::string text;
    for (uint32_t arc : arcs) {
        text += std::to_string(arc);
        text += '.';
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

std::string MIBMappingEntry::WriteBack() const {
    // The layout of a file line; the value field is always written empty.
    const std::string fields[] = {
        strName,
        std::to_string(nElementId),
        GetOidText(),
        GetSecondOidText(),
        Utf8FromUtf16(strDescription),
        NumberOrEmpty(nNumber1),
        NumberOrEmpty(nNumber2),
        MibSyntaxKeyword(nSyntax),
        MibAccessKeyword(nAccess),
        std::string(),
        MibKindKeyword(nKind),
        NumberOrEmpty(indexes[0]),
        NumberOrEmpty(indexes[1]),
        NumberOrEmpty(indexes[2]),
        NumberOrEmpty(indexes[3]),
    };
    std::string line;
    for (const std::string& f : fields) {
        line += f;
        line += '\t';
    }
    line.back() = '\n';
    return line;
}

}  // namespace qx
