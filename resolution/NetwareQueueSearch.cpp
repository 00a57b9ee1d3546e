#include "NetwareQueueSearch.h"

#include <cstdio>
#include <cstring>

#include "platform/text/FixedText.h"
#include "trace/Trace.h"

namespace qx {

int ParseIPXQUEName(const char* szPortName, ResolverText& szQueueName) {
    if (szPortName == nullptr)
        return 0;
    const char* last = std::strrchr(szPortName, '\\');
    if (last == nullptr || last[1] == 0)
        return 0;
    CopyText(szQueueName, last + 1);
    return 1;
}

int FindIPXAddressFromPortName(const char* szPortName, ResolverText* pszAddress) {
    if (szPortName == nullptr || pszAddress == nullptr)
        return 0;
    ResolverText szQueueName;
    if (!ParseIPXQUEName(szPortName, szQueueName))
        return 0;
    // The SAP name space belongs to the NetWare client of the original
    // platform; nothing here answers a lookup of the maker's service class.
    Trace(kTracePrefix,
          "FindIPXAddressFromPortName: no SAP name space, the lookup for queue %s cannot begin",
          szQueueName);
    return 0;
}

std::string NetwareIpxAddressText(const std::array<uint8_t, 4>& network,
                                  const std::array<uint8_t, 6>& node) {
    char text[22];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x:%02x%02x%02x%02x%02x%02x", network[0],
                  network[1], network[2], network[3], node[0], node[1], node[2], node[3], node[4],
                  node[5]);
    return text;
}

}  // namespace qx
