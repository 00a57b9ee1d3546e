#include "RuntimeLibrary.h"

#include <dlfcn.h>

#include "platform/system/ProgramPath.h"

namespace qx {

bool RuntimeLibrary::Load(const std::string& fileName) {
    Free();
    m_error.clear();
    std::string path = fileName;
    // Never the loader's search path: a library of the same name elsewhere is not ours.
    if (path.find('/') == std::string::npos)
        path = ProgramDirectory() + "/" + fileName;
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        const char* e = dlerror();
        m_error = e ? e : "cannot load " + path;
        return false;
    }
    return true;
}

void RuntimeLibrary::Free() {
    if (m_handle != nullptr)
        dlclose(m_handle);
    m_handle = nullptr;
}

void* RuntimeLibrary::Symbol(const char* name) const {
    if (m_handle == nullptr || name == nullptr)
        return nullptr;
    return dlsym(m_handle, name);
}

}  // namespace qx
