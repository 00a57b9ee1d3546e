#include "Console.h"

#include <cctype>
#include <cstdio>
#include <iostream>

#include "platform/system/Win32Error.h"

namespace qxreg {

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

void UsageHint(const char* operation) {
    std::fprintf(stderr, "Type \"QXREG %s/?\" for usage.\n",
                 *operation ? (Upper(operation) + " ").c_str() : "");
}

}  // namespace

std::optional<std::string> CommandLine::Get(const std::string& name) const {
    auto it = switches.find(name);
    if (it == switches.end())
        return std::nullopt;
    return it->second;
}

bool ParseCommandLine(const Args& args, const std::vector<Switch>& known, CommandLine& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const Switch* match = nullptr;
        if (a.size() > 1 && (a[0] == '/' || a[0] == '-')) {
            std::string name = Lower(a.substr(1));
            if (name == "?") {
                out.help = true;
                continue;
            }
            for (const auto& s : known)
                if (name == s.name)
                    match = &s;
        }
        if (match == nullptr) {
            out.positional.push_back(a);
            continue;
        }
        if (out.Has(match->name))
            return false;
        std::string value;
        if (match->takesValue) {
            if (i + 1 >= args.size())
                return false;
            value = args[++i];
        }
        out.switches.emplace(match->name, std::move(value));
    }
    return true;
}

std::string KeyName::Full() const {
    std::string full = qx::reg::HiveName(hive);
    if (!path.empty())
        full += "\\" + path;
    return full;
}

bool ParseKeyName(const std::string& text, KeyName& out) {
    // Remote keys ("\\host\HKLM\...") are not kept here.
    if (text.empty() || text[0] == '\\')
        return false;
    std::string rest;
    qx::reg::Hive hive;
    if (!qx::reg::SplitFullPath(text, hive, rest))
        return false;
    std::string path;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos)
            end = rest.size();
        if (end > start) {
            if (!path.empty())
                path += '\\';
            path += rest.substr(start, end - start);
        }
        start = end + 1;
    }
    out.hive = hive;
    out.path = path;
    return true;
}

int InvalidSyntax(const char* operation) {
    std::fprintf(stderr, "ERROR: Invalid syntax.\n");
    UsageHint(operation);
    return 1;
}

int InvalidKeyName(const char* operation) {
    std::fprintf(stderr, "ERROR: Invalid key name.\n");
    UsageHint(operation);
    return 1;
}

int Error(const std::string& text) {
    std::fflush(stdout);
    std::fprintf(stderr, "ERROR: %s\n", text.c_str());
    return 1;
}

int StoreError(long code) {
    if (code == qx::ERROR_FILE_NOT_FOUND || code == qx::ERROR_KEY_DELETED)
        return Error("The system was unable to find the specified registry key or value.");
    return Error(qx::SystemMessageLine(code));
}

int Success() {
    std::printf("The operation completed successfully.\n");
    return 0;
}

int Cancelled() {
    std::printf("The operation was cancelled.\n");
    return 0;
}

bool Confirm(const std::string& question) {
    for (;;) {
        std::printf("%s ", question.c_str());
        std::fflush(stdout);
        std::string answer;
        if (!std::getline(std::cin, answer)) {
            std::printf("\n");
            return false;
        }
        size_t first = answer.find_first_not_of(" \t\r");
        char c = first == std::string::npos ? 0 : static_cast<char>(std::toupper(answer[first]));
        if (c == 'Y')
            return true;
        if (c == 'N')
            return false;
    }
}

}  // namespace qxreg
