#pragma once
// The commands of qxctl, the administration tool. Each command gets its own
// arguments (without the program and command names) and returns the exit code.

#include <string>
#include <vector>

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

namespace qxctl {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;    // one line per form, without the program name
    const char* summary;  // what it is for
    int (*run)(const Args& args);
};

int RunSettings(const Args& args);
int RunPrinters(const Args& args);
int RunDevice(const Args& args);
int RunCall(const Args& args);
int RunDiscover(const Args& args);
int RunSubmit(const Args& args);
int RunAddress(const Args& args);
int RunDialog(const Args& args);
int RunPrinterConfig(const Args& args);
// The forms of the device command.
int RunDeviceSnapshot(Args args);

// Small helpers shared by the commands.
bool TakeFlag(Args& args, const std::string& flag);
// Takes "--name VALUE"; false when absent, error set when the value is missing.
bool TakeOption(Args& args, const std::string& name, std::string& value, std::string& error);
bool ParseUint(const std::string& text, uint32_t& value);
// A signed decimal number of 32 bits.
bool ParseInt(const std::string& text, int32_t& value);
int UsageError(const std::string& command, const std::string& message);
// Creates a document-monitor object of the server (the ORVEN one with orven),
// calls the method with that dispid with inputs (and the VARIANT* out last
// when given), releases the object; the method's HRESULT.
HRESULT CallMonitorMethod(bool orven, DISPID dispid, std::vector<qx::Variant>& inputs,
                          qx::Variant* out);
// The HRESULT's name, or its code when it has none.
std::string HResultLabel(HRESULT hr);

}  // namespace qxctl
