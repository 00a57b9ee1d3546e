#include "support/RegFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry/RegFile.h"
#include "support/TempRegistry.h"

namespace qxtest {

void SeedRegistry(const std::string& regFile) {
    std::string error;
    ASSERT_EQ(qx::reg::ImportRegFile(regFile, &error), 0) << error;
}

std::string DataFile(const std::string& subsystem, const std::string& name) {
    // Under ctest the source directory is the test's own folder, which may
    // belong to another subsystem; a program started by hand sees the root of
    // the tests.
    std::filesystem::path dir = SourceDir();
    for (const auto& root :
         {dir, dir.parent_path(), std::filesystem::path(QX_TEST_SOURCE_DIR_DEFAULT)}) {
        auto file = root / subsystem / "data" / name;
        if (std::filesystem::exists(file))
            return file.string();
    }
    return (dir / subsystem / "data" / name).string();
}

}  // namespace qxtest
