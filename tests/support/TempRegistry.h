#pragma once
// A private registry store for one test: a fresh directory named by
// QX_REGISTRY_DIR for as long as the object lives.

#include <string>

namespace qxtest {

class TempRegistry {
  public:
    TempRegistry();
    ~TempRegistry();
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    const std::string& Dir() const { return m_dir; }

  private:
    std::string m_dir;
    std::string m_previous;
    bool m_hadPrevious = false;
};

// A fresh temporary directory, removed with its contents by the destructor.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }

  private:
    std::string m_path;
};

// Where the test sources (and their data folders) are.
std::string SourceDir();

}  // namespace qxtest
