// Clients of the server on a private bus: qxctl call, and busctl and gdbus
// (clients nobody here wrote) following the README's worked example to the letter.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include <fstream>
#include <sstream>

#include "platform/system/ProgramPath.h"
#include "support/PrivateBus.h"
#include "support/TempRegistry.h"

using namespace qxtest;

namespace {

struct Result {
    int code = -1;
    std::string out, err;
};

// Runs a shell command line with the built programs first on PATH.
Result Shell(const std::string& command) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", QString::fromStdString(qx::ProgramDirectory()) + ":" + env.value("PATH"));
    p.setProcessEnvironment(env);
    p.start("bash", {"-c", QString::fromStdString(command)});
    Result r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitCode();
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

class Clients : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_bus.Ok());
        ASSERT_EQ(Shell("AL1MISvr -RegServer").code, 0);
    }
    TempRegistry m_registry;
    PrivateBus m_bus;
};

struct Step {
    std::string command;
    std::string expected;
};

// The README's example block: "$ " lines are commands (a trailing "\" joins
// the next line), the lines up to the next command are its output.
std::vector<Step> ReadmeExample() {
    std::ifstream in(SourceDir() + "/../../README.md");
    std::string line;
    std::vector<Step> steps;
    bool inBlock = false, found = false, continued = false;
    while (std::getline(in, line)) {
        if (!found) {
            found = line.rfind("<!-- bus-contract-example", 0) == 0;
            continue;
        }
        if (!inBlock) {
            inBlock = line.rfind("```", 0) == 0;
            continue;
        }
        if (line.rfind("```", 0) == 0)
            break;
        if (continued) {
            steps.back().command += " " + line;
        } else if (line.rfind("$ ", 0) == 0) {
            steps.push_back({line.substr(2), ""});
        } else if (!steps.empty()) {
            steps.back().expected += line + "\n";
        }
        continued = !steps.empty() && !line.empty() && line.back() == '\\';
        if (continued)
            steps.back().command.pop_back();
    }
    return steps;
}

}  // namespace

TEST_F(Clients, BusctlAndGdbusFollowTheReadme) {
    auto steps = ReadmeExample();
    ASSERT_GE(steps.size(), 6u) << "the README's example block was not found";
    for (const auto& step : steps) {
        Result r = Shell(step.command);
        EXPECT_EQ(r.code, 0) << step.command << "\n" << r.err;
        EXPECT_EQ(r.out, step.expected) << step.command;
    }
    // Both objects were released: the server ends by itself.
    qint64 pid = m_bus.OwnerPid("com.quorvia.KORVALENMISvr");
    ASSERT_GT(pid, 0);
    EXPECT_GE(WaitForProcessEnd(pid, 60000), 0);
}

TEST_F(Clients, QxctlCallsOneMethodAndReleasesTheObject) {
    Result r = Shell("qxctl call KORVALENMISvr.DsePrinterConfigKORVALEN GetMediaType 3");
    EXPECT_EQ(r.code, 1) << "the method failed";
    EXPECT_EQ(r.out, "GetMediaType: 0x80004001 E_NOTIMPL\n  media = VT_EMPTY\n");

    r = Shell(
        "qxctl call '{6102DD70-63E8-440E-9DD8-904F07489671}' getPrinterAddressOrven 'My Printer' 2 "
        "--json");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("\"method\": \"GetPrinterAddressOrven\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"hresultName\": \"E_FAIL\""), std::string::npos);
    EXPECT_NE(r.out.find("\"name\": \"address\""), std::string::npos);

    r = Shell("qxctl call KORVALENMISvr.DseTendraKORVALEN.1 SubmitDocument '' i4:17 bool:1");
    EXPECT_EQ(r.out, "SubmitDocument: 0x80070057 E_INVALIDARG\n") << r.err;

    r = Shell("qxctl call KORVALENMISvr.DseTendraKORVALEN GetPrinterAddress 'My Printer'");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("takes 2 argument(s): BSTR bstrPrinterName long PrinterFamily"),
              std::string::npos)
        << r.err;
    r = Shell("qxctl call KORVALENMISvr.DseTendraKORVALEN Explode");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("has no method Explode"), std::string::npos);
    r = Shell("qxctl call KORVALENMISvr.DsePrinterConfigKORVALEN GetMediaType i2:x");
    EXPECT_EQ(r.code, 2);
    r = Shell("qxctl call KORVALENMISvr.Nothing GetModel");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("CO_E_CLASSSTRING"), std::string::npos);
    r = Shell("qxctl call '{00000000-0000-0000-0000-00000000ABCD}' GetModel");
    EXPECT_NE(r.err.find("REGDB_E_CLASSNOTREG"), std::string::npos) << r.err;

    // Every object was released: the server ends by itself.
    qint64 pid = m_bus.OwnerPid("com.quorvia.KORVALENMISvr");
    ASSERT_GT(pid, 0);
    EXPECT_GE(WaitForProcessEnd(pid, 60000), 0);
}
