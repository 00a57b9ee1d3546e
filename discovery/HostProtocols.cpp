#include "HostProtocols.h"

#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "platform/net/HostResolver.h"
#include "platform/net/InterfaceList.h"
#include "trace/Trace.h"

namespace qx {

namespace {
// Room for 20 entries, as the interface-list request's 1520-byte buffer.
constexpr size_t kMaxInterfaces = 20;
}  // namespace

void CheckInstalledProtocols2(HostProtocols& host, uint32_t family) {
    host.bIpAvailable = false;
    host.bIpxAvailable = false;

    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd >= 0) {
        close(fd);
        char name[260] = {};
        if (gethostname(name, sizeof name - 1) == 0) {
            if (auto address = ResolveHostIPv4(name)) {
                std::string text = DottedAddress(*address);
                // A resolver that maps the host name to a loopback address
                // other than 127.0.0.1 (Debian's 127.0.1.1) leaves the host
                // just as unreachable for devices.
                host.bIpAvailable = (*address)[0] != 127 && text != "0.0.0.0";
                Trace(kTracePrefix,
                      "CDseDiscoveryDlg::CheckInstalledProtocols2(): user has IP address %s",
                      text.c_str());
                host.strHostAddress = text;
            }
        }
    }
    host.bIpxAvailable = NetwareClientCheck(family, host.netware) != 0;
}

void GetSubnetMask(HostProtocols& host) {
    std::vector<InterfaceEntry> list;
    if (!GetInterfaceList(list, kMaxInterfaces))
        return;
    for (const InterfaceEntry& e : list) {
        if (e.loopback)
            continue;
        std::string mask = DottedAddress(e.netmask);
        if (mask != "0.0.0.0") {
            Trace(kTracePrefix, "CDseDiscoveryDlg::GetSubnetMask() mask is %s", mask.c_str());
            host.strMask = mask;
            return;
        }
        Trace(kTracePrefix, "CDseDiscoveryDlg::GetSubnetMask() mask is 0.0.0.0");
    }
}

HostProtocols ExamineHost(uint32_t family) {
    HostProtocols host;
    CheckInstalledProtocols2(host, family);
    if (host.bIpAvailable)
        GetSubnetMask(host);
    else
        host.strMask = "0.0.0.0";
    return host;
}

}  // namespace qx
