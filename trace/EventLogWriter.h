#pragma once
// Reports events of the event source "Quorvia SNMP Agent" to the system log.
// The constructor registers the source under HKEY_LOCAL_MACHINE, as the
// application event log expects, then opens the source: a datagram connection
// to the syslog socket (QX_SYSLOG_SOCKET, else /dev/log). Each report is one
// syslog line at priority user.err/warning/info, tagged with the one-word
// kEventSourceTag (the log's tools select by tag, and a tag ends at the first
// blank), whose message names the source and gives the event id in
// hexadecimal and the insertion strings. Nothing fails loudly: a source that
// cannot be opened makes Report answer false.

#include <cstdint>
#include <string>

namespace qx {

inline constexpr const char* kEventSourceName = "Quorvia SNMP Agent";
inline constexpr const char* kEventSourceTag = "QuorviaSNMPAgent";
inline constexpr const char* kEventSourceKey =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Quorvia SNMP Agent";

constexpr uint16_t EVENTLOG_ERROR_TYPE = 0x0001;
constexpr uint16_t EVENTLOG_WARNING_TYPE = 0x0002;
constexpr uint16_t EVENTLOG_INFORMATION_TYPE = 0x0004;

// The events the server reports.
constexpr uint32_t kEventMappingFileOpenFailed = 0xC00003E9;
constexpr uint32_t kEventMappingLineInvalid = 0xC00003EA;
// The server cannot offer its classes (no session bus to be reached) and
// ends; strings: the bus address it tried, the reason.
constexpr uint32_t kEventServerUnreachable = 0xC00003EB;

class CEventLogWriter {
  public:
    // modulePath: the program file the source's messages belong to
    // ("EventMessageFile"); at most 250 characters of it are kept.
    explicit CEventLogWriter(const std::string& modulePath);
    ~CEventLogWriter();
    CEventLogWriter(const CEventLogWriter&) = delete;
    CEventLogWriter& operator=(const CEventLogWriter&) = delete;

    bool Report(uint16_t type, uint32_t eventId, uint16_t count, const char** strings);
    bool Report(uint16_t type, uint32_t eventId) { return Report(type, eventId, 0, nullptr); }

  private:
    int m_source = -1;
};

}  // namespace qx
