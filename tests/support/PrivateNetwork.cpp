#include "support/PrivateNetwork.h"

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace qxtest {

namespace {

bool g_requested = false;
bool g_entered = false;
std::string g_error = "the program did not ask for a private network";

bool WriteProcFile(const char* path, const std::string& text, std::string& error) {
    const int fd = open(path, O_WRONLY | O_CLOEXEC);
    bool ok = fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (!ok)
        error = std::string("writing ") + path + ": " + std::strerror(errno);
    if (fd >= 0)
        close(fd);
    return ok;
}

// Without root: a user namespace of the program's own owns the new network
// namespace, so the program may configure it. The user keeps its own id
// inside (agents started by the program run as that user, as they would
// outside); port 161 is opened to every user of this namespace alone.
bool EnterAsUser(std::string& error) {
    const std::string uid = std::to_string(geteuid());
    const std::string gid = std::to_string(getegid());
    if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
        error = std::string("unshare(CLONE_NEWUSER | CLONE_NEWNET): ") + std::strerror(errno);
        return false;
    }
    return WriteProcFile("/proc/self/setgroups", "deny", error) &&
           WriteProcFile("/proc/self/uid_map", uid + " " + uid + " 1\n", error) &&
           WriteProcFile("/proc/self/gid_map", gid + " " + gid + " 1\n", error);
}

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
    bool asUser = false;
    if (unshare(CLONE_NEWNET) != 0) {
        g_error = std::string("unshare(CLONE_NEWNET): ") + std::strerror(errno);
        std::string userError;
        if (geteuid() == 0 || !EnterAsUser(userError)) {
            if (!userError.empty())
                g_error += "; " + userError;
            return;
        }
        asUser = true;
    }
    if (!BringLoopbackUp(g_error))
        return;
    if (asUser && !WriteProcFile("/proc/sys/net/ipv4/ip_unprivileged_port_start", "0", g_error))
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
