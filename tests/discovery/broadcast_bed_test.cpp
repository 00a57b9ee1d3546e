// IP discovery on the broadcast test bed: simulated devices in network
// namespaces of their own on one bridge with the workstation (this program's
// private network). Covers the host checks, the run's answers and range
// results, the datagram on the wire, the slot bound under a flood, junk
// answers, and qxctl discover with and without identification.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "BroadcastBed.h"
#include "discovery/AddressRange.h"
#include "discovery/DiscoveryRun.h"
#include "discovery/HostProtocols.h"
#include "discovery/RequestMessage.h"
#include "platform/registry/RegistryKey.h"
#include "settings/Settings.h"
#include "support/PrivateNetwork.h"
#include "support/RunProgram.h"
#include "support/TempRegistry.h"
#include "trace/Trace.h"

QX_TEST_USES_PRIVATE_NETWORK();

using namespace qx;
using qxtest::BroadcastBed;

namespace {

// A Korvalen MFP, with the name (".1" OID), model and location that
// identification reads; the location "Hall<TAB>2" must not split a row of
// qxctl's plain listing.
const char* const kKorvalenProfile =
    "1.3.6.1.2.1.1.2.0|6|1.3.6.1.4.1.32473.2.3.14.1\n"
    "1.3.6.1.2.1.25.3.2.1.3.1|4|a-LUMERA2811\n"
    "1.3.6.1.2.1.43.5.1.1.16.1|4|Bed printer\n"
    "1.3.6.1.4.1.32473.2.3.50.1.2.3.1.2.1.1|4|Hall printer\n"
    "1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4.1.1|4x|48616c6c0932\n";
const char* const kOtherMakerProfile =
    "1.3.6.1.2.1.1.2.0|6|1.3.6.1.4.1.99999.3\n"
    "1.3.6.1.2.1.1.5.0|4|other-printer\n"
    "1.3.6.1.2.1.25.3.2.1.3.1|4|Other laser\n"
    "1.3.6.1.2.1.43.5.1.1.16.1|4|Bed printer\n";
// No printer name: the device answers the broadcast with noSuchName. Only
// the management component, remembering its address, finds it.
const char* const kNoPrinterProfile =
    "1.3.6.1.2.1.1.2.0|6|1.3.6.1.4.1.32473.2.3.14.2\n"
    "1.3.6.1.2.1.25.3.2.1.3.1|4|a-LUMERA3811\n"
    "1.3.6.1.4.1.32473.2.3.50.1.2.3.1.2.1.1|4|Back room\n"
    "1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4.1.1|4|Back\n";

struct Bed {
    BroadcastBed bed;
    qxtest::TempDir scratch;
    std::vector<std::unique_ptr<qxtest::AgentProcess>> agents;
    int floodDevice = -1;
    std::string dumpPath;
    std::string error;
    bool ready = false;

    qxtest::AgentProcess* NewAgent() {
        agents.push_back(std::make_unique<qxtest::AgentProcess>());
        return agents.back().get();
    }

    bool Build() {
        if (!bed.Create(error) || !qxtest::SetPrivateHostName(BroadcastBed::kHostAddress, error))
            return false;
        dumpPath = scratch.Path() + "/request.bin";
        struct Device {
            const char* address;
            const char* route;
            std::vector<std::string> responder;  // empty: snmpsimd
            const char* profile;
        };
        const std::string responder = QX_TEST_UDP_RESPONDER;
        const Device devices[] = {
            {"10.203.0.11", "", {}, kKorvalenProfile},
            {"10.203.0.12", "", {}, kOtherMakerProfile},
            {"10.203.0.13", "", {}, kNoPrinterProfile},
            {"10.203.0.14", "", {responder, "--copies", "2", "--dump", dumpPath}, nullptr},
            {"10.203.0.15", "", {responder, "--garbage"}, nullptr},
            // On the link but outside the host's subnet.
            {"10.203.7.9", "10.203.0.0/24", {responder}, nullptr},
        };
        std::vector<std::pair<qxtest::AgentProcess*, std::string>> started;
        for (const Device& d : devices) {
            int i = bed.AddDevice(d.address, 24, error, d.route);
            if (i < 0)
                return false;
            qxtest::AgentProcess* agent = NewAgent();
            bool ok = d.profile ? bed.LaunchSnmpsim(*agent, i, d.profile, error)
                                : bed.LaunchProgram(*agent, i, d.responder, error);
            if (!ok)
                return false;
            started.emplace_back(agent, d.address);
        }
        floodDevice = bed.AddDevice("10.203.0.20", 24, error);
        if (floodDevice < 0)
            return false;
        for (auto& [agent, address] : started)
            if (!agent->WaitUntilAnswering(address, std::chrono::seconds(30), error)) {
                error = address + ": " + error + "\n" + agent->LogTail();
                return false;
            }
        return true;
    }
};

Bed* g_bed = nullptr;

std::multiset<std::string> Addresses(const std::vector<DiscoveryAnswer>& answers, bool inRange) {
    std::multiset<std::string> s;
    for (const auto& a : answers)
        if (a.inRange == inRange)
            s.insert(a.address);
    return s;
}

const std::multiset<std::string> kInRange = {"10.203.0.11", "10.203.0.12", "10.203.0.14",
                                             "10.203.0.14", "10.203.0.15"};

class BroadcastBedTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!qxtest::InPrivateNetwork() || geteuid() != 0)
            return;
        g_bed = new Bed;
        g_bed->ready = g_bed->Build();
    }
    static void TearDownTestSuite() {
        delete g_bed;
        g_bed = nullptr;
    }
    void SetUp() override {
        QX_REQUIRE_PRIVATE_NETWORK();
        // A private network of an unprivileged user's own is not enough: the
        // bed's tools (ip, nsenter, the agents' privilege drop, raw sockets)
        // need root.
        if (geteuid() != 0)
            GTEST_SKIP() << "the broadcast test bed needs root";
        ASSERT_TRUE(g_bed && g_bed->ready) << (g_bed ? g_bed->error : "");
        std::string error;
        ASSERT_TRUE(qxtest::SetPrivateHostName(BroadcastBed::kHostAddress, error)) << error;
        SetTraceDestination(tracePath.c_str());
    }
    void TearDown() override { SetTraceDestination(""); }

    std::string TraceText() {
        std::ifstream in(tracePath);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    qxtest::TempRegistry registry;
    qxtest::TempDir dir;
    std::string tracePath = dir.Path() + "/trace.log";
};

}  // namespace

TEST_F(BroadcastBedTest, KeepsEachAnswerWithTheRangeResult) {
    HostProtocols host = ExamineHost(1);
    ASSERT_TRUE(host.bIpAvailable);
    EXPECT_EQ(host.strHostAddress, "10.203.0.1");
    EXPECT_EQ(host.strMask, "255.255.255.0") << "loopback skipped, br0's mask";
    EXPECT_FALSE(host.bIpxAvailable);
    AddressRange range = LoadDiscoveryRange(1, host.strMask, host.strHostAddress);
    EXPECT_EQ(range.from, "10.203.0.0");
    EXPECT_EQ(range.to, "10.203.0.255");

    std::remove(g_bed->dumpPath.c_str());
    DiscoveryRun run;
    auto answers = run.RunToEnd(false, true, range);
    EXPECT_EQ(run.BroadcastExitCode(), 0);
    EXPECT_EQ(run.ListenExitCode(), 0);
    // The device without the printer name answered with an error; the junk
    // sender's datagrams are dropped and its real answer kept; the
    // double answerer fills two slots.
    EXPECT_EQ(Addresses(answers, true), kInRange);
    EXPECT_EQ(Addresses(answers, false), std::multiset<std::string>{"10.203.7.9"})
        << "on the link, outside the range: answered, not kept";

    std::ifstream in(g_bed->dumpPath, std::ios::binary);
    std::vector<uint8_t> wire((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(wire.size(), 256u) << "the whole datagram goes on the wire";
    std::vector<uint8_t> expected(256, 0xEE);
    BuildRequestDatagram(expected.data(), expected.size());
    EXPECT_EQ(wire, expected);
    EXPECT_EQ(std::count(wire.end() - 213, wire.end(), 0), 213);

    std::string trace = TraceText();
    EXPECT_NE(trace.find("CheckInstalledProtocols2(): user has IP address 10.203.0.1"),
              std::string::npos);
    EXPECT_NE(trace.find("GetSubnetMask() mask is 255.255.255.0"), std::string::npos);
    EXPECT_NE(trace.find("() 10.203.0.14. Count is "), std::string::npos) << trace;
    EXPECT_NE(trace.find("IsLessThanEq for to  = 0 and IsGreaterThanEq for from = 1"),
              std::string::npos)
        << "10.203.7.9: the third octet is above the range's";
}

TEST_F(BroadcastBedTest, EarlyEndWaitsForTheRunAndTheOwnerHearsWhenItIsDone) {
    std::atomic<int> finished{0};
    DiscoveryRun run(DiscoveryRun::Options{DiscoveryOwner::Network, {}, {}});
    run.SetFinishedCallback([&] { ++finished; });
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(run.Start(false, true, {"10.203.0.0", "10.203.0.255"}), DiscoveryProtocol::Ip);
    EXPECT_TRUE(run.Running());
    auto answers = run.End();  // the Stop button at once
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(run.Running());
    EXPECT_EQ(finished.load(), 1);
    EXPECT_GE(took, std::chrono::milliseconds(3900)) << "the broadcast thread lives its full time";
    EXPECT_EQ(Addresses(answers, true), kInRange);
    EXPECT_EQ(TraceText().find("recvfrom success.."), std::string::npos)
        << "the network dialog's run does not trace each receive";
}

TEST_F(BroadcastBedTest, FloodFillsExactlyTheSlots) {
    qxtest::AgentProcess flood;
    std::string error;
    ASSERT_TRUE(g_bed->bed.LaunchProgram(
        flood, g_bed->floodDevice,
        {QX_TEST_UDP_RESPONDER, "--copies", "0", "--flood", "400", "--flood-from", "10.203.1.1"},
        error))
        << error;
    ASSERT_TRUE(flood.WaitUntilAnswering("10.203.0.20", std::chrono::seconds(10), error)) << error;

    DiscoveryRun run;
    auto answers = run.RunToEnd(false, true, {"10.203.0.0", "10.203.255.255"});
    flood.Stop();
    ASSERT_EQ(answers.size(), 260u);
    size_t flooders = std::count_if(answers.begin(), answers.end(), [](const DiscoveryAnswer& a) {
        return a.address.rfind("10.203.1.", 0) == 0;
    });
    EXPECT_GE(flooders, 254u);
    std::string trace = TraceText();
    size_t drop = trace.find("dropped: all 260 answer slots are taken");
    EXPECT_NE(drop, std::string::npos);
    EXPECT_EQ(trace.find("dropped", drop + 1), std::string::npos) << "traced once per run";
}

TEST_F(BroadcastBedTest, LoopbackOnlyHostStartsNoRun) {
    std::string error;
    for (const char* name : {"127.0.0.1", "127.0.1.1"}) {
        ASSERT_TRUE(qxtest::SetPrivateHostName(name, error)) << error;
        HostProtocols host = ExamineHost(1);
        EXPECT_FALSE(host.bIpAvailable) << name;
        EXPECT_EQ(host.strMask, "0.0.0.0");

        qxtest::ProgramResult r = qxtest::RunProgram("qxctl", {"discover"});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_NE(
            r.err.indexOf("no usable IP address: the host name resolves to " + QByteArray(name)),
            -1)
            << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(BroadcastBedTest, QxctlDiscoverPrintsTheAnswersInSlotOrder) {
    qxtest::ProgramResult r = qxtest::RunProgram("qxctl", {"discover", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonObject o = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(o["host"].toString(), "10.203.0.1");
    EXPECT_EQ(o["mask"].toString(), "255.255.255.0");
    EXPECT_EQ(o["from"].toString(), "10.203.0.0");
    EXPECT_EQ(o["to"].toString(), "10.203.0.255");
    std::vector<DiscoveryAnswer> answers;
    for (const auto& v : o["answers"].toArray()) {
        QJsonObject a = v.toObject();
        answers.push_back({a["address"].toString().toStdString(), a["inRange"].toBool()});
    }
    EXPECT_EQ(Addresses(answers, true), kInRange);
    EXPECT_EQ(Addresses(answers, false), std::multiset<std::string>{"10.203.7.9"});

    r = qxtest::RunProgram("qxctl", {"discover", "--range", "10.203.0.12-10.203.0.14"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    std::string out = r.out.toStdString();
    EXPECT_EQ(out.find("host 10.203.0.1 mask 255.255.255.0 range 10.203.0.12-10.203.0.14\n"), 0u)
        << out;
    EXPECT_NE(out.find("10.203.0.11     out of range\n"), std::string::npos) << out;
    EXPECT_NE(out.find("10.203.0.12     in range\n"), std::string::npos) << out;
    EXPECT_NE(out.find("10.203.7.9      out of range\n"), std::string::npos) << out;
    EXPECT_NE(out.find("6 answers\n"), std::string::npos) << out;

    r = qxtest::RunProgram("qxctl", {"discover", "--range", "10.203.0.12"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.indexOf("bad range"), -1);
}

TEST_F(BroadcastBedTest, NoRouteForTheBroadcastIsAClearFailure) {
    std::string error;
    ASSERT_TRUE(qxtest::RunTool({"ip", "route", "del", "default"}, error)) << error;
    qxtest::ProgramResult r = qxtest::RunProgram("qxctl", {"discover"});
    ASSERT_TRUE(qxtest::RunTool({"ip", "route", "add", "default", "dev", "br0"}, error)) << error;
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.indexOf("the broadcast could not be sent: Network is unreachable"), -1)
        << r.err.toStdString();
}

namespace {

// The devices of a `qxctl discover` identification, one text per row.
std::vector<std::string> DeviceTexts(const qxtest::ProgramResult& r) {
    std::vector<std::string> rows;
    for (const auto& v : QJsonDocument::fromJson(r.out).object()["devices"].toArray()) {
        QJsonObject d = v.toObject();
        rows.push_back((d["name"].toString() + "|" + d["address"].toString() + "|" +
                        d["location"].toString() + "|" + d["model"].toString() + "|" +
                        QString::number(d["icon"].toInt()))
                           .toStdString());
    }
    return rows;
}

// The component remembers the device that no broadcast finds, and one that
// answers the run too; the responders never answer identification, so a
// short time-out keeps their two attempts brief.
void RememberForTheComponent() {
    reg::Key key;
    ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser,
                               std::string(DiscoveryKey(1)) + "\\LastDiscovered", key),
              0);
    key.SetString("0", "10.203.0.13");
    key.SetString("1", "10.203.0.11");
    ASSERT_EQ(reg::Key::Create(reg::Hive::CurrentUser, ClientRootKey(1), key), 0);
    key.SetDword("TimeOut", 20);
}

}  // namespace

TEST_F(BroadcastBedTest, QxctlDiscoverCallerListsItsKindsAndTheComponentsDevices) {
    RememberForTheComponent();
    // Caller 5 selects the Korvalen kind: the other maker's printer is left
    // out; the component's device follows the run's rows, and 10.203.0.11,
    // found both ways, keeps the broadcast's row (icon 2).
    qxtest::ProgramResult r = qxtest::RunProgram("qxctl", {"discover", "--caller", "5", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(DeviceTexts(r),
              (std::vector<std::string>{"Hall printer|10.203.0.11|Hall\t2|a-LUMERA2811|2",
                                        "Back room|10.203.0.13|Back|a-LUMERA3811|3"}))
        << r.out.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(r.out).object()["answers"].toArray().size(), 6);

    r = qxtest::RunProgram("qxctl", {"discover", "--caller", "5", "--no-component"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    std::string out = r.out.toStdString();
    EXPECT_NE(out.find("6 answers\nname\taddress\tlocation\tmodel\n"
                       "Hall printer\t10.203.0.11\tHall 2\ta-LUMERA2811\n1 devices\n"),
              std::string::npos)
        << out;

    r = qxtest::RunProgram("qxctl", {"discover", "--caller", "5", "--family", "2"});
    EXPECT_EQ(r.exitCode, 2);
    r = qxtest::RunProgram("qxctl", {"discover", "--no-component"});
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(BroadcastBedTest, QxctlDiscoverNetworkListsOtherMakersOutsideMode17) {
    RememberForTheComponent();
    qxtest::ProgramResult r =
        qxtest::RunProgram("qxctl", {"discover", "--network", "--no-component", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // Rows follow the answers' slot order, which is their arrival order.
    const std::map<QString, std::string> rowOf = {
        {"10.203.0.11", "Hall printer|10.203.0.11|Hall\t2|a-LUMERA2811|2"},
        {"10.203.0.12", "other-printer|10.203.0.12||Other laser|2"}};
    std::vector<std::string> expected;
    for (const auto& v : QJsonDocument::fromJson(r.out).object()["answers"].toArray())
        if (auto it = rowOf.find(v.toObject()["address"].toString()); it != rowOf.end())
            expected.push_back(it->second);
    ASSERT_EQ(expected.size(), 2u) << r.out.toStdString();
    EXPECT_EQ(DeviceTexts(r), expected) << r.out.toStdString();

    r = qxtest::RunProgram("qxctl", {"discover", "--network", "--mode", "17", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(DeviceTexts(r),
              (std::vector<std::string>{"Hall printer|10.203.0.11|Hall\t2|a-LUMERA2811|2",
                                        "Back room|10.203.0.13|Back|a-LUMERA3811|3"}))
        << r.out.toStdString();

    r = qxtest::RunProgram("qxctl", {"discover", "--network", "--caller", "5"});
    EXPECT_EQ(r.exitCode, 2);
    r = qxtest::RunProgram("qxctl", {"discover", "--mode", "17"});
    EXPECT_EQ(r.exitCode, 2);
}
