#include "IdentificationTrace.h"

#include <cstdarg>
#include <cstdio>

#include "trace/Trace.h"

namespace qx {

CIdentificationTrace::CIdentificationTrace() : m_bEnabled(TraceEnabled()) {}

void CIdentificationTrace::operator()(const char* format, ...) {
    // With the trace off, formats are not expanded, as for Trace itself.
    if (!m_bEnabled)
        return;
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n >= 0)
        m_lines.emplace_back(line);
}

void CIdentificationTrace::Flush() {
    for (const std::string& line : m_lines)
        Trace(kTracePrefix, "%s", line.c_str());
    m_lines.clear();
}

}  // namespace qx
