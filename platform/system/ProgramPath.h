#pragma once
// The running program's own file and directory: installation data (mapping
// files, the language library) lies beside the program.

#include <string>

namespace qx {

std::string ProgramFilePath();   // "" when it cannot be found
std::string ProgramDirectory();  // without a trailing separator

// Tests of library code run from their own binaries; they may point the
// program directory elsewhere. An empty text restores the real one.
void SetProgramDirectoryForTesting(const std::string& dir);

}  // namespace qx
