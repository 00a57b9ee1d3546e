#pragma once
// What the operations of qxreg share: their switches, key names, the
// (Yes/No) question and the messages of the Windows reg command.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/RegistryTypes.h"

namespace qxreg {

using Args = std::vector<std::string>;

// A switch of one operation: "/name" or "-name", without regard to case.
struct Switch {
    const char* name;
    bool takesValue;
};

struct CommandLine {
    std::vector<std::string> positional;
    std::map<std::string, std::string> switches;  // by lower-case name
    bool help = false;

    bool Has(const std::string& name) const { return switches.count(name) != 0; }
    std::optional<std::string> Get(const std::string& name) const;
};

// Sorts the arguments into positional ones and known switches. An argument
// is a switch only when it names one of this operation's switches, so file
// names such as "/tmp/x.reg" stay positional. False for a repeated switch or
// a switch without its value.
bool ParseCommandLine(const Args& args, const std::vector<Switch>& known, CommandLine& out);

// A key name as the user gives it: "HKCU\Software\X" or "HKEY_CURRENT_USER\...".
struct KeyName {
    qx::reg::Hive hive = qx::reg::Hive::CurrentUser;
    std::string path;          // below the hive, without empty segments
    std::string Full() const;  // as reg shows it: full hive name, then the path as typed
};
bool ParseKeyName(const std::string& text, KeyName& out);

// "ERROR: Invalid syntax." and the usage hint; returns the exit code 1.
int InvalidSyntax(const char* operation);
// "ERROR: Invalid key name." and the usage hint; returns 1.
int InvalidKeyName(const char* operation);
// "ERROR: <text>"; returns 1.
int Error(const std::string& text);
// The error for a failed store call: the system text of the code, or reg's
// "unable to find" message for a missing key or value; returns 1.
int StoreError(long code);
// "The operation completed successfully."; returns 0.
int Success();
// The user said no; returns 0 as reg does.
int Cancelled();

// Asks the question (which ends in "(Yes/No)?") until the answer starts with
// Y or N; the end of the input counts as No.
bool Confirm(const std::string& question);

int RunQuery(const Args& args);
int RunAdd(const Args& args);
int RunDelete(const Args& args);
int RunExport(const Args& args);
int RunImport(const Args& args);

}  // namespace qxreg
