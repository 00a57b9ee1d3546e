#pragma once
// The server's command line. Like the platform it comes from, the program sees
// one line (its arguments joined by blanks); a switch is "-" or "/" followed
// by the rest of the line, so only a switch that ends the line counts.

#include <string>
#include <string_view>

namespace qx {

enum class CommandLineAction { RunServer, RegServer, UnregServer };

// The line the scan reads: the arguments after the program name, joined by one blank.
std::string JoinCommandLine(int argc, const char* const* argv);

// Finds each '-' or '/' in turn; the token after it runs to the end of the
// line and is compared, without regard to case, with "UnregServer" and then
// "RegServer". The first match wins; no match starts the server.
CommandLineAction ScanCommandLine(std::string_view line);

}  // namespace qx
