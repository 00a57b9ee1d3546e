#include "SocketLayer.h"

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>

namespace qx {

namespace {
std::atomic<int> g_users{0};
}

bool SocketLayerStartup(uint16_t version) {
    unsigned major = version & 0xFF, minor = version >> 8;
    if (major == 0 || major > 2 || (major == 2 && minor > 2))
        return false;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    close(fd);
    ++g_users;
    return true;
}

void SocketLayerCleanup() {
    int users = g_users.load();
    while (users > 0 && !g_users.compare_exchange_weak(users, users - 1)) {
    }
}

int SocketLayerUsers() {
    return g_users.load();
}

}  // namespace qx
