#include "CommandLine.h"

#include "platform/text/TextCase.h"

#include <cctype>

namespace qx {

std::string JoinCommandLine(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

CommandLineAction ScanCommandLine(std::string_view line) {
    // '-' and '/' never occur inside a multibyte UTF-8 character, so stepping
    // byte by byte finds the same separators as a character-wise scan.
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '-' && line[i] != '/')
            continue;
        std::string_view token = line.substr(i + 1);
        if (EqualsNoCase(token, "UnregServer"))
            return CommandLineAction::UnregServer;
        if (EqualsNoCase(token, "RegServer"))
            return CommandLineAction::RegServer;
    }
    return CommandLineAction::RunServer;
}

}  // namespace qx
