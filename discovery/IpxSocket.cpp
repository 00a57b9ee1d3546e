#include "IpxSocket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace qx {

std::unique_ptr<IpxSocket> CreateSystemIpxSocket(int& error) {
    int fd = socket(AF_IPX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    // A kernel that still had IPX would need its own address layout here;
    // this port never speaks IPX itself.
    close(fd);
    error = EAFNOSUPPORT;
    return nullptr;
}

}  // namespace qx
