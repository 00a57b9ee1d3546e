#include "ProgramPath.h"

#include <unistd.h>

#include <mutex>
#include <vector>

namespace qx {

namespace {
std::mutex g_mutex;
std::string g_override;
}  // namespace

std::string ProgramFilePath() {
    std::vector<char> buf(4096);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0)
        return {};
    return std::string(buf.data(), static_cast<size_t>(n));
}

std::string ProgramDirectory() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_override.empty())
            return g_override;
    }
    std::string file = ProgramFilePath();
    auto slash = file.rfind('/');
    if (slash == std::string::npos)
        return {};
    return file.substr(0, slash);
}

void SetProgramDirectoryForTesting(const std::string& dir) {
    std::lock_guard lock(g_mutex);
    g_override = dir;
}

}  // namespace qx
