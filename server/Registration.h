#pragma once
// The server's registration in HKEY_CLASSES_ROOT (the AppID, the ProgIDs and
// class keys of the three classes, the type library) and on the session bus
// (the service file that lets the bus start the program).

#include <string>
#include <vector>

#include "Registrar.h"

namespace qx {

// Registry script 100 (AppID) or 101 to 103 (one per object-table row).
// LocalServer32 holds the program's path exactly as it is: the keys are
// built here, not parsed from script text, so there is no script quoting to
// undo (a doubled quote would name a program that does not exist).
std::vector<RegScriptKey> RegistryScript(int scriptId, const std::string& programPath);
long UpdateRegistryFromScript(int scriptId, bool registering, const std::string& programPath);

// What registering a type library writes: TypeLib\{LIBID}\1.0 with its help
// string, the locale's win32 path, FLAGS and HELPDIR, and Interface\{IID}
// for each interface with its name, proxy-stub class and library. Removal
// deletes the version (and the library key when no version is left) and the
// interface keys that name this library.
long RegisterTypeLibrary(const std::string& programPath);
long UnregisterTypeLibrary();

// The object table's rows, the type library and the bus service file: done
// on every start, and once more by "RegServer"; undone by "UnregServer".
// Every step is tried; false when any failed, with what failed appended to
// *failures (one "; "-separated item per step) and traced.
bool RegisterServer(const std::string& programPath, std::string* failures = nullptr);
bool UnregisterServer(std::string* failures = nullptr);

// Runs registry scripts 100 to 103 in either direction, as the command-line
// switches do; false and *failures as above.
bool UpdateRegistryFromAllScripts(bool registering, const std::string& programPath,
                                  std::string* failures = nullptr);

// Deletes the automatic-start value "Quorvia KORVALENMISVR" from the current
// user's Run key, when the key can be opened.
void DeleteRunValue();

}  // namespace qx
