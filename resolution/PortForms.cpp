#include "PortForms.h"

#include <cstring>

#include "platform/net/HostResolver.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"
#include "platform/text/FixedText.h"
#include "trace/Trace.h"

namespace qx {

namespace {

bool Contains(const char* text, const char* part) {
    return std::strstr(text, part) != nullptr;
}

// A key name holds no backslash, so a port such as \\host\queue has no
// monitor key; nor has a port without a name (that would open the list of
// ports itself).
bool CanHaveMonitorKey(const char* szPortName) {
    return szPortName != nullptr && *szPortName != 0 && std::strchr(szPortName, '\\') == nullptr;
}

bool OpenStandardTcpIpPort(const char* szPortName, reg::Key& key) {
    if (!CanHaveMonitorKey(szPortName))
        return false;
    return reg::Key::Open(reg::Hive::LocalMachine,
                          std::string(kStandardTcpIpPortKeyPrefix) + szPortName, reg::Access::Read,
                          key) == ERROR_SUCCESS;
}

}  // namespace

int isIpAddress(std::string_view text) {
    int fields = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t dot = text.find('.', pos);
        std::string_view field =
            text.substr(pos, dot == std::string_view::npos ? std::string_view::npos : dot - pos);
        pos = dot == std::string_view::npos ? text.size() + 1 : dot + 1;
        if (field.empty())
            continue;
        if (++fields > 4 || field.size() > 3)
            return 0;
        int value = 0;
        for (char c : field) {
            if (c < '0' || c > '9')
                return 0;
            value = value * 10 + (c - '0');
        }
        if (value > 255)
            return 0;
    }
    return fields >= 1 ? 1 : 0;
}

std::optional<std::string> ResolveHostName(std::string_view name) {
    // The original opened a raw ICMP socket first, as a check that sockets
    // work; it sends nothing and needs privileges here, so the name goes
    // straight to the resolver.
    if (auto address = ResolveHostIPv4(name))
        return DottedAddress(*address);
    return std::nullopt;
}

int IsStandardTcpIpPort(const char* szPortName) {
    reg::Key key;
    return OpenStandardTcpIpPort(szPortName, key) ? 1 : 0;
}

std::optional<std::string> StandardTcpIpPortAddress(const char* szPortName) {
    reg::Key key;
    if (!OpenStandardTcpIpPort(szPortName, key))
        return std::nullopt;
    ResolverText value;
    uint32_t type = 0;
    uint32_t size = sizeof value;
    if (key.QueryValue("IPAddress", &type, value, &size) != ERROR_SUCCESS ||
        (type != reg::REG_SZ && type != reg::REG_EXPAND_SZ))
        return std::nullopt;
    value[size < sizeof value ? size : sizeof value - 1] = 0;
    return std::string(value);
}

int DetermineLocalPortType(const char* szPortName) {
    if (szPortName == nullptr)
        return kLocalPortUnknown;
    if (Contains(szPortName, "http://"))
        return kLocalPortHttp;
    if (Contains(szPortName, "ipp://"))
        return kLocalPortIpp;
    if (Contains(szPortName, "IP_"))
        return kLocalPortIp;
    if (IsStandardTcpIpPort(szPortName))
        return kLocalPortStandardTcp;
    if (Contains(szPortName, "\\\\"))
        return kLocalPortUnc;
    if (isIpAddress(szPortName) || ResolveHostName(szPortName))
        return kLocalPortAddress;
    if (Contains(szPortName, ":"))
        return kLocalPortColon;
    return kLocalPortUnknown;
}

int DetermineNetworkPortType(const char* szPortName) {
    if (szPortName == nullptr)
        return kNetworkPortShare;
    if (Contains(szPortName, "IP_"))
        return kNetworkPortIp;
    if (IsStandardTcpIpPort(szPortName))
        return kNetworkPortStandardTcp;
    if (Contains(szPortName, "\\\\"))
        return kNetworkPortUnc;
    if (Contains(szPortName, ":"))
        return kNetworkPortColon;
    return kNetworkPortShare;
}

void GetIPPportAddress(const char* szPortName, ResolverText& szAddress) {
    std::string_view port(szPortName ? szPortName : "");
    std::string_view host;
    size_t slash = port.find('/');
    if (slash != std::string_view::npos && slash + 2 <= port.size()) {
        host = port.substr(slash + 2);
        host = host.substr(0, host.find('/'));
        host = host.substr(0, host.find(':'));
    }
    CopyText(szAddress, host);
}

void GetAddressFromLocalPortName(const char* szPortName, ResolverText& szAddress) {
    std::string_view port(szPortName ? szPortName : "");
    size_t last = port.rfind('\\');
    if (last != std::string_view::npos)
        port = port.substr(0, last);
    CopyText(szAddress, port.size() > 2 ? port.substr(2) : std::string_view());
}

void GetTextBeforeColon(const char* szPortName, ResolverText& szAddress) {
    std::string_view port(szPortName ? szPortName : "");
    CopyText(szAddress, port.substr(0, port.find(':')));
}

}  // namespace qx
