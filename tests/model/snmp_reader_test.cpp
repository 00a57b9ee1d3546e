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

QX_TEST_USES_PRIVATE_NETWORK();

using namespace qx;
using namespace std::chrono;

namespace {

const std::string kTest = "1.3.6.1.4.1.32473.99";

const std::string kProfileA = "1.3.6.1.2.1.1.2.0|6|1.3.6.1.4.1.32473.2.3.14.2\n" +  //
                              kTest + ".1.1.0|2|42\n" +                             //
                              kTest + ".1.2.0|2|-7\n" +                             //
                              kTest + ".1.3.0|4|Zuerich office\n" +                 //
                              kTest + ".1.4.0|4|" + std::string(300, 'L') + "\n" +  //
                              kTest + ".1.5.0|65|4000000000\n" +                    //
                              kTest + ".1.6.0|67|9000000\n" +                       //
                              kTest + ".1.7.0|64|10.1.2.3\n" +                      //
                              kTest + ".1.8.0|4x|00ff41\n" +                        //
                              kTest + ".1.9.0|6|1.3.6.1.4.1.32473.2.3.16.5\n" +     //
                              kTest + ".1.10.0|66|123\n" +                          //
                              kTest + ".2.5|2|55\n" +                               //
                              kTest + ".3.1.10|4|ten\n" +                           //
                              kTest + ".3.2.1|2|21\n" +                             //
                              kTest + ".4.1|4|last\n" +                             //
                              "1.3.6.1.4.1.32473.2.3.50.1.3.5.1.1.4.1.2|2|1\n"
                              "1.3.6.1.4.1.32473.2.3.50.1.3.5.1.1.4.1.3|2|0\n";

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

  private:
    int m_fd = -1;
};

// An agent that answers every request, whatever it asks for, with one
// binding for sysName.0: what a confused device, or one behind a broken
// proxy, sends. snmpsim cannot be made to do that.
class OneAnswerAgent {
  public:
    OneAnswerAgent(const char* address, std::string name) : m_name(std::move(name)) {
        m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(161);
        inet_pton(AF_INET, address, &at.sin_addr);
        EXPECT_EQ(bind(m_fd, reinterpret_cast<sockaddr*>(&at), sizeof at), 0)
            << std::strerror(errno);
        m_thread = std::thread([this] { Serve(); });
    }
    ~OneAnswerAgent() {
        m_stop = true;
        m_thread.join();
        close(m_fd);
    }
    int Answered() const { return m_answered; }

  private:
    static std::string Tlv(uint8_t tag, const std::string& value) {
        std::string out(1, static_cast<char>(tag));
        size_t n = value.size();
        if (n < 0x80) {
            out += static_cast<char>(n);
        } else {
            out += '\x82';
            out += static_cast<char>(n >> 8);
            out += static_cast<char>(n & 0xFF);
        }
        return out + value;
    }
    // The element at pos: its tag, and its contents in value; false when the
    // bytes are not one.
    static bool Read(const std::string& in, size_t& pos, uint8_t& tag, std::string& value) {
        if (pos + 2 > in.size())
            return false;
        tag = static_cast<uint8_t>(in[pos++]);
        size_t n = static_cast<uint8_t>(in[pos++]);
        if (n & 0x80) {
            size_t bytes = n & 0x7F;
            n = 0;
            for (; bytes > 0 && pos < in.size(); --bytes)
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
        size_t pos = 0;
        uint8_t tag = 0;
        std::string message, version, community, pdu, requestId;
        if (!Read(request, pos, tag, message) || tag != 0x30)
            return {};
        pos = 0;
        if (!Read(message, pos, tag, version) || !Read(message, pos, tag, community) ||
            !Read(message, pos, tag, pdu))
            return {};
        pos = 0;
        if (!Read(pdu, pos, tag, requestId) || tag != 0x02)
            return {};
        const std::string sysName("\x2B\x06\x01\x02\x01\x01\x05\x00", 8);
        std::string binding = Tlv(0x30, Tlv(0x06, sysName) + Tlv(0x04, m_name));
        std::string response = Tlv(0x02, requestId) + Tlv(0x02, std::string(1, '\0')) +
                               Tlv(0x02, std::string(1, '\0')) + Tlv(0x30, binding);
        return Tlv(0x30, Tlv(0x02, version) + Tlv(0x04, community) + Tlv(0xA2, response));
    }
    void Serve() {
        while (!m_stop) {
            pollfd pfd{m_fd, POLLIN, 0};
            if (poll(&pfd, 1, 20) <= 0)
                continue;
            char buf[1500];
            sockaddr_in from{};
            socklen_t fromLength = sizeof from;
            ssize_t n =
                recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (n <= 0)
                continue;
            std::string reply = Answer(std::string(buf, static_cast<size_t>(n)));
            if (!reply.empty() && sendto(m_fd, reply.data(), reply.size(), 0,
                                         reinterpret_cast<sockaddr*>(&from), fromLength) > 0)
                ++m_answered;
        }
    }

    int m_fd = -1;
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
        s_a = new qxtest::SimulatedDevice("127.0.0.2", kProfileA);
        s_b = new qxtest::SimulatedDevice("127.0.0.3", kProfileB);
        s_started = qxtest::SimulatedDevice::StartAll({s_a, s_b}, *s_error);
    }
    static void TearDownTestSuite() {
        delete s_a;
        delete s_b;
        s_a = s_b = nullptr;
    }
    void SetUp() override {
        QX_REQUIRE_PRIVATE_NETWORK();
        ASSERT_TRUE(s_started) << *s_error;
        reader.Target().SetAddress("127.0.0.2");
    }

    static qxtest::SimulatedDevice* s_a;
    static qxtest::SimulatedDevice* s_b;
    static bool s_started;
    static std::string* s_error;

    CSnmpReader reader;
};

qxtest::SimulatedDevice* SnmpReaderTest::s_a = nullptr;
qxtest::SimulatedDevice* SnmpReaderTest::s_b = nullptr;
bool SnmpReaderTest::s_started = false;
std::string* SnmpReaderTest::s_error = new std::string;

}  // namespace

TEST(SnmpTarget, ClassifiesAddressesByLength) {
    CSnmpTarget t;
    EXPECT_EQ(t.Kind(), SnmpAddressKind::None);
    EXPECT_EQ(t.Timeout(), 100u) << "the library's default: one second";
    t.SetAddress("255.255.255.255");
    EXPECT_EQ(t.Kind(), SnmpAddressKind::Ip);
    EXPECT_EQ(t.PeerName(), "udp:255.255.255.255:161");
    t.SetAddress("010.001.002.003");
    EXPECT_EQ(t.PeerName(), "udp:10.1.2.3:161");
    t.SetAddress("1234567890123456");  // 16 characters
    EXPECT_EQ(t.Kind(), SnmpAddressKind::Ipx);
    EXPECT_EQ(t.PeerName(), "") << "no IPX transport here";
    t.SetAddress("0000000A:00004A123456");
    EXPECT_EQ(t.Kind(), SnmpAddressKind::Ipx);
    t.SetAddress("10.1.2.3.4.5.6.7.8.9.1");  // 22 characters
    EXPECT_EQ(t.Kind(), SnmpAddressKind::None);
    EXPECT_EQ(t.AddressText(), "");
    for (const char* unusable : {"", "printer", "10.1.2", "0.0.0.0"}) {
        t.SetAddress(unusable);
        EXPECT_EQ(t.Kind(), SnmpAddressKind::Ip) << unusable;
        EXPECT_EQ(t.PeerName(), "") << unusable;
    }
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

TEST_F(SnmpReaderTest, ReadsIntegersAndTexts) {
    int32_t value = 0;
    MIBMappingEntry answer = Entry(kTest + ".1.1.0");
    EXPECT_EQ(reader.snmppGetInt32Value(&answer, -1, -1, &value), S_OK);
    EXPECT_EQ(value, 42);
    MIBMappingEntry negative = Entry(kTest + ".1.2");
    EXPECT_EQ(reader.snmppGetInt32Value(&negative, 0, -1, &value), S_OK);
    EXPECT_EQ(value, -7);
    MIBMappingEntry counter = Entry(kTest + ".1.5.0");
    EXPECT_EQ(reader.snmppGetInt32Value(&counter, -1, -1, &value), S_OK);
    EXPECT_EQ(value, static_cast<int32_t>(4000000000u)) << "a Counter32 keeps its 32 bits";

    char text[260] = "unchanged";
    MIBMappingEntry office = Entry(kTest + ".1.3");
    EXPECT_EQ(reader.snmppGetStringValue(&office, 0, -1, text), S_OK);
    EXPECT_STREQ(text, "Zuerich office");

    MIBMappingEntry indexed = Entry(kTest + ".2");
    EXPECT_EQ(reader.snmppGetInt32Value(&indexed, -1, 5, &value), S_OK)
        << "first index -1, second 5";
    EXPECT_EQ(value, 55);

    // The installed KORVALEN family check.
    EXPECT_TRUE(reader.HasSysObjectId({kSysObjectIdKorvalen1, kSysObjectIdKorvalen2}));
    EXPECT_FALSE(reader.HasSysObjectId({kSysObjectIdKorvalen1}));
    reader.Target().SetAddress("127.0.0.3");
    EXPECT_FALSE(reader.HasSysObjectId({kSysObjectIdKorvalen1, kSysObjectIdKorvalen2}));
}

// Element reads by GET go to the library as arcs, never as text: they must
// refuse exactly what the OID text would not parse.
TEST_F(SnmpReaderTest, ElementReadsRefuseWhatMakesNoOid) {
    int32_t value = 99;
    MIBMappingEntry indexed = Entry(kTest + ".2");
    EXPECT_EQ(reader.snmppGetInt32Value(&indexed, -5, -1, &value), E_FAIL) << "a negative index";
    EXPECT_EQ(reader.snmppGetInt32Value(&indexed, -1, -2, &value), E_FAIL);
    MIBMappingEntry none;
    none.nElementId = 1;
    EXPECT_EQ(reader.snmppGetInt32Value(&none, 1, 5, &value), E_FAIL) << "an entry without OID";
    MIBMappingEntry one = Entry(kTest);
    one.oid = {1};
    EXPECT_EQ(reader.snmppGetInt32Value(&one, -1, -1, &value), E_FAIL) << "a single arc";
    MIBMappingEntry longest = Entry(kTest);
    longest.oid.assign(127, 1);
    EXPECT_EQ(reader.snmppGetInt32Value(&longest, 1, 1, &value), E_FAIL) << "129 arcs";
    EXPECT_EQ(value, 99);
    MIBMappingEntry zero = Entry(kTest + ".1.1");
    EXPECT_EQ(reader.snmppGetInt32Value(&zero, 0, -1, &value), S_OK) << "index 0 is an index";
    EXPECT_EQ(value, 42);

    // The target's transport address follows its address text.
    reader.Target().SetAddress("0.0.0.0");
    EXPECT_EQ(reader.Target().PeerName(), "");
    EXPECT_EQ(reader.snmppGetInt32Value(&zero, 0, -1, &value), E_FAIL);
    reader.Target().SetAddress("127.0.0.2");
    EXPECT_EQ(reader.Target().PeerName(), "udp:127.0.0.2:161");
    EXPECT_EQ(reader.snmppGetInt32Value(&zero, 0, -1, &value), S_OK);
}

TEST_F(SnmpReaderTest, KeepsTheCallersValueWhenTheTypeDoesNotFit) {
    int32_t value = 1234;
    MIBMappingEntry office = Entry(kTest + ".1.3.0");
    EXPECT_EQ(reader.snmppGetInt32Value(&office, -1, -1, &value), S_OK)
        << "a text answer to an integer read";
    EXPECT_EQ(value, 1234);
    MIBMappingEntry address = Entry(kTest + ".1.7.0");
    EXPECT_EQ(reader.snmppGetInt32Value(&address, -1, -1, &value), S_OK);
    EXPECT_EQ(value, 1234);

    char text[32] = "unchanged";
    MIBMappingEntry answer = Entry(kTest + ".1.1.0");
    EXPECT_EQ(reader.snmppGetStringValue(&answer, -1, -1, text), S_OK)
        << "a number answer to a text read";
    EXPECT_STREQ(text, "");
}

TEST_F(SnmpReaderTest, CutsTextsToTheCallersBuffer) {
    MIBMappingEntry longText = Entry(kTest + ".1.4.0");
    char area[48];
    std::memset(area, '#', sizeof area);
    EXPECT_EQ(reader.snmppGetStringValue(&longText, -1, -1, area, 16), S_OK);
    EXPECT_EQ(std::string(area), std::string(15, 'L'));
    for (size_t i = 16; i < sizeof area; ++i)
        ASSERT_EQ(area[i], '#') << "written past the buffer at " << i;

    char full[260];
    EXPECT_EQ(reader.snmppGetStringValue(&longText, -1, -1, full), S_OK);
    EXPECT_EQ(std::strlen(full), 259u) << "300 characters into the usual 260-byte buffer";
    char none[1] = {'#'};
    EXPECT_EQ(reader.snmppGetStringValue(&longText, -1, -1, none, 0), S_OK);
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
        MIBMappingEntry entry = Entry(oid);
        EXPECT_EQ(reader.snmppGetStringValue(&entry, -1, -1, buffer), E_FAIL) << oid;
        EXPECT_EQ(reader.snmppGetInt32Value(&entry, -1, -1, &value), E_FAIL) << oid;
    }
    MIBMappingEntry column = Entry(kTest + ".3");
    EXPECT_EQ(reader.snmppGetStringValue(&column, 1, 1, buffer), E_FAIL);
    EXPECT_STREQ(buffer, "unchanged");
    EXPECT_EQ(value, 77);
    EXPECT_EQ(reader.GetPrintableValue(kOidSysObjectId, &text), E_FAIL);
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

TEST_F(SnmpReaderTest, FailsWithoutAnswer) {
    int32_t value = 5;
    char text[16] = "unchanged";
    MIBMappingEntry missing = Entry(kTest + ".1.99.0");
    EXPECT_EQ(reader.snmppGetInt32Value(&missing, -1, -1, &value), E_FAIL) << "noSuchName";
    EXPECT_EQ(reader.snmppGetInt32Value(nullptr, 1, 1, &value), E_FAIL) << "no mapping entry";
    MIBMappingEntry noOid;
    noOid.nElementId = EID_DEVICEADDRESS;
    EXPECT_EQ(reader.snmppGetStringValue(&noOid, 0, -1, text), E_FAIL) << "an entry without OID";
    EXPECT_EQ(value, 5);
    EXPECT_STREQ(text, "unchanged");

    // Addresses whose requests never leave: they fail at once, whatever the time-out.
    MIBMappingEntry answer = Entry(kTest + ".1.1.0");
    for (const char* address : {"10.1.2.3.4.5.6.7.8.9.1", "0000000A:00004A123456",
                                "1234567890123456", "printer", "0.0.0.0"}) {
        CSnmpReader r;
        r.Target().SetAddress(address);
        r.Target().SetTimeout(500);
        auto start = steady_clock::now();
        EXPECT_EQ(r.snmppGetInt32Value(&answer, -1, -1, &value), E_FAIL) << address;
        EXPECT_EQ(r.snmppGetOptionValue(2), 0) << address;
        EXPECT_FALSE(r.HasSysObjectId({kSysObjectIdKorvalen2})) << address;
        EXPECT_LT(steady_clock::now() - start, seconds(2)) << address << " waited for an answer";
    }
}

TEST_F(SnmpReaderTest, TimesOutAfterOneRetry) {
    SilentAddress silent("127.0.0.9");
    CSnmpReader r;
    r.Target().SetAddress("127.0.0.9");
    r.Target().SetTimeout(30);  // 300 ms an attempt
    MIBMappingEntry answer = Entry(kTest + ".1.1.0");
    int32_t value = 0;
    auto start = steady_clock::now();
    EXPECT_EQ(r.snmppGetInt32Value(&answer, -1, -1, &value), E_FAIL);
    auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start);
    EXPECT_GE(elapsed.count(), 595) << "two attempts of 300 ms";
    EXPECT_LT(elapsed.count(), 600 + 2000) << "not much later";
    EXPECT_EQ(silent.Received(), 2) << "the request and its one retry";
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

    // Two silent devices time out side by side, not one after the other.
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
    EXPECT_GE(elapsed.count(), 995);
    EXPECT_LT(elapsed.count(), 1000 + 1500) << "the two waits overlapped";
}
