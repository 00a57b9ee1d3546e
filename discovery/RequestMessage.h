#pragma once
// The discovery request: one SNMPv1 GetRequest of prtGeneralPrinterName.1,
// built byte by byte (every length in the one-byte form) so that the answer's
// error-status lands at a fixed offset.

#include <cstddef>
#include <cstdint>

namespace qx {

constexpr size_t kRequestMessageSize = 43;
// In a GetResponse whose lengths are all one byte long, the error-status value.
constexpr size_t kErrorStatusOffset = 20;

// Writes the message into the datagram and zeroes the rest of it.
void BuildRequestDatagram(uint8_t* datagram, size_t size);

// An answer of `length` received bytes that reports noError. Shorter answers
// have no error-status byte at all and are not taken.
bool IsAcceptedAnswer(const uint8_t* buffer, long length);

}  // namespace qx
