// The SNMP access layer against real agents (snmpsimd) in the program's own
// network namespace: targets by the length rule, GET and GET-NEXT of mapped
// elements, value conversions, time-outs, and exchanges on several threads.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "model/MIBMappingTable.h"
#include "model/SnmpReader.h"
#include "model/SnmpRequest.h"
#include "support/PrivateNetwork.h"
#include "support/SimulatedDevice.h"
#include "support/TestData.h"

QX_TEST_USES_PRIVATE_NETWORK();

using namespace qx;
using namespace std::chrono;

namespace {

const std::string kTest = "1.3.6.1.4.1.32473.99";

const std::string kProfileB = "1.3.6.1.2.1.1.2.0|6|1.3.6.1.4.1.32473.2.3.16.1\n" +  //
                              kTest + ".1.1.0|2|43\n" +                             //
                              kTest + ".1.3.0|4|Device B\n";

// An entry as the mapping table would hold it.
MIBMappingEntry Entry(const std::string& oid) {
    MIBMappingEntry e;
    e.nElementId = 1;
    std::vector<uint32_t> arcs;
    EXPECT_TRUE(ParseOidText(oid, arcs)) << oid;
    e.oid = arcs;
    return e;
}

// Listens on address:161 and never answers, counting what arrives.
class SilentAddress {
  public:
    explicit SilentAddress(const char* address) {
        m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(161);
        inet_pton(AF_INET, address, &at.sin_addr);
        EXPECT_EQ(bind(m_fd, reinterpret_cast<sockaddr*>(&at), sizeof at), 0)
            << std::strerror(errno);
    }
    ~SilentAddress() { close(m_fd); }
    int Received() {
        int count = 0;
        pollfd pfd{m_fd, POLLIN, 0};
        char buf[1500];
        while (poll(&pfd, 1, 0) > 0 && recv(m_fd, buf, sizeof buf, 0) > 0)
            ++count;
        return count;
    }

  protected:
    int m_fd = -1;
};

// An agent that answers every request, whatever it asks for, with one
// binding for sysName.0: what a confused device, or one behind a broken
// proxy, sends. snmpsim cannot be made to do that.
class OneAnswerAgent : SilentAddress {
  public:
    OneAnswerAgent(const char* address, std::string name)
        : SilentAddress(address), m_name(std::move(name)), m_thread([this] { Serve(); }) {}
    ~OneAnswerAgent() {
        m_stop = true;
        m_thread.join();
    }
    int Answered() const { return m_answered; }

  private:
    static std::string Tlv(uint8_t tag, const std::string& value) {
        std::string out(1, static_cast<char>(tag));
        size_t n = value.size();
        if (n < 0x80)
            return out + static_cast<char>(n) + value;
        return out + '\x82' + static_cast<char>(n >> 8) + static_cast<char>(n & 0xFF) + value;
    }
    // The contents of the element at pos; false when the bytes are not one.
    static bool Read(const std::string& in, size_t& pos, std::string& value, int tag = -1) {
        if (pos + 2 > in.size() || (tag >= 0 && static_cast<uint8_t>(in[pos]) != tag))
            return false;
        size_t n = static_cast<uint8_t>(in[pos + 1]);
        pos += 2;
        if (n & 0x80) {
            size_t bytes = n & 0x7F;
            for (n = 0; bytes > 0 && pos < in.size(); --bytes)
                n = n << 8 | static_cast<uint8_t>(in[pos++]);
        }
        if (pos + n > in.size())
            return false;
        value = in.substr(pos, n);
        pos += n;
        return true;
    }
    // Message: SEQUENCE { version, community, PDU { request-id, ... } }.
    std::string Answer(const std::string& request) {
        size_t pos = 0, inMessage = 0, inPdu = 0;
        std::string message, version, community, pdu, requestId;
        if (!Read(request, pos, message, 0x30) || !Read(message, inMessage, version) ||
            !Read(message, inMessage, community) || !Read(message, inMessage, pdu) ||
            !Read(pdu, inPdu, requestId, 0x02))
            return {};
        const std::string sysName("\x2B\x06\x01\x02\x01\x01\x05\x00", 8);
        std::string binding = Tlv(0x30, Tlv(0x06, sysName) + Tlv(0x04, m_name));
        std::string response = Tlv(0x02, requestId) + Tlv(0x02, std::string(1, '\0')) +
                               Tlv(0x02, std::string(1, '\0')) + Tlv(0x30, binding);
        return Tlv(0x30, Tlv(0x02, version) + Tlv(0x04, community) + Tlv(0xA2, response));
    }
    void Serve() {
        for (pollfd pfd{m_fd, POLLIN, 0}; !m_stop;) {
            char buf[1500];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            if (poll(&pfd, 1, 20) <= 0)
                continue;
            ssize_t n =
                recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &length);
            std::string reply = n > 0 ? Answer(std::string(buf, static_cast<size_t>(n))) : "";
            if (!reply.empty() && sendto(m_fd, reply.data(), reply.size(), 0,
                                         reinterpret_cast<sockaddr*>(&from), length) > 0)
                ++m_answered;
        }
    }

    std::string m_name;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_answered{0};
    std::thread m_thread;
};

class SnmpReaderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!qxtest::InPrivateNetwork())
            return;
        s_a = new qxtest::SimulatedDevice("127.0.0.2", qxtest::ReadTextFile(qxtest::TestDataPath(
                                                           "model", "snmp-reader.snmprec")));
        s_b = new qxtest::SimulatedDevice("127.0.0.3", kProfileB);
        s_started = qxtest::SimulatedDevice::StartAll({s_a, s_b}, s_error);
    }
    static void TearDownTestSuite() {
        delete s_a;
        delete s_b;
        s_a = s_b = nullptr;
    }
    void SetUp() override {
        QX_REQUIRE_PRIVATE_NETWORK();
        ASSERT_TRUE(s_started) << s_error;
        reader.Target().SetAddress("127.0.0.2");
    }
    HRESULT Int(const std::string& oid, int32_t index1, int32_t index2, int32_t* value) {
        MIBMappingEntry e = Entry(oid);
        return reader.snmppGetInt32Value(&e, index1, index2, value);
    }
    HRESULT Text(const std::string& oid, int32_t index1, int32_t index2, char* buffer,
                 size_t size = 260) {
        MIBMappingEntry e = Entry(oid);
        return reader.snmppGetStringValue(&e, index1, index2, buffer, size);
    }

    static inline qxtest::SimulatedDevice *s_a = nullptr, *s_b = nullptr;
    static inline bool s_started = false;
    static inline std::string s_error;

    CSnmpReader reader;
};

}  // namespace

TEST(SnmpTarget, ClassifiesAddressesByLength) {
    CSnmpTarget t;
    EXPECT_EQ(t.Kind(), SnmpAddressKind::None);
    EXPECT_EQ(t.Timeout(), 100u) << "the library's default: one second";
    struct Case {
        const char* address;
        SnmpAddressKind kind;
        const char* peer;
    };
    using K = SnmpAddressKind;
    for (const Case& c : {Case{"255.255.255.255", K::Ip, "udp:255.255.255.255:161"},
                          Case{"010.001.002.003", K::Ip, "udp:10.1.2.3:161"},
                          Case{"1234567890123456", K::Ipx, ""},  // 16 characters: no IPX here
                          Case{"0000000A:00004A123456", K::Ipx, ""},
                          Case{"10.1.2.3.4.5.6.7.8.9.1", K::None, ""},  // 22 characters
                          Case{"", K::Ip, ""}, Case{"printer", K::Ip, ""},
                          Case{"10.1.2", K::Ip, ""}, Case{"0.0.0.0", K::Ip, ""}}) {
        t.SetAddress(c.address);
        EXPECT_EQ(t.Kind(), c.kind) << c.address;
        EXPECT_EQ(t.PeerName(), c.peer) << c.address;
    }
    t.SetAddress("10.1.2.3.4.5.6.7.8.9.1");
    EXPECT_EQ(t.AddressText(), "");
}

TEST(SnmpOidText, BuildsElementInstancesAndParsesStrictly) {
    MIBMappingEntry e = Entry("1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4");
    EXPECT_EQ(ElementOidText(e, 1, 1), "1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4.1.1");
    EXPECT_EQ(ElementOidText(e, 2, -1), "1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4.2");
    EXPECT_EQ(ElementOidText(e, -1, 5), "1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4.5")
        << "only the index that is set";
    EXPECT_EQ(ElementOidText(e, -1, -1), "1.3.6.1.4.1.32473.2.3.50.1.2.4.1.4");

    std::vector<uint32_t> arcs;
    EXPECT_TRUE(ParseOidText("1.3.6.1.4294967295", arcs));
    EXPECT_EQ(arcs.back(), 4294967295u);
    for (const char* bad :
         {"", "1", ".1.3.6", "1.3.6.", "1..3", "1.3.x", "1.3.4294967296", "1.3.-5"})
        EXPECT_FALSE(ParseOidText(bad, arcs)) << bad;
    std::string longest = "1";
    for (int i = 0; i < 127; ++i)
        longest += ".1";
    EXPECT_TRUE(ParseOidText(longest, arcs));
    EXPECT_FALSE(ParseOidText(longest + ".1", arcs)) << "more than 128 arcs";
}

TEST_F(SnmpReaderTest, ReadsValuesAndKeepsTheCallersWhenTheTypeDoesNotFit) {
    struct Case {
        std::string oid;
        int32_t index1, index2;
        int32_t number;    // 1234: the caller's value kept
        const char* text;  // nullptr: not read as text
    };
    for (const Case& c : {
             Case{kTest + ".1.1.0", -1, -1, 42, ""},  // a number answer to a text read
             Case{kTest + ".1.2", 0, -1, -7, nullptr},
             Case{kTest + ".1.5.0", -1, -1, static_cast<int32_t>(4000000000u), nullptr},
             Case{kTest + ".1.3", 0, -1, 1234, "Zuerich office"},
             Case{kTest + ".1.7.0", -1, -1, 1234, nullptr},  // an IpAddress
             Case{kTest + ".2", -1, 5, 55, nullptr},         // only the second index
             Case{kTest + ".1.1", 0, -1, 42, nullptr},       // index 0 is an index
         }) {
        int32_t value = 1234;
        char text[260] = "unchanged";
        EXPECT_EQ(Int(c.oid, c.index1, c.index2, &value), S_OK) << c.oid;
        EXPECT_EQ(value, c.number) << c.oid << " (a Counter32 keeps its 32 bits)";
        if (c.text) {
            EXPECT_EQ(Text(c.oid, c.index1, c.index2, text), S_OK) << c.oid;
            EXPECT_STREQ(text, c.text) << c.oid;
        }
    }

    // The installed KORVALEN family check.
    EXPECT_TRUE(reader.HasSysObjectId({kSysObjectIdKorvalen1, kSysObjectIdKorvalen2}));
    EXPECT_FALSE(reader.HasSysObjectId({kSysObjectIdKorvalen1}));
    reader.Target().SetAddress("127.0.0.3");
    EXPECT_FALSE(reader.HasSysObjectId({kSysObjectIdKorvalen1, kSysObjectIdKorvalen2}));
}

// Element reads by GET go to the library as arcs, never as text: they must
// refuse exactly what the OID text would not parse.
TEST_F(SnmpReaderTest, FailsWithoutOidOrAnswerAndKeepsTheCallersValue) {
    int32_t value = 99;
    char text[16] = "unchanged";
    MIBMappingEntry none, one = Entry(kTest), longest = Entry(kTest);
    none.nElementId = EID_DEVICEADDRESS;
    one.oid = {1};
    longest.oid.assign(127, 1);
    EXPECT_EQ(Int(kTest + ".2", -5, -1, &value), E_FAIL) << "a negative index";
    EXPECT_EQ(Int(kTest + ".2", -1, -2, &value), E_FAIL);
    EXPECT_EQ(Int(kTest + ".1.99.0", -1, -1, &value), E_FAIL) << "noSuchName";
    EXPECT_EQ(reader.snmppGetInt32Value(nullptr, 1, 1, &value), E_FAIL) << "no mapping entry";
    EXPECT_EQ(reader.snmppGetInt32Value(&none, 1, 5, &value), E_FAIL) << "an entry without OID";
    EXPECT_EQ(reader.snmppGetStringValue(&none, 0, -1, text), E_FAIL);
    EXPECT_EQ(reader.snmppGetInt32Value(&one, -1, -1, &value), E_FAIL) << "a single arc";
    EXPECT_EQ(reader.snmppGetInt32Value(&longest, 1, 1, &value), E_FAIL) << "129 arcs";
    EXPECT_EQ(value, 99);
    EXPECT_STREQ(text, "unchanged");

    // The transport address follows the address text.
    reader.Target().SetAddress("0.0.0.0");
    EXPECT_EQ(Int(kTest + ".1.1.0", -1, -1, &value), E_FAIL);
    reader.Target().SetAddress("127.0.0.2");
    EXPECT_EQ(Int(kTest + ".1.1.0", -1, -1, &value), S_OK);

    // Addresses whose requests never leave: they fail at once, whatever the time-out.
    for (const char* address : {"10.1.2.3.4.5.6.7.8.9.1", "0000000A:00004A123456",
                                "1234567890123456", "printer", "0.0.0.0"}) {
        CSnmpReader r;
        r.Target().SetAddress(address);
        r.Target().SetTimeout(500);
        auto start = steady_clock::now();
        MIBMappingEntry answer = Entry(kTest + ".1.1.0");
        EXPECT_EQ(r.snmppGetInt32Value(&answer, -1, -1, &value), E_FAIL) << address;
        EXPECT_EQ(r.snmppGetOptionValue(2), 0) << address;
        EXPECT_FALSE(r.HasSysObjectId({kSysObjectIdKorvalen2})) << address;
        EXPECT_LT(steady_clock::now() - start, seconds(2)) << address << " waited for an answer";
    }
}

TEST_F(SnmpReaderTest, CutsTextsToTheCallersBuffer) {
    const std::string longText = kTest + ".1.4.0";
    char area[48];
    std::memset(area, '#', sizeof area);
    EXPECT_EQ(Text(longText, -1, -1, area, 16), S_OK);
    EXPECT_EQ(std::string(area), std::string(15, 'L'));
    for (size_t i = 16; i < sizeof area; ++i)
        ASSERT_EQ(area[i], '#') << "written past the buffer at " << i;

    char full[260];
    EXPECT_EQ(Text(longText, -1, -1, full), S_OK);
    EXPECT_EQ(std::strlen(full), 259u) << "300 characters into the usual 260-byte buffer";
    char none[1] = {'#'};
    EXPECT_EQ(Text(longText, -1, -1, none, 0), S_OK);
    EXPECT_EQ(none[0], '#') << "a buffer of size 0 is not touched";
}

TEST_F(SnmpReaderTest, GetNextTakesOnlyAnswersInsideTheAskedObject) {
    MIBMappingEntry rows = Entry(kTest + ".3");
    char text[260] = "";
    int32_t value = 0;
    // Asked ".3.1.1", answered by ".3.1.10": the text contains the asked text.
    EXPECT_EQ(reader.snmppGetNextStringValue(&rows, 1, 1, text), S_OK);
    EXPECT_STREQ(text, "ten");
    EXPECT_EQ(reader.snmppGetNextInt32Value(&rows, 2, -1, &value), S_OK);
    EXPECT_EQ(value, 21);
    value = -99;
    EXPECT_EQ(reader.snmppGetNextInt32Value(&rows, 2, 1, &value), E_FAIL)
        << "the next object is .4.1";
    EXPECT_EQ(value, -99);
    MIBMappingEntry last = Entry(kTest + ".4.1");
    std::strcpy(text, "unchanged");
    EXPECT_EQ(reader.snmppGetNextStringValue(&last, -1, -1, text), E_FAIL) << "nothing after it";
    EXPECT_STREQ(text, "unchanged");
}

TEST_F(SnmpReaderTest, PrintsOidsAndValuesAsTheDevicesSendThem) {
    auto printable = [&](const std::string& oid) {
        std::string text = "?";
        EXPECT_EQ(reader.GetPrintableValue(oid, &text), S_OK) << oid;
        return text;
    };
    EXPECT_EQ(printable(kOidSysObjectId), "1.3.6.1.4.1.32473.2.3.14.2");
    EXPECT_EQ(printable(kTest + ".1.2.0"), "-7");
    EXPECT_EQ(printable(kTest + ".1.3.0"), "Zuerich office");
    EXPECT_EQ(printable(kTest + ".1.5.0"), "4000000000");
    EXPECT_EQ(printable(kTest + ".1.6.0"), "1 day 1:00:00.00");
    EXPECT_EQ(printable(kTest + ".1.7.0"), "10.1.2.3");
    EXPECT_EQ(printable(kTest + ".1.8.0"), "00 FF 41");
    EXPECT_EQ(printable(kTest + ".1.9.0"), "1.3.6.1.4.1.32473.2.3.16.5");
    EXPECT_EQ(printable(kTest + ".1.10.0"), "123");

    std::string oid, value;
    EXPECT_EQ(reader.GetNextPrintableValue(kTest + ".3.1", &oid, &value), S_OK);
    EXPECT_EQ(oid, kTest + ".3.1.10") << "dotted, without a leading dot";
    EXPECT_EQ(value, "ten");
}

TEST_F(SnmpReaderTest, GetTakesNoAnswerAboutAnotherObject) {
    OneAnswerAgent agent("127.0.0.6", "Imposter");
    reader.Target().SetAddress("127.0.0.6");
    reader.Target().SetTimeout(100);
    std::string text;
    ASSERT_EQ(reader.GetPrintableValue("1.3.6.1.2.1.1.5.0", &text), S_OK) << "it does answer";
    EXPECT_EQ(text, "Imposter");

    // Asked for its name, location, model or MAC address, it names itself.
    char buffer[260] = "unchanged";
    int32_t value = 77;
    for (const std::string& oid : {kTest + ".1.3.0", std::string("1.3.6.1.2.1.1.6.0")}) {
        EXPECT_EQ(Text(oid, -1, -1, buffer), E_FAIL) << oid;
        EXPECT_EQ(Int(oid, -1, -1, &value), E_FAIL) << oid;
    }
    EXPECT_EQ(Text(kTest + ".3", 1, 1, buffer), E_FAIL);
    EXPECT_STREQ(buffer, "unchanged");
    EXPECT_EQ(value, 77);
    EXPECT_EQ(reader.GetPrintableValue(kOidSysObjectId, &text), E_FAIL);
    MIBMappingEntry column = Entry(kTest + ".3");
    EXPECT_EQ(reader.snmppGetNextStringValue(&column, 1, 1, buffer), E_FAIL)
        << "a GET-NEXT answer outside the object fails as before";
    EXPECT_GE(agent.Answered(), 7);
}

TEST_F(SnmpReaderTest, ReadsOptionUnits) {
    EXPECT_EQ(reader.snmppGetOptionValue(2), 1);
    EXPECT_EQ(reader.snmppGetOptionValue(3), 0);
    EXPECT_EQ(reader.snmppGetOptionValue(4), 0) << "a unit the device does not have";
    reader.Target().SetAddress("127.0.0.77");  // nothing listens there
    reader.Target().SetTimeout(10);
    EXPECT_EQ(reader.snmppGetOptionValue(2), 0) << "an unreachable device";
}

TEST_F(SnmpReaderTest, RunsExchangesOnSeveralTargetsAtOnce) {
    // Two devices read side by side, each by its own thread.
    auto readMany = [](const char* address, int32_t expected, std::string name, int* good) {
        CSnmpReader r;
        r.Target().SetAddress(address);
        MIBMappingEntry answer = Entry(kTest + ".1.1.0"), text = Entry(kTest + ".1.3.0");
        for (int i = 0; i < 40; ++i) {
            int32_t value = 0;
            char buf[64] = "";
            if (r.snmppGetInt32Value(&answer, -1, -1, &value) == S_OK && value == expected &&
                r.snmppGetStringValue(&text, -1, -1, buf) == S_OK && name == buf)
                ++*good;
        }
    };
    int goodA = 0, goodB = 0;
    std::thread a(readMany, "127.0.0.2", 42, "Zuerich office", &goodA);
    std::thread b(readMany, "127.0.0.3", 43, "Device B", &goodB);
    a.join();
    b.join();
    EXPECT_EQ(goodA, 40);
    EXPECT_EQ(goodB, 40);

    // Two silent devices: each gets the request and one retry of 500 ms,
    // and they time out side by side, not one after the other.
    SilentAddress silent1("127.0.0.10"), silent2("127.0.0.11");
    auto waitFor = [](const char* address) {
        CSnmpReader r;
        r.Target().SetAddress(address);
        r.Target().SetTimeout(50);
        int32_t value = 0;
        MIBMappingEntry answer = Entry(kTest + ".1.1.0");
        EXPECT_EQ(r.snmppGetInt32Value(&answer, -1, -1, &value), E_FAIL);
    };
    auto start = steady_clock::now();
    std::thread s1(waitFor, "127.0.0.10"), s2(waitFor, "127.0.0.11");
    s1.join();
    s2.join();
    auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start);
    EXPECT_GE(elapsed.count(), 995) << "two attempts of 500 ms";
    EXPECT_LT(elapsed.count(), 1950) << "the two waits overlapped";
    EXPECT_EQ(silent1.Received(), 2);
    EXPECT_EQ(silent2.Received(), 2);
}
