#include "EventLogWriter.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/registry/RegistryKey.h"

namespace qx {

namespace {

constexpr size_t kMaxModulePath = 250;

// Creates the key if needed and writes one value; false on any failure. A
// value that is already there as it should be is left alone: the source is
// registered on every start, and a write to the store costs a disk flush.
bool WriteMachineValue(const char* keyPath, const char* name, const reg::Value& value) {
    reg::Key key;
    reg::Value stored;
    if (reg::Key::Open(reg::Hive::LocalMachine, keyPath, reg::Access::Read, key) == 0 &&
        key.GetValue(name, stored) == 0 && stored == value)
        return true;
    if (reg::Key::Create(reg::Hive::LocalMachine, keyPath, key) != 0)
        return false;
    return key.SetValue(name, value) == 0;
}

int OpenSource() {
    const char* path = std::getenv("QX_SYSLOG_SOCKET");
    if (path == nullptr || *path == 0)
        path = "/dev/log";
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof addr.sun_path)
        return -1;
    std::strcpy(addr.sun_path, path);
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int SyslogSeverity(uint16_t type) {
    switch (type) {
        case EVENTLOG_ERROR_TYPE:
            return 3;  // err
        case EVENTLOG_WARNING_TYPE:
            return 4;  // warning
        default:
            return 6;  // info
    }
}

// Insertion strings go on one line: line ends become blanks.
void AppendFlat(std::string& out, const char* s) {
    for (; s && *s; ++s)
        out.push_back(*s == '\r' || *s == '\n' ? ' ' : *s);
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
}

}  // namespace

CEventLogWriter::CEventLogWriter(const std::string& modulePath) {
    std::string file = modulePath.substr(0, kMaxModulePath);
    WriteMachineValue(kEventSourceKey, "EventMessageFile", reg::Value::String(file));
    WriteMachineValue(kEventSourceKey, "TypesSupported", reg::Value::Dword(7));
    m_source = OpenSource();
}

CEventLogWriter::~CEventLogWriter() {
    if (m_source >= 0)
        close(m_source);
}

bool CEventLogWriter::Report(uint16_t type, uint32_t eventId, uint16_t count,
                             const char** strings) {
    if (m_source < 0)
        return false;
    char head[128];
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%b %e %H:%M:%S", &tm);
    // user facility (1) * 8 + severity
    std::snprintf(head, sizeof head, "<%d>%s %s[%d]: %s: event 0x%08X", 8 + SyslogSeverity(type),
                  stamp, kEventSourceTag, static_cast<int>(getpid()), kEventSourceName, eventId);
    std::string line = head;
    for (uint16_t i = 0; strings && i < count; ++i) {
        line += i == 0 ? ": " : " | ";
        AppendFlat(line, strings[i]);
    }
    return send(m_source, line.data(), line.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(line.size());
}

}  // namespace qx
