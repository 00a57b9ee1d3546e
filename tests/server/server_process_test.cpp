// The server program's start-up: registration from the command line, the
// command-line rules, and the end without the language library.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QThread>

#include <filesystem>
#include <fstream>

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

TEST_F(ServerProcess, VersionIsPrinted) {
    QProcess p;
    p.start(ServerProgram(), {"--version"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().startsWith("AL1MISvr 1.8.49.1\n"));
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
    EXPECT_TRUE(fs::exists(Read(Hive::ClassesRoot, std::string("CLSID\\") +
                                                       qx::kObjectTable[0].clsidText +
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
