#pragma once
// The address range that IP answers must lie in: the host's subnet worked
// out octet by octet from its mask, or a range the user stored. Addresses are
// compared octet by octet, never as one 32-bit number, so a range whose
// octets are not nested (10.0.0.5 to 10.0.1.3) keeps only the addresses whose
// every octet lies between the same octets of its ends.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/net/HostResolver.h"

namespace qx {

// Dotted decimal of four octets; nullopt for anything else.
std::optional<Ipv4Address> ParseIpOctets(std::string_view text);

// 1 when every octet of a is <= (>=) the same octet of b, else 0.
int IsLessThanEq(const Ipv4Address& a, const Ipv4Address& b);
int IsGreaterThanEq(const Ipv4Address& a, const Ipv4Address& b);

// The range of the host's subnet; a mask of 0.0.0.0 gives 0.0.0.0 for both
// ends, which no answer passes.
void ComputeSubnetRange(const Ipv4Address& mask, const Ipv4Address& host, Ipv4Address& from,
                        Ipv4Address& to);

struct AddressRange {
    std::string from;  // dotted text
    std::string to;
};

// The range a run of `family` uses, from its settings: the stored
// "DoIpDiscoveryRangeFrom"/"DoIpDiscoveryRangeTo" when IP discovery is off
// and both are valid; otherwise the host's subnet. The use-subnet setting is
// taken as 1, whatever is stored, as the dialogs do when they load.
AddressRange LoadDiscoveryRange(uint32_t family, const std::string& mask, const std::string& host);

// Whether the dotted address lies in the range; an end that is no valid
// address counts as 0.0.0.0.
bool IsInRange(std::string_view address, const AddressRange& range);

}  // namespace qx
