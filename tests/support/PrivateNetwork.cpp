#include "support/PrivateNetwork.h"

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qxtest {

namespace {

bool g_requested = false;
bool g_entered = false;
std::string g_error = "the program did not ask for a private network";

bool BringLoopbackUp(std::string& error) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    ifreq ifr{};
    std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ioctl(fd, SIOCGIFFLAGS, &ifr) == 0;
    if (ok) {
        ifr.ifr_flags = static_cast<short>(ifr.ifr_flags | IFF_UP);
        ok = ioctl(fd, SIOCSIFFLAGS, &ifr) == 0;
    }
    if (!ok)
        error = std::string("bringing lo up: ") + std::strerror(errno);
    close(fd);
    return ok;
}

}  // namespace

void RequestPrivateNetwork() {
    g_requested = true;
}

bool PrivateNetworkRequested() {
    return g_requested;
}

void EnterRequestedPrivateNetwork() {
    if (!g_requested || g_entered)
        return;
    if (unshare(CLONE_NEWNET) != 0) {
        g_error = std::string("unshare(CLONE_NEWNET): ") + std::strerror(errno);
        return;
    }
    if (!BringLoopbackUp(g_error))
        return;
    g_entered = true;
    g_error.clear();
}

bool InPrivateNetwork() {
    return g_entered;
}

const std::string& PrivateNetworkError() {
    return g_error;
}

}  // namespace qxtest
