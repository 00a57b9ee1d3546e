// The server program's start-up: registration from the command line, the
// command-line rules, and the end without the language library.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QThread>

#include <filesystem>
#include <fstream>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "ServerProcess.h"
#include "automation/Interfaces.h"
#include "automation/TypeLibrary.h"
#include "platform/bus/RemoteObject.h"
#include "platform/com/ComPtr.h"
#include "platform/registry/RegistryKey.h"
#include "server/ObjectTable.h"
#include "support/PrivateBus.h"
#include "support/TempRegistry.h"

using namespace qxtest;
using qx::reg::Hive;
namespace fs = std::filesystem;

namespace {

std::string Read(Hive hive, const std::string& path, const std::string& name = "") {
    qx::reg::Key key;
    std::string text;
    if (qx::reg::Key::Open(hive, path, qx::reg::Access::Read, key) != 0)
        return "<no key>";
    if (key.GetString(name, text) != 0)
        return "<no value>";
    return text;
}

bool Exists(Hive hive, const std::string& path) {
    qx::reg::Key key;
    return qx::reg::Key::Open(hive, path, qx::reg::Access::Read, key) == 0;
}

// Runs the server to its end; its exit code, or -1 when it did not end in time.
int RunToEnd(const QStringList& args, int timeoutMs = 60000,
             const QString& program = ServerProgram()) {
    QProcess* p = StartServer(args, program);
    bool ended = p->waitForFinished(timeoutMs);
    int code = ended && p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
    StopServer(p);
    return code;
}

struct Outcome {
    int code = -1;  // -1: did not end in time
    std::string err;
    qint64 ms = 0;
};

// Runs the server to its end, keeping what it wrote to stderr.
Outcome RunCapturingErrors(const QStringList& args, int timeoutMs = 60000) {
    QProcess p;
    p.setProgram(ServerProgram());
    p.setArguments(args);
    QElapsedTimer timer;
    timer.start();
    p.start();
    Outcome out;
    if (p.waitForFinished(timeoutMs) && p.exitStatus() == QProcess::NormalExit)
        out.code = p.exitCode();
    out.ms = timer.elapsed();
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(10000);
    }
    out.err = p.readAllStandardError().toStdString();
    return out;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Sets an environment variable for one scope; the old value comes back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_had = true;
            m_old = old;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_had)
            setenv(m_name.c_str(), m_old.c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }

  private:
    std::string m_name, m_old;
    bool m_had = false;
};

// The syslog socket the server's event log writes to.
class LogSink {
  public:
    explicit LogSink(const std::string& path) : m_env("QX_SYSLOG_SOCKET", path.c_str()) {
        m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        EXPECT_EQ(bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    }
    ~LogSink() { close(m_fd); }
    std::string Next() {
        char buf[4096];
        ssize_t n = recv(m_fd, buf, sizeof buf, MSG_DONTWAIT);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }

  private:
    ScopedEnv m_env;
    int m_fd = -1;
};

std::string ServiceFile(const std::string& dataHome) {
    return dataHome + "/dbus-1/services/com.quorvia.KORVALENMISvr.service";
}

class ServerProcess : public ::testing::Test {
  protected:
    void SetUp() override { setenv("XDG_DATA_HOME", m_data.Path().c_str(), 1); }
    void TearDown() override { unsetenv("XDG_DATA_HOME"); }
    TempRegistry m_registry;
    TempDir m_data;
};

}  // namespace

TEST_F(ServerProcess, RegServerWritesEveryKeyRemovesTheRunValueAndEnds) {
    qx::reg::Key run;
    ASSERT_EQ(qx::reg::Key::Create(Hive::CurrentUser,
                                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", run),
              0);
    run.SetString("Quorvia KORVALENMISVR", "/old/AL1MISvr");
    run.SetString("Other", "x");
    run.Close();

    ASSERT_EQ(RunToEnd({"/RegServer"}), 0);

    std::string program = ServerProgram().toStdString();
    EXPECT_EQ(Read(Hive::ClassesRoot, "AppID\\{83FAAC57-2F56-4652-866D-E486522C4F8D}"),
              "KORVALENMISvr");
    EXPECT_EQ(Read(Hive::ClassesRoot, "AppID\\KORVALENMISvr.EXE", "AppID"),
              "{83FAAC57-2F56-4652-866D-E486522C4F8D}");
    for (const auto& row : qx::kObjectTable) {
        std::string stem = row.progIdStem, clsid = std::string("CLSID\\") + row.clsidText;
        EXPECT_EQ(Read(Hive::ClassesRoot, stem), row.className);
        EXPECT_EQ(Read(Hive::ClassesRoot, stem + "\\CLSID"), row.clsidText);
        EXPECT_EQ(Read(Hive::ClassesRoot, stem + "\\CurVer"), stem + ".1");
        EXPECT_EQ(Read(Hive::ClassesRoot, stem + ".1\\CLSID"), row.clsidText);
        EXPECT_EQ(Read(Hive::ClassesRoot, clsid), row.className);
        EXPECT_EQ(Read(Hive::ClassesRoot, clsid + "\\LocalServer32"), program);
        EXPECT_EQ(Read(Hive::ClassesRoot, clsid + "\\ProgID"), stem + ".1");
        EXPECT_EQ(Read(Hive::ClassesRoot, clsid, "AppID"), qx::kAppIdText);
        EXPECT_EQ(Read(Hive::ClassesRoot, std::string("Interface\\") + row.iidText),
                  row.interfaceName);
    }
    EXPECT_EQ(Read(Hive::ClassesRoot, "TypeLib\\{21BADE02-6A6A-4768-B2ED-66FFDCC99396}\\1.0"),
              "KORVALENMISvr 1.0 Type Library");
    EXPECT_EQ(
        Read(Hive::ClassesRoot, "TypeLib\\{21BADE02-6A6A-4768-B2ED-66FFDCC99396}\\1.0\\409\\win32"),
        program);
    EXPECT_EQ(Read(Hive::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                   "Quorvia KORVALENMISVR"),
              "<no value>");
    EXPECT_EQ(Read(Hive::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Other"),
              "x");

    EXPECT_EQ(Read(Hive::LocalMachine,
                   "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Quorvia SNMP Agent",
                   "EventMessageFile"),
              program)
        << "the event source is registered at start";

    std::ifstream service(ServiceFile(m_data.Path()));
    std::string text((std::istreambuf_iterator<char>(service)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Name=com.quorvia.KORVALENMISvr\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Exec='" + program + "' -Embedding\n"), std::string::npos) << text;
}

TEST_F(ServerProcess, UnregServerInLowerCaseRemovesTheKeysAndKeepsAppIdAndClsid) {
    ASSERT_EQ(RunToEnd({"/RegServer"}), 0);
    ASSERT_EQ(RunToEnd({"-unregserver"}), 0);
    EXPECT_TRUE(Exists(Hive::ClassesRoot, "AppID"));
    EXPECT_TRUE(Exists(Hive::ClassesRoot, "CLSID"));
    EXPECT_FALSE(Exists(Hive::ClassesRoot, "AppID\\{83FAAC57-2F56-4652-866D-E486522C4F8D}"));
    EXPECT_FALSE(Exists(Hive::ClassesRoot, "AppID\\KORVALENMISvr.EXE"));
    for (const auto& row : qx::kObjectTable) {
        EXPECT_FALSE(Exists(Hive::ClassesRoot, row.progIdStem));
        EXPECT_FALSE(Exists(Hive::ClassesRoot, std::string(row.progIdStem) + ".1"));
        EXPECT_FALSE(Exists(Hive::ClassesRoot, std::string("CLSID\\") + row.clsidText));
        EXPECT_FALSE(Exists(Hive::ClassesRoot, std::string("Interface\\") + row.iidText));
    }
    EXPECT_FALSE(Exists(Hive::ClassesRoot, "TypeLib\\{21BADE02-6A6A-4768-B2ED-66FFDCC99396}"));
    EXPECT_FALSE(fs::exists(ServiceFile(m_data.Path())));
}

TEST_F(ServerProcess, WithoutTheLanguageLibraryEndsAtOnceEvenWithRegServer) {
    TempDir dir;
    fs::copy_file(ServerProgram().toStdString(), dir.Path() + "/AL1MISvr");
    QString program = QString::fromStdString(dir.Path() + "/AL1MISvr");
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(RunToEnd({"/RegServer"}, 30000, program), 1);
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_FALSE(Exists(Hive::ClassesRoot, "CLSID")) << "registration does not happen";
    EXPECT_FALSE(Exists(Hive::ClassesRoot, "AppID"));
    EXPECT_FALSE(fs::exists(ServiceFile(m_data.Path())));
    EXPECT_EQ(RunToEnd({}, 30000, program), 1) << "nor does a plain start serve";
}

TEST_F(ServerProcess, RegServerFollowedByAWordRunsAsAServer) {
    PrivateBus bus;
    ASSERT_TRUE(bus.Ok());
    QProcess* server = StartServer({"/RegServer", "x"});
    QElapsedTimer timer;
    timer.start();
    while (bus.OwnerPid("com.quorvia.KORVALENMISvr") == 0 && timer.elapsed() < 20000)
        QThread::msleep(50);
    EXPECT_EQ(bus.OwnerPid("com.quorvia.KORVALENMISvr"), server->processId()) << "it serves";
    EXPECT_EQ(server->state(), QProcess::Running);
    EXPECT_TRUE(Exists(Hive::ClassesRoot, std::string("CLSID\\") + qx::kObjectTable[0].clsidText))
        << "every start registers the classes";
    EXPECT_FALSE(Exists(Hive::ClassesRoot, "AppID")) << "but only RegServer runs the AppID script";
    StopServer(server);
}

TEST_F(ServerProcess, BusStartsAProgramWhosePathNeedsQuoting) {
    TempDir dir;
    std::string odd = dir.Path() + "/it's a dir";
    fs::create_directories(odd);
    fs::copy_file(ServerProgram().toStdString(), odd + "/AL1MISvr");
    fs::copy_file(qx::ProgramDirectory() + "/tnlang.dll", odd + "/tnlang.dll");
    PrivateBus bus;
    ASSERT_TRUE(bus.Ok());
    ASSERT_EQ(RunToEnd({"-RegServer"}, 60000, QString::fromStdString(odd + "/AL1MISvr")), 0);
    EXPECT_EQ(Read(Hive::ClassesRoot,
                   std::string("CLSID\\") + qx::kObjectTable[0].clsidText + "\\LocalServer32"),
              odd + "/AL1MISvr")
        << "the path of a program that exists";
    EXPECT_TRUE(
        fs::exists(Read(Hive::ClassesRoot, std::string("CLSID\\") + qx::kObjectTable[0].clsidText +
                                               "\\LocalServer32")));

    QDBusConnection client = bus.Connect();
    qx::ComPtr<IDispatch> object;
    ASSERT_EQ(qx::bus::CreateRemoteInstance(client, qx::KORVALENMISvrEndpoint(),
                                            "KORVALENMISvr.DseTendraKORVALEN", IID_IDispatch,
                                            object.OutVoid()),
              S_OK);
    qint64 pid = bus.OwnerPid("com.quorvia.KORVALENMISvr");
    ASSERT_GT(pid, 0);
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(pid) + "/exe").string(),
              odd + "/AL1MISvr");
    object.Reset();
    bus.Disconnect(client);
}

TEST_F(ServerProcess, RegistrationThatFailsEndsNonZeroAndSaysWhy) {
    std::string trace = m_data.Path() + "/trace.log";
    ScopedEnv tracing("QX_TRACE", trace.c_str());
    {
        // The activation folder cannot be made: where it would go is a file.
        std::string blocked = m_data.Path() + "/blocked";
        std::ofstream(blocked) << "a file";
        ScopedEnv dataHome("XDG_DATA_HOME", blocked.c_str());
        Outcome r = RunCapturingErrors({"-RegServer"});
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find("AL1MISvr: registration failed: writing the bus service file " +
                             blocked + "/dbus-1/services/"),
                  std::string::npos)
            << r.err;
        EXPECT_TRUE(Exists(Hive::ClassesRoot, "AppID\\KORVALENMISvr.EXE"))
            << "the registry part was done all the same";
    }
    EXPECT_NE(FileText(trace).find("registration failed: writing the bus service file"),
              std::string::npos)
        << FileText(trace);

    {
        // The service file cannot be removed: a folder with something in it.
        fs::create_directories(ServiceFile(m_data.Path()) + "/inside");
        Outcome r = RunCapturingErrors({"/UnregServer"});
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find("AL1MISvr: unregistration failed: removing the bus service file"),
                  std::string::npos)
            << r.err;
        fs::remove_all(ServiceFile(m_data.Path()));
    }

    // A registry store that cannot be written: its folder is a file.
    std::string notAFolder = m_data.Path() + "/store";
    std::ofstream(notAFolder) << "a file";
    std::string store = notAFolder + "/registry";
    ScopedEnv registry("QX_REGISTRY_DIR", store.c_str());
    for (const char* sw : {"-RegServer", "-UnregServer"}) {
        Outcome r = RunCapturingErrors({sw});
        EXPECT_EQ(r.code, 1) << sw;
        EXPECT_NE(r.err.find("registration failed: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("script 100: "), std::string::npos) << r.err;
    }
}

TEST_F(ServerProcess, WithoutASessionBusEndsAtOnceAndSaysWhy) {
    LogSink log(m_data.Path() + "/log.sock");
    ScopedEnv display("DISPLAY", nullptr), runtime("XDG_RUNTIME_DIR", m_data.Path().c_str());
    std::string dead = "unix:path=" + m_data.Path() + "/no-bus.sock";
    for (const char* address : {dead.c_str(), static_cast<const char*>(nullptr)}) {
        ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", address);
        Outcome r = RunCapturingErrors({"-Embedding"}, 30000);
        EXPECT_EQ(r.code, 1) << (address ? address : "no address");
        EXPECT_LT(r.ms, 5000) << "ends at once rather than wait for clients that cannot come";
        EXPECT_NE(r.err.find("AL1MISvr: cannot offer the classes on the session bus"),
                  std::string::npos)
            << r.err;
        std::string event = log.Next();
        EXPECT_NE(event.find("Quorvia SNMP Agent: event 0xC00003EB: " +
                             std::string(address ? address : "(DBUS_SESSION_BUS_ADDRESS not set)")),
                  std::string::npos)
            << event;
        if (r.code != 1)
            break;
    }
}
