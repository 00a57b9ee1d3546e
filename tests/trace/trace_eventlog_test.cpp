// The debug trace and the event-log writer.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <map>
#include <regex>
#include <thread>
#include <vector>

#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"
#include "support/TempRegistry.h"
#include "trace/EventLogWriter.h"
#include "trace/Trace.h"

using namespace qx;

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace

TEST(Trace, OffCostsNothingAndNeverExpandsTheFormat) {
    SetTraceDestination("");
    EXPECT_FALSE(TraceEnabled());
    // Expanding this format would read through a wild pointer.
    Trace(kTracePrefix, "%s", reinterpret_cast<const char*>(16));
}

TEST(Trace, WritesWholeLinesFromManyThreads) {
    qxtest::TempDir dir;
    std::string file = dir.Path() + "/trace.log";
    SetTraceDestination(file.c_str());
    ASSERT_TRUE(TraceEnabled());
    Trace(kTracePrefix, "Unable to load Winsock2");
    Trace("KORMISVR ", "value %d and %s", 42, "text");

    constexpr int kThreads = 8, kLines = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                Trace(kTracePrefix, "thread %d line %d %s", t, i,
                      std::string(100, 'a' + t).c_str());
        });
    for (auto& th : threads)
        th.join();
    std::string huge(10000, 'h');
    Trace(kTracePrefix, "%s", huge.c_str());
    SetTraceDestination("");

    auto lines = ReadLines(file);
    ASSERT_EQ(lines.size(), 3u + kThreads * kLines);
    EXPECT_EQ(lines[0], "[SKORVALENMISVR] Unable to load Winsock2");
    EXPECT_EQ(lines[1], "KORMISVR value 42 and text");
    std::regex shape(R"(\[SKORVALENMISVR\] thread (\d) line (\d+) ([a-h]{100}))");
    std::map<int, int> next;
    for (size_t i = 2; i < lines.size() - 1; ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, shape)) << "torn line: " << lines[i];
        int t = std::stoi(m[1]);
        EXPECT_EQ(std::stoi(m[2]), next[t]++) << "lines of one thread keep their order";
        EXPECT_EQ(m[3].str()[0], 'a' + t);
    }
    EXPECT_LE(lines.back().size(), 4096u) << "an overlong message is cut";
    EXPECT_EQ(lines.back().rfind("[SKORVALENMISVR] hhh", 0), 0u);
}

class EventLogTest : public ::testing::Test {
  protected:
    qxtest::TempRegistry store;
    qxtest::TempDir dir;
    int sink = -1;

    void SetUp() override {
        std::string path = dir.Path() + "/log";
        sink = socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strcpy(addr.sun_path, path.c_str());
        ASSERT_EQ(bind(sink, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        setenv("QX_SYSLOG_SOCKET", path.c_str(), 1);
    }
    void TearDown() override {
        close(sink);
        unsetenv("QX_SYSLOG_SOCKET");
    }
    std::string Receive() {
        char buf[4096];
        ssize_t n = recv(sink, buf, sizeof buf, MSG_DONTWAIT);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }
};

TEST_F(EventLogTest, RegistersTheSourceAndReportsEvents) {
    std::string longPath = "/opt/quorvia/" + std::string(300, 'p') + "/AL1MISvr";
    {
        CEventLogWriter writer(longPath);
        std::string message = SystemMessageText(Win32ErrorFromErrno(ENOENT));
        const char* strings[] = {"/opt/quorvia/HRMap.txt", message.c_str()};
        EXPECT_TRUE(writer.Report(EVENTLOG_ERROR_TYPE, kEventMappingFileOpenFailed, 2, strings));
        const char* line[] = {"7", "EID_X\tbroken"};
        EXPECT_TRUE(writer.Report(EVENTLOG_ERROR_TYPE, kEventMappingLineInvalid, 2, line));
        EXPECT_TRUE(writer.Report(EVENTLOG_INFORMATION_TYPE, 1));
    }
    std::string first = Receive();
    EXPECT_EQ(first.rfind("<11>", 0), 0u) << first;  // user.err
    // RFC 3164: the tag is one word up to "[pid]"; the source's own name
    // follows in the message.
    std::smatch m;
    ASSERT_TRUE(std::regex_search(
        first, m,
        std::regex(R"(^<11>\w{3} [ \d]\d \d\d:\d\d:\d\d ([A-Za-z0-9_.-]+)\[(\d+)\]: (.*)$)")))
        << first;
    EXPECT_EQ(m[1].str(), "QuorviaSNMPAgent");
    EXPECT_EQ(std::stoi(m[2].str()), getpid());
    EXPECT_EQ(m[3].str().rfind("Quorvia SNMP Agent: event 0xC00003E9: ", 0), 0u) << first;
    EXPECT_NE(first.find("event 0xC00003E9: /opt/quorvia/HRMap.txt | The system cannot find the "
                         "file specified."),
              std::string::npos)
        << first;
    EXPECT_EQ(first.find('\n'), std::string::npos) << "one line per event";
    std::string second = Receive();
    EXPECT_NE(second.find("event 0xC00003EA: 7 | EID_X\tbroken"), std::string::npos) << second;
    std::string third = Receive();
    EXPECT_EQ(third.rfind("<14>", 0), 0u) << third;
    EXPECT_TRUE(third.ends_with("event 0x00000001")) << third;

    reg::Key key;
    ASSERT_EQ(reg::Key::Open(reg::Hive::LocalMachine, kEventSourceKey, reg::Access::Read, key),
              ERROR_SUCCESS);
    std::string file;
    ASSERT_EQ(key.GetString("EventMessageFile", file), ERROR_SUCCESS);
    EXPECT_EQ(file, longPath.substr(0, 250));
    uint32_t types = 0;
    ASSERT_EQ(key.GetDword("TypesSupported", types), ERROR_SUCCESS);
    EXPECT_EQ(types, 7u);
}

TEST_F(EventLogTest, NoLogMeansReportFailsQuietly) {
    setenv("QX_SYSLOG_SOCKET", (dir.Path() + "/nobody-listens").c_str(), 1);
    CEventLogWriter writer("/usr/lib/quorvia/AL1MISvr");
    EXPECT_FALSE(writer.Report(EVENTLOG_ERROR_TYPE, kEventMappingFileOpenFailed));
}

TEST_F(EventLogTest, ARegisteredSourceIsNotWrittenAgain) {
    { CEventLogWriter first("/usr/lib/quorvia/AL1MISvr"); }
    // Another program holds the store's write lock (a writer would wait up
    // to a minute for it): registering what is there already goes on.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((store.Dir() + "/machine.db").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    auto again =
        std::async(std::launch::async, [] { CEventLogWriter same("/usr/lib/quorvia/AL1MISvr"); });
    const bool finished = again.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    again.wait();
    EXPECT_TRUE(finished) << "the registration waited for the store's write lock";

    // A moved program is written as before.
    { CEventLogWriter moved("/opt/moved/AL1MISvr"); }
    reg::Key key;
    ASSERT_EQ(reg::Key::Open(reg::Hive::LocalMachine, kEventSourceKey, reg::Access::Read, key),
              ERROR_SUCCESS);
    std::string file;
    ASSERT_EQ(key.GetString("EventMessageFile", file), ERROR_SUCCESS);
    EXPECT_EQ(file, "/opt/moved/AL1MISvr");
    uint32_t types = 0;
    ASSERT_EQ(key.GetDword("TypesSupported", types), ERROR_SUCCESS);
    EXPECT_EQ(types, 7u);
}
