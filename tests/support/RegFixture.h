#pragma once
// Seeds the registry store from a .reg file ("Windows Registry Editor Version
// 5.00"), the way an administrator imports one. Tests set their stores up
// only through this helper.

#include <string>

namespace qxtest {

// Imports the file into the current store (see TempRegistry); a file that
// cannot be read or holds a line that is not understood fails the test.
void SeedRegistry(const std::string& regFile);

// The path of a file in the data folder of a test subsystem:
// DataFile("inventory", "printers.reg").
std::string DataFile(const std::string& subsystem, const std::string& name);

}  // namespace qxtest
