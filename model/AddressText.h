#pragma once
// Checks of device address texts, as the SNMP library's address classes make
// them: an IPv4 address in dotted decimal, or an IPX address of 8 hexadecimal
// digits of network number, ":" and 12 hexadecimal digits of node number.

#include <optional>
#include <string>
#include <string_view>

namespace qx {

// Four dot-separated fields of one to three decimal digits, each at most 255.
bool IsValidIpAddressText(std::string_view text);
// The address as the library prints it ("%d.%d.%d.%d", leading zeros gone);
// nullopt when the text is not a valid IPv4 address.
std::optional<std::string> PrintableIpAddress(std::string_view text);

// "NNNNNNNN:NNNNNNNNNNNN" in hexadecimal digits of either case.
bool IsValidIpxAddressText(std::string_view text);

}  // namespace qx
