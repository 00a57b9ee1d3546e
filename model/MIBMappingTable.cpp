#include "MIBMappingTable.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "platform/com/Bstr.h"
#include "platform/system/ProgramPath.h"
#include "platform/system/Win32Error.h"
#include "settings/Settings.h"
#include "trace/EventLogWriter.h"
#include "trace/Trace.h"

namespace qx {

namespace {

constexpr size_t kMaxLine = 255;
constexpr int kFieldCount = 15;
constexpr size_t kMaxSystemMessage = 100;

// Optional blanks, an optional sign and the leading digits; 0 when there are
// none. Digits beyond 32 bits wrap, as the value is kept in 32 bits.
uint32_t DecimalPrefix(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    uint32_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    return negative ? 0u - value : value;
}

int32_t SignedPrefix(std::string_view text) {
    return static_cast<int32_t>(DecimalPrefix(text));
}

// An OID field: split at every "."; an empty field has no arcs.
OidArcs ArcsOf(std::string_view text) {
    OidArcs arcs;
    if (text.empty())
        return arcs;
    size_t start = 0;
    for (;;) {
        size_t dot = text.find('.', start);
        arcs.push_back(DecimalPrefix(text.substr(start, dot - start)));
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    return arcs;
}

bool IsComment(std::string_view line) {
    size_t dashes = line.find("--");
    return dashes != std::string_view::npos && dashes < line.find('\t');
}

bool IsPrefix(const OidArcs& prefix, const OidArcs& of) {
    return prefix.size() <= of.size() && std::equal(prefix.begin(), prefix.end(), of.begin());
}

}  // namespace

std::vector<std::string> MapFilePaths(const std::string& dir) {
    std::string base = dir.empty() ? ProgramDirectory() : dir;
    std::vector<std::string> paths;
    for (const char* name : kMapFileNames)
        paths.push_back(base + "/" + name);
    return paths;
}

MIBMappingTable::MIBMappingTable(CEventLogWriter* eventReporter) : m_pEventReporter(eventReporter) {
    m_entries.reserve(200);
}

MIBMappingTable::~MIBMappingTable() = default;

bool MIBMappingTable::Load(int count, const char* const* paths) {
    m_lastError.clear();
    for (int i = 0; i < count; ++i)
        if (!LoadFile(paths[i]))
            return false;
    return true;
}

bool MIBMappingTable::Load(const std::vector<std::string>& paths) {
    std::vector<const char*> raw;
    for (const std::string& p : paths)
        raw.push_back(p.c_str());
    return Load(static_cast<int>(raw.size()), raw.data());
}

const MIBMappingEntry* MIBMappingTable::GetEntryById(int32_t elementId) const {
    for (const auto& e : m_entries)
        if (e->nElementId == elementId)
            return e.get();
    return nullptr;
}

void MIBMappingTable::Report(uint32_t eventId, const char* first, const char* second) {
    if (!m_pEventReporter)
        return;
    const char* strings[] = {first, second};
    m_pEventReporter->Report(EVENTLOG_ERROR_TYPE, eventId, 2, strings);
}

bool MIBMappingTable::LoadFile(const char* path) {
    if (path == nullptr)
        path = "";
    FILE* file = *path ? std::fopen(path, "r") : nullptr;
    int openError = file ? 0 : *path ? errno : ENOENT;
    // A directory opens on this system but cannot be read; it fails like a
    // file that cannot be opened.
    int firstChar = file ? std::getc(file) : EOF;
    if (file && firstChar == EOF && std::ferror(file))
        openError = errno;
    if (openError != 0) {
        if (file)
            std::fclose(file);
        std::string message =
            SystemMessageText(Win32ErrorFromErrno(openError)).substr(0, kMaxSystemMessage);
        Report(kEventMappingFileOpenFailed, path, message.c_str());
        m_lastError = std::string(path) + ": " + message;
        while (!m_lastError.empty() && std::isspace(static_cast<unsigned char>(m_lastError.back())))
            m_lastError.pop_back();
        return false;
    }
    if (firstChar != EOF)
        std::ungetc(firstChar, file);

    int lineNumber = 1;
    for (;;) {
        char line[kMaxLine + 1];
        size_t length = 0;
        bool anything = false, lineEnd = false;
        int c = 0;
        while (length < kMaxLine && (c = std::getc(file)) != EOF) {
            anything = true;
            if (c == '\n') {
                lineEnd = true;
                break;
            }
            line[length++] = static_cast<char>(c);
        }
        if (!anything)
            break;
        // A line that does not end within the buffer keeps its first 255
        // characters; the rest of it is skipped, so that the lines after it
        // are read as lines of their own rather than lost.
        size_t dropped = 0;
        if (!lineEnd && length == kMaxLine) {
            bool pendingCr = false;
            while ((c = std::getc(file)) != EOF && c != '\n') {
                dropped += pendingCr ? 1 : 0;
                pendingCr = c == '\r';
                dropped += pendingCr ? 0 : 1;
            }
            // A CR right before the line's end is the Windows line end, no
            // part of the text: a CR LF line of 255 characters is whole.
        }
        line[length] = 0;
        length = std::strlen(line);  // text ends at a zero byte
        // Files written on Windows end their lines with CR LF; its text mode
        // drops the CR.
        if (dropped == 0 && length > 0 && line[length - 1] == '\r')
            line[--length] = 0;
        if (dropped > 0) {
            ++m_nCutLines;
            Trace(kTracePrefix,
                  "Mapping file %s: line %d is longer than %zu characters; %zu more cut off", path,
                  lineNumber, kMaxLine, dropped);
        }

        if (!IsComment(line)) {
            if (!AddLine(line)) {
                std::string number = std::to_string(lineNumber);
                Report(kEventMappingLineInvalid, number.c_str(), line);
                m_lastError = std::string(path) + ": invalid entry " + number + ": " + line;
                std::fclose(file);
                return false;
            }
            ++lineNumber;
        }
    }
    std::fclose(file);
    return true;
}

bool MIBMappingTable::AddLine(const char* text) {
    std::string_view fields[kFieldCount];
    std::string_view rest(text);
    for (int i = 0; i < kFieldCount; ++i) {
        size_t tab = rest.find('\t');
        fields[i] = rest.substr(0, tab);
        if (tab == std::string_view::npos)
            break;  // missing fields stay empty
        rest.remove_prefix(tab + 1);
    }

    try {
        auto entry = std::make_unique<MIBMappingEntry>();
        entry->strName = std::string(fields[0]);
        entry->nElementId = SignedPrefix(fields[1]);
        if (entry->nElementId == 0)
            return false;
        entry->oid = ArcsOf(fields[2]);
        entry->secondOid = ArcsOf(fields[3]);
        entry->strDescription = Utf16FromUtf8(fields[4]);
        if (!fields[5].empty())
            entry->nNumber1 = SignedPrefix(fields[5]);
        if (!fields[6].empty())
            entry->nNumber2 = SignedPrefix(fields[6]);
        entry->nSyntax = MibSyntaxFromKeyword(fields[7]);
        entry->nAccess = MibAccessFromKeyword(fields[8]);
        if (entry->nSyntax == MIB_SYNTAX_STRING)
            entry->value = std::string(fields[9]);
        entry->nKind = MibKindFromKeyword(fields[10]);
        for (int i = 0; i < 4; ++i) {
            int32_t n = SignedPrefix(fields[11 + i]);
            if (n != 0)
                entry->indexes[i] = n;
        }
        m_entries.push_back(std::move(entry));
    } catch (const std::bad_alloc&) {
        return false;
    }
    PlaceEntry(*m_entries.back());
    return true;
}

// Decides whether a new entry is a column of the table above it or a scalar,
// whose OID then names the instance (arc 0).
void MIBMappingTable::PlaceEntry(MIBMappingEntry& entry) {
    const MIBMappingEntry* anchor = nullptr;
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if ((*it)->nKind == MIB_KIND_TABLE || (*it)->nKind == MIB_KIND_ROOT_OID) {
            anchor = it->get();
            break;
        }
    }
    if (anchor && anchor->nKind == MIB_KIND_TABLE && IsPrefix(anchor->oid, entry.oid)) {
        entry.bColumnar = true;
        return;
    }
    if (entry.nAccess == MIB_ACCESS_READ_ONLY || entry.nAccess == MIB_ACCESS_READ_WRITE ||
        entry.nAccess == MIB_ACCESS_READ_CREATE)
        entry.oid.push_back(0);
}

}  // namespace qx
