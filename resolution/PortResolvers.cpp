#include "PortResolvers.h"

#include <optional>
#include <string>

#include "platform/text/FixedText.h"
#include "resolution/CancelTest.h"
#include "resolution/DeviceCheck.h"
#include "resolution/DiscoveryStore.h"
#include "resolution/NetwareQueueSearch.h"
#include "resolution/PortForms.h"
#include "trace/Trace.h"

namespace qx {

namespace {

// A port form that leaves no text ("http://", "IP_", ":queue") names no
// device: taking it would report an empty address as found.
int FromPortForm(const ResolverText& szAddress) {
    return szAddress[0] != 0 ? kResolved : kResolveByDiscovery;
}

const char* OrEmpty(const char* text) {
    return text ? text : "";
}

}  // namespace

int GetMfpAddress(const char* szPortName, const char* szServerName, ResolverText& szAddress,
                  int family, unsigned dwAttributes, NamedEvent* hCancelEvent) {
    if (dwAttributes & kPrinterAttributeLocal)
        return HandleLocalPrinters(szPortName, szAddress, family, hCancelEvent);
    if (dwAttributes & kPrinterAttributeNetwork)
        return HandleNetworkPrinters(szServerName, szPortName, szAddress, family, hCancelEvent);
    Trace(kTracePrefix, "GetMfpAddress: attributes 0x%x are neither local nor network",
          dwAttributes);
    return kResolveFailed;
}

int HandleLocalPrinters(const char* szPortName, ResolverText& szAddress, int family,
                        NamedEvent* hCancelEvent) {
    const char* port = OrEmpty(szPortName);
    const int kind = DetermineLocalPortType(port);
    Trace(kTracePrefix, "HandleLocalPrinters: port %s is of kind %d", port, kind);
    switch (kind) {
        case kLocalPortHttp:
            GetIPPportAddress(port, szAddress);
            return FromPortForm(szAddress);
        case kLocalPortIpp:
            return kResolveByDiscovery;
        case kLocalPortIp:
        case kLocalPortStandardTcp:
            return GetTcpPortAddress(port, szAddress, family);
        case kLocalPortUnc:
            return getlocalportaddress(port, szAddress, family, hCancelEvent);
        case kLocalPortAddress:
            CopyText(szAddress, port);
            return FromPortForm(szAddress);
        case kLocalPortColon:
            GetTextBeforeColon(port, szAddress);
            return FromPortForm(szAddress);
        default:
            return kResolveFailed;
    }
}

int HandleNetworkPrinters(const char* szServerName, const char* szPortName, ResolverText& szAddress,
                          int family, NamedEvent* hCancelEvent) {
    const char* port = OrEmpty(szPortName);
    const int kind = DetermineNetworkPortType(port);
    Trace(kTracePrefix, "HandleNetworkPrinters: port %s is of kind %d", port, kind);
    switch (kind) {
        case kNetworkPortIp: {
            std::string_view name(port);
            CopyText(szAddress, name.size() > 3 ? name.substr(3) : std::string_view());
            return FromPortForm(szAddress);
        }
        case kNetworkPortStandardTcp: {
            // Such a port is named by whoever set it up ("QXLaser"); cutting
            // three characters off its name gives no address, its monitor's
            // "IPAddress" does.
            std::optional<std::string> address = StandardTcpIpPortAddress(port);
            if (!address || !isIpAddress(*address))
                return kResolveByDiscovery;
            CopyText(szAddress, *address);
            return kResolved;
        }
        case kNetworkPortUnc:
            GetAddressFromLocalPortName(port, szAddress);
            return FromPortForm(szAddress);
        case kNetworkPortColon:
            GetTextBeforeColon(port, szAddress);
            return FromPortForm(szAddress);
        default:
            return GetPNP_SambaAddress(port, szServerName, szAddress, hCancelEvent, family);
    }
}

int getlocalportaddress(const char* szPortName, ResolverText& szAddress, int family,
                        NamedEvent* hCancelEvent) {
    GetAddressFromLocalPortName(szPortName, szAddress);
    if (IsCancelSignalled(hCancelEvent))
        return kResolveFailed;
    switch (ismfpaddress(szAddress)) {
        case kMakerDevice:
            return kResolved;
        case kNotMakerDevice:
            break;
        default:
            return kResolveFailed;
    }
    if (HasPortBeenDiscovered(szPortName, szAddress, family))
        return kResolved;
    if (FindIPXAddressFromPortName(szPortName, &szAddress))
        return kResolved;
    return kResolveByDiscovery;
}

int GetPNP_SambaAddress(const char* szPortName, const char* szServerName, ResolverText& szAddress,
                        NamedEvent* hCancelEvent, int family) {
    if (IsCancelSignalled(hCancelEvent))
        return kResolveFailed;
    std::string_view server(OrEmpty(szServerName));
    const std::string host(server.size() > 2 ? server.substr(2) : std::string_view());
    int result = kResolveFailed;
    const int check = ismfpaddress(host);
    if (check == kMakerDevice) {
        CopyText(szAddress, host);
        result = kResolved;
    } else if (check == kNotMakerDevice) {
        result =
            HasPortBeenDiscovered(szPortName, szAddress, family) ? kResolved : kResolveByDiscovery;
    }
    if (IsCancelSignalled(hCancelEvent))
        Trace(kTracePrefix, "GetPNP_SambaAddress: cancelled at the end, result %d stands", result);
    return result;
}

int GetTcpPortAddress(const char* szPortName, ResolverText& szAddress, int family) {
    if (auto address = StandardTcpIpPortAddress(szPortName))
        CopyText(szAddress, *address);
    if (isIpAddress(szAddress))
        return kResolved;
    return HasPortBeenDiscovered(szPortName, szAddress, family) ? kResolved : kResolveByDiscovery;
}

}  // namespace qx
