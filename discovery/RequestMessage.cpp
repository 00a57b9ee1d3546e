#include "RequestMessage.h"

#include <cstring>

#include "model/SnmpTarget.h"

namespace qx {

namespace {
// The community sits in a fixed six-byte field of the message.
constexpr size_t kCommunitySize = 6;
static_assert(std::char_traits<char>::length(CSnmpTarget::kCommunity) == kCommunitySize,
              "the request's community field is six bytes long");
}  // namespace

void BuildRequestDatagram(uint8_t* datagram, size_t size) {
    if (datagram == nullptr || size < kRequestMessageSize)
        return;
    std::memset(datagram, 0, size);
    uint8_t* p = datagram;
    *p++ = 0x30;  // SEQUENCE
    *p++ = 0x29;
    *p++ = 0x02;  // version: SNMPv1
    *p++ = 0x01;
    *p++ = 0x00;
    *p++ = 0x04;  // community
    *p++ = kCommunitySize;
    for (size_t i = 0; i < kCommunitySize; ++i)
        *p++ = static_cast<uint8_t>(CSnmpTarget::kCommunity[i]);
    *p++ = 0xA0;  // GetRequest-PDU
    *p++ = 0x1C;
    *p++ = 0x02;  // request-id 1
    *p++ = 0x01;
    *p++ = 0x01;
    *p++ = 0x02;  // error-status 0
    *p++ = 0x01;
    *p++ = 0x00;
    *p++ = 0x02;  // error-index 0
    *p++ = 0x01;
    *p++ = 0x00;
    *p++ = 0x30;  // variable-bindings
    *p++ = 0x11;
    *p++ = 0x30;  // one binding
    *p++ = 0x0F;
    *p++ = 0x06;  // prtGeneralPrinterName.1: 1.3.6.1.2.1.43.5.1.1.16.1
    *p++ = 0x0B;
    for (uint8_t arc : {0x2B, 0x06, 0x01, 0x02, 0x01, 0x2B, 0x05, 0x01, 0x01, 0x10, 0x01})
        *p++ = arc;
    *p++ = 0x05;  // NULL
    *p++ = 0x00;
}

bool IsAcceptedAnswer(const uint8_t* buffer, long length) {
    return buffer != nullptr && length > static_cast<long>(kErrorStatusOffset) &&
           buffer[kErrorStatusOffset] == 0;
}

}  // namespace qx
