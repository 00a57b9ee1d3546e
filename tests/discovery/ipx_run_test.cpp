// The IPX run on a stand-in datagram socket (Linux has no IPX sockets): the
// listen and slot rules, the address texts, the failures, and the system's
// socket failing as it must here.

#include <gtest/gtest.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fstream>
#include <mutex>
#include <sstream>

#include "discovery/DiscoveryRun.h"
#include "discovery/IpxAddressText.h"
#include "discovery/IpxSocket.h"
#include "discovery/RequestMessage.h"
#include "support/TempRegistry.h"
#include "trace/Trace.h"

using namespace qx;

namespace {

IpxSocketAddress Address(const char* net, const char* node) {
    IpxSocketAddress a{};
    a.sa_family = AF_IPX_WINSOCK;
    EXPECT_TRUE(HexTextToBytes(net, a.sa_netnum, 4));
    EXPECT_TRUE(HexTextToBytes(node, a.sa_nodenum, 6));
    HexTextToBytes("900F", a.sa_socket, 2);
    return a;
}

std::vector<uint8_t> Answer(uint8_t errorStatus, size_t size = 48) {
    std::vector<uint8_t> d(size, 0x41);
    if (size > kErrorStatusOffset)
        d[kErrorStatusOffset] = errorStatus;
    return d;
}

// Everything the run did with its socket, and the datagrams it will receive.
struct Wire {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<std::vector<uint8_t>, IpxSocketAddress>> pending;
    std::vector<std::vector<uint8_t>> sent;
    std::vector<IpxSocketAddress> sentTo;
    int broadcastValue = -1;
    bool closed = false;
    bool failBroadcast = false;
    bool failSend = false;
};

class StandInSocket : public IpxSocket {
  public:
    explicit StandInSocket(Wire& wire) : m_wire(wire) {}
    int SetBroadcast(int value) override {
        std::lock_guard lock(m_wire.mutex);
        m_wire.broadcastValue = value;
        return m_wire.failBroadcast ? (m_error = EPERM, -1) : 0;
    }
    long SendTo(const uint8_t* data, size_t size, const IpxSocketAddress& to) override {
        std::lock_guard lock(m_wire.mutex);
        if (m_wire.failSend)
            return m_error = ENETDOWN, -1;
        m_wire.sent.emplace_back(data, data + size);
        m_wire.sentTo.push_back(to);
        return static_cast<long>(size);
    }
    long RecvFrom(uint8_t* buffer, size_t size, IpxSocketAddress* from) override {
        std::unique_lock lock(m_wire.mutex);
        m_wire.changed.wait(lock, [&] { return m_wire.closed || !m_wire.pending.empty(); });
        if (m_wire.pending.empty())
            return m_error = EBADF, -1;
        auto [data, source] = m_wire.pending.front();
        m_wire.pending.pop_front();
        size_t n = std::min(size, data.size());
        std::memcpy(buffer, data.data(), n);
        *from = source;
        return static_cast<long>(n);
    }
    void Close() override {
        std::lock_guard lock(m_wire.mutex);
        m_wire.closed = true;
        m_wire.changed.notify_all();
    }
    int LastError() const override { return m_error; }

  private:
    Wire& m_wire;
    int m_error = 0;
};

class IpxRunTest : public ::testing::Test {
  protected:
    qxtest::TempDir dir;
    std::string tracePath = dir.Path() + "/trace.log";
    Wire wire;

    void SetUp() override { SetTraceDestination(tracePath.c_str()); }
    void TearDown() override { SetTraceDestination(""); }

    DiscoveryRun::Options StandIn(bool withSocket = true) {
        DiscoveryRun::Options o;
        o.timings.settle = std::chrono::milliseconds(0);
        o.timings.listen = std::chrono::milliseconds(200);
        o.timings.grace = std::chrono::milliseconds(50);
        if (withSocket)
            o.ipxSocketFactory = [this](int&) { return std::make_unique<StandInSocket>(wire); };
        return o;
    }
    void Queue(std::vector<uint8_t> data, IpxSocketAddress from) {
        std::lock_guard lock(wire.mutex);
        wire.pending.emplace_back(std::move(data), from);
    }
    std::string TraceText() {
        std::ifstream in(tracePath);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool Traced(const std::string& line) { return TraceText().find(line) != std::string::npos; }
    static std::vector<std::string> Texts(const std::vector<DiscoveryAnswer>& answers) {
        std::vector<std::string> t;
        for (const auto& a : answers) {
            EXPECT_TRUE(a.inRange) << "IPX answers have no range";
            t.push_back(a.address);
        }
        return t;
    }
};

}  // namespace

TEST(IpxAddressText, NetworkColonNodeInUpperCase) {
    EXPECT_EQ(IpxAddressText(Address("0A0B0C0D", "0080C7112233")), "0A0B0C0D:0080C7112233");
    EXPECT_EQ(IpxAddressText(Address("deadbeef", "00000000ff01")), "DEADBEEF:00000000FF01");
    IpxSocketAddress b = IpxBroadcastDestination();
    EXPECT_EQ(b.sa_family, AF_IPX_WINSOCK);
    EXPECT_EQ(IpxAddressText(b), "00000000:FFFFFFFFFFFF");
    EXPECT_EQ(b.sa_socket[0], 0x90);
    EXPECT_EQ(b.sa_socket[1], 0x0F);
    uint8_t bytes[2] = {1, 2};
    EXPECT_FALSE(HexTextToBytes("90G0", bytes, 2));
    EXPECT_FALSE(HexTextToBytes("900", bytes, 2));
}

TEST_F(IpxRunTest, KeepsAcceptedAnswersAndReusesTheSlotOfOthers) {
    Queue(Answer(0), Address("0A0B0C0D", "0080C7112233"));
    Queue(Answer(2), Address("11111111", "222222222222"));      // error reply
    Queue(Answer(0, 12), Address("33333333", "444444444444"));  // too short to be an answer
    Queue(Answer(0), Address("0a0b0c0d", "0080c7445566"));
    Queue(Answer(0), Address("0A0B0C0D", "0080C7112233"));  // the first device again

    DiscoveryRun run(StandIn());
    ASSERT_EQ(run.Start(true, true), DiscoveryProtocol::Ipx) << "IPX wins over IP";
    auto answers = run.End();
    EXPECT_EQ(Texts(answers),
              (std::vector<std::string>{"0A0B0C0D:0080C7112233", "0A0B0C0D:0080C7445566",
                                        "0A0B0C0D:0080C7112233"}));
    EXPECT_EQ(run.BroadcastExitCode(), 0);
    EXPECT_EQ(run.ListenExitCode(), 0) << "ended by the close of its socket";

    ASSERT_EQ(wire.sent.size(), 1u);
    std::vector<uint8_t> request(256);
    BuildRequestDatagram(request.data(), request.size());
    EXPECT_EQ(wire.sent[0], request);
    EXPECT_EQ(IpxAddressText(wire.sentTo[0]), "00000000:FFFFFFFFFFFF");
    EXPECT_EQ(wire.broadcastValue, 1);
    EXPECT_TRUE(wire.closed);

    EXPECT_TRUE(Traced("sendto success...bytes sent = 256")) << TraceText();
    EXPECT_TRUE(Traced("Event signalled. Listen thread about to terminate"));
    EXPECT_TRUE(Traced("pThreadLocal has finished executing"));
}

TEST_F(IpxRunTest, StopsStoringAtTheLastSlotAndTracesTheDropOnce) {
    for (int i = 0; i < 300; ++i) {
        char node[13];
        std::snprintf(node, sizeof node, "0080C700%04X", i);
        Queue(Answer(0), Address("0A0B0C0D", node));
    }
    DiscoveryRun run(StandIn());
    run.Start(true, false);
    auto answers = run.End();
    ASSERT_EQ(answers.size(), 255u);
    EXPECT_EQ(answers.front().address, "0A0B0C0D:0080C7000000");
    EXPECT_EQ(answers.back().address, "0A0B0C0D:0080C70000FE");
    std::string trace = TraceText();
    size_t first = trace.find("dropped: all 255 answer slots are taken");
    EXPECT_NE(first, std::string::npos) << trace;
    EXPECT_EQ(trace.find("dropped", first + 1), std::string::npos) << "traced once per run";
}

TEST_F(IpxRunTest, NoDatagramLeavesTheListenerInItsReceiveUntilTheClose) {
    std::atomic<int> finished{0};
    DiscoveryRun run(StandIn());
    run.SetFinishedCallback([&] { ++finished; });
    run.Start(true, false);
    EXPECT_TRUE(run.End().empty());
    EXPECT_EQ(finished.load(), 1);
    EXPECT_EQ(run.ListenExitCode(), 0);
    EXPECT_TRUE(Traced("recvfrom failed.with value 9")) << "the close failed the pending receive";
}

TEST_F(IpxRunTest, FailuresEndTheFailingThreadWithExitCodeOne) {
    wire.failBroadcast = true;
    DiscoveryRun run(StandIn());
    run.Start(true, false);
    EXPECT_TRUE(run.End().empty());
    EXPECT_EQ(run.BroadcastExitCode(), 1);
    EXPECT_EQ(run.ListenExitCode(), -1) << "no listener was started";
    EXPECT_TRUE(wire.closed);
    EXPECT_TRUE(Traced("setsocopt failed.With value 1"));

    wire.failBroadcast = false;
    wire.closed = false;
    wire.failSend = true;
    Queue(Answer(0), Address("0A0B0C0D", "0080C7112233"));
    run.Start(true, false);
    EXPECT_TRUE(run.End().empty()) << "nothing is listened for after a failed send";
    EXPECT_EQ(run.BroadcastExitCode(), 0);
    EXPECT_EQ(run.ListenExitCode(), 1);
    EXPECT_TRUE(Traced("sendto failed..."));
}

TEST_F(IpxRunTest, TheSystemHasNoIpxSockets) {
    DiscoveryRun run(StandIn(false));
    ASSERT_EQ(run.Start(true, false), DiscoveryProtocol::Ipx);
    EXPECT_TRUE(run.End().empty());
    EXPECT_EQ(run.BroadcastExitCode(), 1);
    EXPECT_TRUE(Traced("socket creation failed.with value ." + std::to_string(EAFNOSUPPORT)))
        << TraceText();

    EXPECT_EQ(run.Start(false, false), DiscoveryProtocol::None) << "nothing to run";
    EXPECT_TRUE(run.End().empty());
}
