#include "AddressRange.h"

#include "model/AddressText.h"
#include "settings/Settings.h"

namespace qx {

std::optional<Ipv4Address> ParseIpOctets(std::string_view text) {
    if (!IsValidIpAddressText(text))
        return std::nullopt;
    Ipv4Address a{};
    int octet = 0;
    unsigned value = 0;
    for (char c : text) {
        if (c == '.') {
            a[octet++] = static_cast<uint8_t>(value);
            value = 0;
        } else {
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
    }
    a[octet] = static_cast<uint8_t>(value);
    return a;
}

int IsLessThanEq(const Ipv4Address& a, const Ipv4Address& b) {
    for (int i = 0; i < 4; ++i)
        if (a[i] > b[i])
            return 0;
    return 1;
}

int IsGreaterThanEq(const Ipv4Address& a, const Ipv4Address& b) {
    for (int i = 0; i < 4; ++i)
        if (a[i] < b[i])
            return 0;
    return 1;
}

void ComputeSubnetRange(const Ipv4Address& mask, const Ipv4Address& host, Ipv4Address& from,
                        Ipv4Address& to) {
    if (mask == Ipv4Address{0, 0, 0, 0}) {
        from = to = Ipv4Address{0, 0, 0, 0};
        return;
    }
    for (int i = 0; i < 4; ++i) {
        // Low-order zero bits of the mask octet: 8 for a zero octet.
        unsigned t = 0;
        while (t < 8 && ((mask[i] >> (t + 1)) << (t + 1)) == mask[i])
            ++t;
        unsigned b = 1u << t;
        from[i] = static_cast<uint8_t>((host[i] / b) * b);
        to[i] = static_cast<uint8_t>((host[i] / b + 1) * b - 1);
    }
}

AddressRange LoadDiscoveryRange(uint32_t family, const std::string& mask, const std::string& host) {
    char from[260], to[260];
    GetStringSetting(SETTING_DO_IP_DISCOVERY_RANGE_FROM, from, sizeof from, family);
    GetStringSetting(SETTING_DO_IP_DISCOVERY_RANGE_TO, to, sizeof to, family);
    from[sizeof from - 1] = to[sizeof to - 1] = 0;
    const bool useSubnet = true;
    const bool ipEnabled = GetDwordSetting(SETTING_DO_IP_DISCOVERY, family) != 0;
    if ((!ipEnabled || !useSubnet) && IsValidIpAddressText(from) && IsValidIpAddressText(to))
        return {from, to};

    Ipv4Address f{}, t{};
    ComputeSubnetRange(ParseIpOctets(mask).value_or(Ipv4Address{}),
                       ParseIpOctets(host).value_or(Ipv4Address{}), f, t);
    return {DottedAddress(f), DottedAddress(t)};
}

bool IsInRange(std::string_view address, const AddressRange& range) {
    Ipv4Address a = ParseIpOctets(address).value_or(Ipv4Address{});
    Ipv4Address from = ParseIpOctets(range.from).value_or(Ipv4Address{});
    Ipv4Address to = ParseIpOctets(range.to).value_or(Ipv4Address{});
    return IsLessThanEq(a, to) && IsGreaterThanEq(a, from);
}

}  // namespace qx
