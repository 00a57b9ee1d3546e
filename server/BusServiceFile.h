#pragma once
// What the session bus needs to start the server on demand: a service file
// in the user's D-Bus services directory ($XDG_DATA_HOME/dbus-1/services,
// default ~/.local/share/dbus-1/services) that names the bus name and the
// program. It is the bus's counterpart of the LocalServer32 key and is
// written and removed with it.

#include <string>

namespace qx {

std::string BusServiceDirectory();
std::string BusServiceFilePath();

// The Exec line's program text: the path quoted for the bus's shell-like
// parser (single quotes; a quote inside becomes '\''), then escaped for the
// key-file syntax of the service file (a backslash doubled).
std::string QuoteForServiceExec(const std::string& path);

// Writes the file (replacing it whole, so that the bus never reads half of
// it), creating the directory when needed. False when it cannot be written.
bool WriteBusServiceFile(const std::string& programPath);
// Removes the file; true also when there was none.
bool RemoveBusServiceFile();

}  // namespace qx
