#pragma once
// Registry files (".reg"), as the Windows registry tools write and read them:
// exporting a key with its subtree, importing a file into the store the way
// an administrator would, and the parsing and formatting underneath.
//
// Version 5 files ("Windows Registry Editor Version 5.00") are written as
// UTF-16LE with a byte-order mark and CR LF line ends; their REG_SZ,
// REG_EXPAND_SZ and REG_MULTI_SZ bytes in hex form are UTF-16LE and are
// converted to and from the store's UTF-8. "REGEDIT4" files hold 8-bit text
// throughout. Both are read from UTF-16LE (with byte-order mark) or UTF-8
// (with or without one).
//
// Every function returns a Win32 error code; *error (when given) receives a
// text for a person that names the file, the line and what was done.

#include <string>
#include <string_view>
#include <vector>

#include "RegistryTypes.h"

namespace qx::reg {

enum class RegFileFormat {
    Version5,  // "Windows Registry Editor Version 5.00"
    Regedit4,  // "REGEDIT4"
};

// One instruction of a registry file, in file order.
struct RegFileOp {
    enum class Kind {
        CreateKey,    // [KEY]: the key is created, later values go there
        DeleteKey,    // [-KEY]: the key and its subtree go
        SetValue,     // "name"=data, @=data
        DeleteValue,  // "name"=-
    };
    Kind kind = Kind::CreateKey;
    Hive hive = Hive::CurrentUser;
    std::string path;  // key path below the hive, without empty segments
    std::string name;  // value name, "" for the default value
    Value value;       // SetValue only
    int line = 0;      // line of the file where it was given
};

struct RegFileContent {
    RegFileFormat format = RegFileFormat::Version5;
    std::vector<RegFileOp> ops;
};

// Parses a whole file's bytes. On malformed input returns ERROR_INVALID_DATA
// with "line N: ..." in *error and leaves out alone.
long ParseRegFile(std::string_view bytes, RegFileContent& out, std::string* error);

// The key hive\keyPath with its subtree as the bytes of a registry file:
// sections depth first, subkeys in the order the store enumerates them,
// values in theirs. A key name with a line break cannot be written
// (ERROR_INVALID_DATA).
long FormatRegFile(Hive hive, std::string_view keyPath, RegFileFormat format, std::string& bytes,
                   std::string* error);

// Carries out parsed instructions on the store, in order. A failing write
// stops there; *error says which line failed and up to where the file was
// applied. source names the file in messages.
long ApplyRegFile(const RegFileContent& content, const std::string& source, std::string* error);

// Parses and applies the bytes of a file; nothing is written unless the
// whole file parses.
long ImportRegData(std::string_view bytes, const std::string& source, std::string* error);

// Reads and imports the file at path.
long ImportRegFile(const std::string& path, std::string* error);

// Writes hive\keyPath with its subtree to fileName (replacing the file).
long ExportRegFile(Hive hive, std::string_view keyPath, const std::string& fileName,
                   std::string* error = nullptr, RegFileFormat format = RegFileFormat::Version5);

}  // namespace qx::reg
