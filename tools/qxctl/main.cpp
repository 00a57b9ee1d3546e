// qxctl: looks at and drives the printer-management server's pieces from the
// command line: settings, devices, printers and automation calls.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "Commands.h"

namespace qxctl {

static const Command kCommands[] = {
    {"settings", "settings [--family N] [--json]",
     "every setting with its effective value and whether it is the default", RunSettings},
    {"printers",
     "printers [--family N] [--name NAME] [--resolve] [--spooler-addresses] [--store] [--json]",
     "the printers table: each printer's shell names, port, DSSC controller and address; "
     "--store writes the addresses to the PrinterDiscovery store",
     RunPrinters},
    {"device",
     "device get ADDRESS EID [IDX1 [IDX2]] [--next] [--text] [--timeout HUNDREDTHS]\n"
     "device snapshot ADDRESS [--family CODE] [--json]",
     "reads one mapped element of a device over SNMP; snapshot: the printer summary table "
     "of a device (and its tandem partner), refreshed",
     RunDevice},
    {"call", "call PROGID|{CLSID} METHOD [ARG...] [--json]",
     "creates a server object, calls one method (ARG: text, or i2:N i4:N bool:N bstr:TEXT empty:),"
     " prints the HRESULT and out values, releases the object; exit 0 when the call succeeded",
     RunCall},
    {"discover",
     "discover [--family N] [--range FROM-TO] [--json]\n"
     "discover --caller N [--range FROM-TO] [--no-component] [--json]\n"
     "discover --network [--family N] [--mode N] [--range FROM-TO] [--no-component] [--json]",
     "one IP broadcast discovery run with the family's settings (or the given range): the "
     "answers in arrival order and whether each passed the range; --caller or --network also "
     "lists the devices (name, address, location, model) as the local or the network discovery "
     "dialog would, with the management component's unless --no-component",
     RunDiscover},
    {"submit", "submit PRINTER SUBMISSION-ID [--orven]",
     "hands a submission to the Tendra monitor through the server (SubmitDocument); "
     "prints the result; exit 0 for S_OK",
     RunSubmit},
    {"address", "address PRINTER [--orven]",
     "asks the server for a printer's device address (GetPrinterAddress); prints the result "
     "and the address; exit 0 for S_OK",
     RunAddress},
    {"dialog",
     "dialog local --caller N [--family F] [--screenshot DIR]\n"
     "dialog network --family F [--mode M] [--screenshot DIR]",
     "opens a discovery dialog as an automation method would and prints the result when it "
     "closes (the chosen address and name, or \"cancelled\"); --screenshot saves pictures of "
     "it idle, discovering and with the devices found, and closes it",
     RunDialog},
    {"printer-config", "printer-config PRINTER [--instance 0|1] [--family CODE] [--json]",
     "what a printer driver asks over the bus: InitPrinter for the printer (family code 3 "
     "unless given), then every getter, one line each: name, HRESULT, value as the driver "
     "reads it; exit 0 when InitPrinter answered S_OK",
     RunPrinterConfig},
};

// Calls print(line) for each form of a command's usage.
template <typename Print>
static void ForEachForm(const char* usage, Print print) {
    std::string forms = usage;
    size_t start = 0;
    for (size_t end; (end = forms.find('\n', start)) != std::string::npos; start = end + 1)
        print(forms.substr(start, end - start));
    print(forms.substr(start));
}

static void PrintUsage(FILE* to) {
    std::fprintf(to, "usage: qxctl COMMAND [ARGS...]\n\ncommands:\n");
    for (const auto& c : kCommands) {
        bool first = true;
        ForEachForm(c.usage, [&](const std::string& form) {
            if (first)
                std::fprintf(to, "  %-44s %s\n", form.c_str(), c.summary);
            else
                std::fprintf(to, "  %s\n", form.c_str());
            first = false;
        });
    }
}

const Command* FindCommand(const char* name) {
    for (const auto& c : kCommands)
        if (std::strcmp(c.name, name) == 0)
            return &c;
    return nullptr;
}

int UsageError(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "qxctl %s: %s\n", command.c_str(), message.c_str());
    if (const Command* c = FindCommand(command.c_str()))
        ForEachForm(c->usage, [](const std::string& form) {
            std::fprintf(stderr, "usage: qxctl %s\n", form.c_str());
        });
    return 2;
}

bool TakeFlag(Args& args, const std::string& flag) {
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (*it == flag) {
            args.erase(it);
            return true;
        }
    }
    return false;
}

bool TakeOption(Args& args, const std::string& name, std::string& value, std::string& error) {
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (*it == name) {
            if (std::next(it) == args.end()) {
                error = name + " needs a value";
                args.erase(it);
                return false;
            }
            value = *std::next(it);
            args.erase(it, it + 2);
            return true;
        }
        if (it->rfind(name + "=", 0) == 0) {
            value = it->substr(name.size() + 1);
            args.erase(it);
            return true;
        }
    }
    return false;
}

bool ParseUint(const std::string& text, uint32_t& value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (*end != 0 || v > 0xFFFFFFFFull || text[0] == '-')
        return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool ParseInt(const std::string& text, int32_t& value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (*end != 0 || errno != 0 || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

}  // namespace qxctl

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        qxctl::PrintUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const qxctl::Command* command = qxctl::FindCommand(argv[1]);
    if (command == nullptr) {
        std::fprintf(stderr, "qxctl: unknown command \"%s\"\n", argv[1]);
        qxctl::PrintUsage(stderr);
        return 2;
    }
    return command->run(qxctl::Args(argv + 2, argv + argc));
}
