#pragma once
// Libraries loaded while the program runs (LoadLibrary, GetProcAddress,
// FreeLibrary): optional helpers that may or may not be installed, looked up
// by file name. A name without a directory is taken from the program's own
// directory, where the installation puts such files.

#include <string>

namespace qx {

class RuntimeLibrary {
  public:
    RuntimeLibrary() = default;
    ~RuntimeLibrary() { Free(); }
    RuntimeLibrary(const RuntimeLibrary&) = delete;
    RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;

    // False when the file is missing or is no loadable library; Error() says why.
    bool Load(const std::string& fileName);
    void Free();
    bool Loaded() const { return m_handle != nullptr; }
    // The exported symbol, or null.
    void* Symbol(const char* name) const;
    const std::string& Error() const { return m_error; }

  private:
    void* m_handle = nullptr;
    std::string m_error;
};

}  // namespace qx
