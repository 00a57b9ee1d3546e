#pragma once
// The developer's debug trace. Silent unless switched on at run time by the
// environment variable QX_TRACE ("stderr", or the path of a file that lines are
// appended to). When off, a call returns before its format is looked at; when
// on, each call writes one whole line with a single write, so lines of
// different threads never interleave.

namespace qx {

// The module prefix that every call site passes first.
inline constexpr const char* kTracePrefix = "[SKORVALENMISVR] ";

bool TraceEnabled();

// Redirects the trace: "" switches it off, "stderr" or a file path on.
// Replaces what QX_TRACE said.
void SetTraceDestination(const char* destination);

}  // namespace qx

// prefix, then a printf format without its own line end, then its arguments.
void Trace(const char* prefix, const char* format, ...) __attribute__((format(printf, 2, 3)));
