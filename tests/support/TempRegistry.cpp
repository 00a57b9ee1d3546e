#include "support/TempRegistry.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/registry/RegistryKey.h"

namespace qxtest {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qx-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

TempRegistry::TempRegistry() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qx-reg-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_dir = pattern;
    if (const char* prev = std::getenv("QX_REGISTRY_DIR")) {
        m_hadPrevious = true;
        m_previous = prev;
    }
    setenv("QX_REGISTRY_DIR", m_dir.c_str(), 1);
    qx::reg::ResetStoreConnections();
}

TempRegistry::~TempRegistry() {
    qx::reg::ResetStoreConnections();
    if (m_hadPrevious)
        setenv("QX_REGISTRY_DIR", m_previous.c_str(), 1);
    else
        unsetenv("QX_REGISTRY_DIR");
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

std::string SourceDir() {
    const char* dir = std::getenv("QX_TEST_SOURCE_DIR");
    return dir ? dir : QX_TEST_SOURCE_DIR_DEFAULT;
}

}  // namespace qxtest
