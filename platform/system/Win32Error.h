#pragma once
// Win32 error codes as the server passes them on (registry results, event texts),
// with the English system texts that FormatMessage gives for them.

#include <cstdint>
#include <string>

namespace qx {

constexpr long ERROR_SUCCESS = 0;
constexpr long ERROR_INVALID_FUNCTION = 1;
constexpr long ERROR_FILE_NOT_FOUND = 2;
constexpr long ERROR_PATH_NOT_FOUND = 3;
constexpr long ERROR_ACCESS_DENIED = 5;
constexpr long ERROR_INVALID_HANDLE = 6;
constexpr long ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr long ERROR_INVALID_DATA = 13;
constexpr long ERROR_WRITE_FAULT = 29;
constexpr long ERROR_FILE_EXISTS = 80;
constexpr long ERROR_INVALID_PARAMETER = 87;
constexpr long ERROR_DISK_FULL = 112;
constexpr long ERROR_BUSY = 170;
constexpr long ERROR_INSUFFICIENT_BUFFER = 122;
constexpr long ERROR_INVALID_LEVEL = 124;
constexpr long ERROR_ALREADY_EXISTS = 183;
constexpr long ERROR_MORE_DATA = 234;
constexpr long ERROR_NO_MORE_ITEMS = 259;
constexpr long ERROR_BADDB = 1009;
constexpr long ERROR_BADKEY = 1010;
constexpr long ERROR_CANTOPEN = 1011;
constexpr long ERROR_CANTREAD = 1012;
constexpr long ERROR_CANTWRITE = 1013;
constexpr long ERROR_REGISTRY_IO_FAILED = 1016;
constexpr long ERROR_KEY_DELETED = 1018;
constexpr long ERROR_BAD_DEVICE = 1200;
constexpr long ERROR_UNSUPPORTED_TYPE = 1630;
constexpr long ERROR_INVALID_PRINTER_NAME = 1801;
constexpr long ERROR_NOT_CONNECTED = 2250;

// The Win32 code closest to a POSIX errno value.
long Win32ErrorFromErrno(int err);

// The system's English message text for a Win32 error code, as FormatMessage
// writes it (ends with a period and CR LF), or "Unknown error (0xN)." for codes
// outside the table.
std::string SystemMessageText(long code);
// The same text without its line end, for use inside a sentence.
std::string SystemMessageLine(long code);

}  // namespace qx
