#pragma once
// GUIDs: class, interface, application and type-library identifiers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct GUID {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};

    bool operator==(const GUID&) const = default;

    // Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional, hex
    // digits of either case); nullopt for anything else.
    static std::optional<GUID> Parse(std::string_view text);
    // Upper-case registry form with braces, as StringFromGUID2 writes it.
    std::string ToString() const;
};

using CLSID = GUID;
using IID = GUID;
using REFGUID = const GUID&;
using REFCLSID = const GUID&;
using REFIID = const GUID&;

constexpr GUID GUID_NULL{};

// A GUID from a literal the compiler checks: MakeGuid("2E09E4B8-245E-4ebc-817A-F708207473B7").
consteval GUID MakeGuid(const char (&s)[37]) {
    auto hex = [](char c) -> uint32_t {
        if (c >= '0' && c <= '9')
            return static_cast<uint32_t>(c - '0');
        if (c >= 'a' && c <= 'f')
            return static_cast<uint32_t>(c - 'a' + 10);
        if (c >= 'A' && c <= 'F')
            return static_cast<uint32_t>(c - 'A' + 10);
        throw "not a hexadecimal digit";
    };
    auto field = [&](int from, int digits) {
        uint32_t v = 0;
        for (int i = 0; i < digits; ++i)
            v = (v << 4) | hex(s[from + i]);
        return v;
    };
    if (s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-')
        throw "not a GUID";
    GUID g;
    g.Data1 = field(0, 8);
    g.Data2 = static_cast<uint16_t>(field(9, 4));
    g.Data3 = static_cast<uint16_t>(field(14, 4));
    g.Data4[0] = static_cast<uint8_t>(field(19, 2));
    g.Data4[1] = static_cast<uint8_t>(field(21, 2));
    for (int i = 0; i < 6; ++i)
        g.Data4[2 + i] = static_cast<uint8_t>(field(24 + 2 * i, 2));
    return g;
}

// Lets GUIDs key unordered containers.
struct GuidHash {
    size_t operator()(const GUID& g) const noexcept;
};
