#pragma once
// A small registrar: writes or removes a tree of registry keys as the
// server's registry scripts describe it. Keys marked NoRemove are never
// deleted (only what is listed below them); ForceRemove keys are deleted with
// their subtree before they are written; any other key is deleted with its
// subtree on unregistration.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/RegistryTypes.h"

namespace qx {

struct RegScriptKey {
    enum class Mode { Normal, NoRemove, ForceRemove };
    std::string name;
    Mode mode = Mode::Normal;
    std::optional<std::string> defaultValue;                  // REG_SZ
    std::vector<std::pair<std::string, std::string>> values;  // named REG_SZ values
    std::vector<RegScriptKey> subkeys;
};

// Registers or unregisters the keys below the hive's root. Returns the first
// registry error met (0 when all went well); it goes on after an error.
long RunRegistryScript(reg::Hive hive, const std::vector<RegScriptKey>& keys, bool registering);

}  // namespace qx
