#include "AddressText.h"

#include <cctype>
#include <cstdio>

namespace qx {

namespace {

bool ParseIp(std::string_view text, int (&octets)[4]) {
    int field = 0;
    size_t i = 0;
    while (field < 4) {
        int digits = 0, value = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            if (++digits > 3)
                return false;
            value = value * 10 + (text[i] - '0');
            ++i;
        }
        if (digits == 0 || value > 255)
            return false;
        octets[field++] = value;
        if (field == 4)
            break;
        if (i >= text.size() || text[i] != '.')
            return false;
        ++i;
    }
    return i == text.size();
}

}  // namespace

bool IsValidIpAddressText(std::string_view text) {
    int octets[4];
    return ParseIp(text, octets);
}

std::optional<std::string> PrintableIpAddress(std::string_view text) {
    int o[4];
    if (!ParseIp(text, o))
        return std::nullopt;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d.%d.%d.%d", o[0], o[1], o[2], o[3]);
    return std::string(buf);
}

bool IsValidIpxAddressText(std::string_view text) {
    if (text.size() != 21 || text[8] != ':')
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (i != 8 && !std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

}  // namespace qx
