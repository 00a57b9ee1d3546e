// qxreg export and import: registry files in the format of the Windows tools.

#include <unistd.h>

#include <cstdio>

#include "Console.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/RegistryKey.h"

namespace qxreg {

namespace {

const char kExportUsage[] =
    "\n"
    "QXREG EXPORT KeyName FileName [/y]\n"
    "\n"
    "  Keyname    ROOTKEY[\\SubKey] (local machine only).\n"
    "    ROOTKEY  [ HKLM | HKCU | HKCR ] or the full names\n"
    "    SubKey   The full name of a registry key under the selected ROOTKEY.\n"
    "\n"
    "  FileName   The name of the disk file to export.\n"
    "\n"
    "  /y         Force overwriting the existing file without prompt.\n"
    "\n"
    "Examples:\n"
    "\n"
    "  QXREG EXPORT HKCU\\Software\\KORVALEN client.reg\n"
    "    Exports all subkeys and values of the key KORVALEN to the file client.reg\n";

const char kImportUsage[] =
    "\n"
    "QXREG IMPORT FileName\n"
    "\n"
    "  FileName  The name of the disk file to import (local machine only).\n"
    "\n"
    "Examples:\n"
    "\n"
    "  QXREG IMPORT client.reg\n"
    "    Imports registry entries from the file client.reg\n";

}  // namespace

int RunExport(const Args& args) {
    CommandLine cl;
    if (!ParseCommandLine(args, {{"y", false}, {"reg:32", false}, {"reg:64", false}}, cl))
        return InvalidSyntax("export");
    if (cl.help) {
        std::printf("%s", kExportUsage);
        return 0;
    }
    if (cl.positional.size() != 2)
        return InvalidSyntax("export");
    KeyName name;
    if (!ParseKeyName(cl.positional[0], name))
        return InvalidKeyName("export");
    const std::string& file = cl.positional[1];

    qx::reg::Key key;
    if (long err = qx::reg::Key::Open(name.hive, name.path, qx::reg::Access::Read, key))
        return StoreError(err);
    if (!cl.Has("y") && access(file.c_str(), F_OK) == 0 &&
        !Confirm("File " + file + " already exists. Overwrite (Yes/No)?"))
        return Cancelled();
    std::string error;
    if (qx::reg::ExportRegFile(name.hive, name.path, file, &error))
        return Error(error);
    return Success();
}

int RunImport(const Args& args) {
    CommandLine cl;
    if (!ParseCommandLine(args, {{"reg:32", false}, {"reg:64", false}}, cl))
        return InvalidSyntax("import");
    if (cl.help) {
        std::printf("%s", kImportUsage);
        return 0;
    }
    if (cl.positional.size() != 1)
        return InvalidSyntax("import");
    std::string error;
    if (qx::reg::ImportRegFile(cl.positional[0], &error))
        return Error(error);
    return Success();
}

}  // namespace qxreg
