#include "Trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace qx {

namespace {

// Longest line written; longer messages are cut.
constexpr size_t kMaxLine = 4096;

constexpr int kUnset = -2;
constexpr int kOff = -1;
std::atomic<int> g_fd{kUnset};
std::mutex g_setupMutex;

int OpenDestination(const char* dest) {
    if (dest == nullptr || *dest == 0)
        return kOff;
    if (std::strcmp(dest, "stderr") == 0)
        return STDERR_FILENO;
    int fd = open(dest, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    return fd < 0 ? kOff : fd;
}

int Destination() {
    int fd = g_fd.load(std::memory_order_acquire);
    if (fd != kUnset)
        return fd;
    std::lock_guard lock(g_setupMutex);
    fd = g_fd.load(std::memory_order_relaxed);
    if (fd == kUnset) {
        fd = OpenDestination(std::getenv("QX_TRACE"));
        g_fd.store(fd, std::memory_order_release);
    }
    return fd;
}

}  // namespace

bool TraceEnabled() {
    return Destination() >= 0;
}

void SetTraceDestination(const char* destination) {
    std::lock_guard lock(g_setupMutex);
    int old = g_fd.exchange(OpenDestination(destination));
    if (old > STDERR_FILENO)
        close(old);
}

}  // namespace qx

void Trace(const char* prefix, const char* format, ...) {
    int fd = qx::Destination();
    if (fd < 0)
        return;

    char line[qx::kMaxLine + 1];
    size_t len = 0;
    if (prefix) {
        len = std::min(std::strlen(prefix), qx::kMaxLine);
        std::memcpy(line, prefix, len);
    }
    if (format && len < qx::kMaxLine) {
        va_list args;
        va_start(args, format);
        int n = std::vsnprintf(line + len, qx::kMaxLine - len + 1, format, args);
        va_end(args);
        if (n > 0)
            len += std::min(static_cast<size_t>(n), qx::kMaxLine - len);
    }
    line[len++] = '\n';
    // One write per line: O_APPEND and pipes keep each line whole.
    ssize_t rc = write(fd, line, len);
    (void)rc;
}
