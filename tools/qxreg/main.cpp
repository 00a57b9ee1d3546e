// qxreg: reads and changes the registry store from the command line, with
// the syntax, the output and the exit codes of the Windows reg command, so
// that administrators' scripts and habits carry over.

#include <strings.h>

#include <cstdio>
#include <string>

#include "Console.h"

namespace {

struct Operation {
    const char* name;
    int (*run)(const qxreg::Args&);
};

constexpr Operation kOperations[] = {
    {"query", qxreg::RunQuery},   {"add", qxreg::RunAdd},       {"delete", qxreg::RunDelete},
    {"export", qxreg::RunExport}, {"import", qxreg::RunImport},
};

void PrintUsage() {
    std::printf(
        "\n"
        "QXREG Operation [Parameter List]\n"
        "\n"
        "  Operation  [ QUERY   | ADD    | DELETE | EXPORT | IMPORT ]\n"
        "\n"
        "Return Code:\n"
        "\n"
        "  0 - Successful\n"
        "  1 - Failed\n"
        "\n"
        "For help on a specific operation type:\n"
        "\n"
        "  QXREG Operation /?\n"
        "\n"
        "Examples:\n"
        "\n"
        "  QXREG QUERY /?\n"
        "  QXREG ADD /?\n"
        "  QXREG DELETE /?\n"
        "  QXREG EXPORT /?\n"
        "  QXREG IMPORT /?\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return qxreg::InvalidSyntax("");
    std::string op = argv[1];
    if (op == "/?" || op == "-?" || op == "--help") {
        PrintUsage();
        return 0;
    }
    for (const auto& o : kOperations)
        if (strcasecmp(op.c_str(), o.name) == 0)
            return o.run(qxreg::Args(argv + 2, argv + argc));
    std::fprintf(stderr, "ERROR: Invalid argument/option - '%s'.\n", op.c_str());
    std::fprintf(stderr, "Type \"QXREG /?\" for usage.\n");
    return 1;
}
