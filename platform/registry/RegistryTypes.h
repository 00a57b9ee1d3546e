#pragma once
// Names shared by every user of the registry store: hives, value types, access.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::reg {

enum class Hive { ClassesRoot, CurrentUser, LocalMachine };

// Registry value types, with the numbers the Windows registry gives them.
constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_EXPAND_SZ = 2;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;
constexpr uint32_t REG_DWORD_BIG_ENDIAN = 5;
constexpr uint32_t REG_LINK = 6;
constexpr uint32_t REG_MULTI_SZ = 7;
constexpr uint32_t REG_QWORD = 11;

// What a key handle may do. Opening a key of a hive the user may not write with
// Write or All access fails with ERROR_ACCESS_DENIED, as it does for a
// non-administrator on HKEY_LOCAL_MACHINE.
enum class Access { Read, Write, All };

struct Value {
    uint32_t type = REG_NONE;
    std::vector<uint8_t> data;

    static Value String(std::string_view text, uint32_t type = REG_SZ);  // with terminating zero
    static Value Dword(uint32_t v);
    static Value Qword(uint64_t v);
    static Value Binary(std::vector<uint8_t> bytes, uint32_t type = REG_BINARY);
    static Value MultiString(const std::vector<std::string>& items);

    // Text of a string value without its terminating zero (REG_SZ, REG_EXPAND_SZ);
    // the raw bytes up to the first zero for any other type.
    std::string AsString() const;
    std::vector<std::string> AsMultiString() const;
    std::optional<uint32_t> AsDword() const;  // needs 4 bytes
    std::optional<uint64_t> AsQword() const;  // needs 8 bytes

    bool operator==(const Value&) const = default;
};

// "HKEY_CURRENT_USER" and the other full names; "HKCU", "HKLM", "HKCR" are
// accepted by ParseHive (without regard to case).
const char* HiveName(Hive hive);
const char* HiveShortName(Hive hive);
std::optional<Hive> ParseHive(std::string_view name);

// "REG_SZ" and friends, "0x" and the hexadecimal number for types without a
// name; ParseTypeName accepts the names without regard to case.
std::string TypeName(uint32_t type);
std::optional<uint32_t> ParseTypeName(std::string_view name);

// Splits "HKCU\Software\X" into hive and key path ("Software\X").
bool SplitFullPath(std::string_view full, Hive& hive, std::string& path);

}  // namespace qx::reg
