#pragma once
// Test data files in the source tree, tests/<subsystem>/data/<name>, found the
// same way whether a program runs under ctest or by hand.

#include <string>
#include <string_view>

namespace qxtest {

inline std::string TestDataPath(std::string_view subsystem, std::string_view name) {
    return std::string(QX_TESTS_ROOT_DIR) + "/" + std::string(subsystem) + "/data/" +
           std::string(name);
}

}  // namespace qxtest
