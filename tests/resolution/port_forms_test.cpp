// What a port's name and the registry give without asking any device or
// name server: the address texts of the port forms, the port kinds, the
// Standard TCP/IP ports' addresses, the network printers' rules and the
// PrinterDiscovery store per family, bad stored values included.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"
#include "resolution/DiscoveryStore.h"
#include "resolution/NetwareQueueSearch.h"
#include "resolution/PortForms.h"
#include "resolution/PortResolvers.h"
#include "support/RegFixture.h"
#include "support/TempRegistry.h"
#include "trace/Trace.h"

using namespace qx;

namespace {

class PortFormsTest : public ::testing::Test {
  protected:
    qxtest::TempRegistry store;
    qxtest::TempDir dir;

    void SetUp() override {
        SetTraceDestination((dir.Path() + "/trace.log").c_str());
        qxtest::SeedRegistry(qxtest::DataFile("resolution", "tcp_ports.reg"));
        qxtest::SeedRegistry(qxtest::DataFile("resolution", "stored_ports.reg"));
    }
    void TearDown() override { SetTraceDestination(""); }

    std::string TraceText() const {
        std::ifstream in(dir.Path() + "/trace.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

struct Resolved {
    int code;
    std::string address;
};

Resolved Network(const char* port, const char* server = "\\\\SRV", int family = 1) {
    ResolverText address = {};
    int code = HandleNetworkPrinters(server, port, address, family, nullptr);
    return {code, address};
}

}  // namespace

TEST(PortForms, IpAddressTexts) {
    for (const char* yes :
         {"10.1.2.3", "10.1", "7", "0.0.0.0", "255.255.255.255", "1..2", "01.002"})
        EXPECT_EQ(isIpAddress(yes), 1) << yes;
    for (const char* no : {"", "...", "256.1.1.1", "1.2.3.4.5", "1a.2.3.4", "1000", "-1.2.3.4",
                           "10.1.2.3 ", "LPT1:"})
        EXPECT_EQ(isIpAddress(no), 0) << no;
}

TEST(PortForms, AddressTextsOfThePortForms) {
    struct Case {
        void (*rule)(const char*, ResolverText&);
        const char* port;
        const char* address;
    } cases[] = {
        {GetIPPportAddress, "http://10.0.0.9:631/printers/x", "10.0.0.9"},
        {GetIPPportAddress, "http://webhost/printers/x", "webhost"},
        {GetIPPportAddress, "QX_http://webhost", "webhost"},
        {GetIPPportAddress, "http://", ""},
        {GetIPPportAddress, "http:/", ""},
        {GetAddressFromLocalPortName, "\\\\host\\queue", "host"},
        {GetAddressFromLocalPortName, "\\\\host\\a\\b", "host\\a"},
        {GetAddressFromLocalPortName, "\\\\host", ""},
        {GetAddressFromLocalPortName, "\\\\\\", ""},
        {GetAddressFromLocalPortName, "x\\\\", ""},
        {GetTextBeforeColon, "lpdhost:queue", "lpdhost"},
        {GetTextBeforeColon, "LPT1:", "LPT1"},
        {GetTextBeforeColon, ":queue", ""},
    };
    for (const Case& c : cases) {
        ResolverText address;
        memset(address, 'x', sizeof address);
        c.rule(c.port, address);
        EXPECT_STREQ(address, c.address) << c.port;
    }

    // Every copy is cut to the buffer.
    std::string longHost = "\\\\" + std::string(400, 'h') + "\\queue";
    ResolverText address;
    GetAddressFromLocalPortName(longHost.c_str(), address);
    EXPECT_EQ(std::string(address), std::string(kResolverTextSize - 1, 'h'));

    ResolverText queue = {};
    EXPECT_EQ(ParseIPXQUEName("\\\\NWSERVER\\PCL_QUEUE", queue), 1);
    EXPECT_STREQ(queue, "PCL_QUEUE");
    EXPECT_EQ(ParseIPXQUEName("\\\\NWSERVER\\", queue), 0);
    EXPECT_EQ(ParseIPXQUEName("LPT1:", queue), 0);
    EXPECT_EQ(ParseIPXQUEName(nullptr, queue), 0);

    EXPECT_EQ(NetwareIpxAddressText({0x1A, 0x2B, 0x3C, 0x4D}, {0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6}),
              "1a2b3c4d:a1b2c3d4e5f6");
    EXPECT_EQ(NetwareIpxAddressText({0, 0, 0, 1}, {0, 0, 0, 0, 0, 0x0F}), "00000001:00000000000f");
}

TEST_F(PortFormsTest, PortKindsInTheirOrder) {
    // Only names that are decided before any host-name lookup.
    struct Case {
        const char* port;
        int local;
        int network;
    } cases[] = {
        {"http://10.0.0.9:631/x", kLocalPortHttp, kNetworkPortColon},
        {"ipp://10.0.0.9/ipp", kLocalPortIpp, kNetworkPortColon},
        {"http://IP_x", kLocalPortHttp, kNetworkPortIp},
        {"IP_10.1.2.3", kLocalPortIp, kNetworkPortIp},
        {"IP_unknown", kLocalPortIp, kNetworkPortIp},
        {"QXLaser", kLocalPortStandardTcp, kNetworkPortStandardTcp},
        {"qxlaser", kLocalPortStandardTcp, kNetworkPortStandardTcp},
        {"\\\\host\\IP_queue", kLocalPortIp, kNetworkPortIp},
        {"\\\\host\\queue", kLocalPortUnc, kNetworkPortUnc},
        {"10.1.2.3", kLocalPortAddress, kNetworkPortShare},
        {"QXShare", kLocalPortUnknown, kNetworkPortShare},
    };
    for (const Case& c : cases) {
        if (c.local != kLocalPortUnknown) {
            EXPECT_EQ(DetermineLocalPortType(c.port), c.local) << c.port;
        }
        EXPECT_EQ(DetermineNetworkPortType(c.port), c.network) << c.port;
    }
    // The monitor's key of a port is never its list of ports, nor a path.
    EXPECT_EQ(IsStandardTcpIpPort(""), 0);
    EXPECT_EQ(IsStandardTcpIpPort(nullptr), 0);
    EXPECT_EQ(IsStandardTcpIpPort("QXLaser\\..\\QXLaser"), 0);
    EXPECT_EQ(IsStandardTcpIpPort("IP_10.1.2.3"), 1);
}

TEST_F(PortFormsTest, StandardTcpIpPortsFromTheMonitorThenTheStore) {
    struct Case {
        const char* port;
        int family;
        int code;
        const char* address;
    } cases[] = {
        {"IP_10.1.2.3", 1, kResolved, "10.1.2.3"},
        {"QXLaser", 2, kResolved, "10.4.4.4"},
        // Set up by host name: the address the user picked for the family.
        {"IP_printhost", 1, kResolved, "10.9.9.9"},
        {"IP_printhost", 2, kResolved, "10.6.6.6"},
        {"IP_printhost", 3, kResolveByDiscovery, ""},
        // A value of another type is no address; a port without a key neither.
        {"QXOdd", 1, kResolveByDiscovery, ""},
        {"IP_10.3.3.3", 1, kResolveByDiscovery, ""},
    };
    for (const Case& c : cases) {
        ResolverText address = {};
        EXPECT_EQ(GetTcpPortAddress(c.port, address, c.family), c.code) << c.port;
        if (c.code == kResolved) {
            EXPECT_STREQ(address, c.address) << c.port;
        }
        // The local printer's path takes the same road.
        ResolverText viaLocal = {};
        EXPECT_EQ(HandleLocalPrinters(c.port, viaLocal, c.family, nullptr), c.code) << c.port;
    }
    EXPECT_EQ(TraceText().find("ismfpaddress"), std::string::npos)
        << "no device is asked about a TCP/IP port";
}

TEST_F(PortFormsTest, NetworkPrintersByTheirPortsForm) {
    struct Case {
        const char* port;
        int code;
        const char* address;
    } cases[] = {
        {"IP_10.1.2.3", kResolved, "10.1.2.3"},
        // No key of that name needed: the name says it all.
        {"IP_10.3.3.3", kResolved, "10.3.3.3"},
        {"QXLaser", kResolved, "10.4.4.4"},
        {"QXOdd", kResolveByDiscovery, ""},
        {"\\\\printsrv\\queue", kResolved, "printsrv"},
        {"lpdhost:queue", kResolved, "lpdhost"},
        {"Ne01:", kResolved, "Ne01"},
        // Forms that leave no text name no device.
        {"IP_", kResolveByDiscovery, ""},
        {":queue", kResolveByDiscovery, ""},
    };
    for (const Case& c : cases) {
        Resolved r = Network(c.port);
        EXPECT_EQ(r.code, c.code) << c.port;
        if (c.code == kResolved) {
            EXPECT_EQ(r.address, c.address) << c.port;
        }
    }
    // A printer that is neither local nor network.
    ResolverText address = {};
    EXPECT_EQ(GetMfpAddress("IP_10.1.2.3", "", address, 1, 0x8, nullptr), kResolveFailed);
    EXPECT_EQ(GetMfpAddress("IP_10.1.2.3", "", address, 1, 0x10, nullptr), kResolved);
    EXPECT_EQ(GetMfpAddress("ipp://h/x", "", address, 1, 0x50, nullptr), kResolveByDiscovery)
        << "local wins over network";
}

TEST_F(PortFormsTest, StoreKeysPerFamilyAndWhatCountsAsStored) {
    EXPECT_EQ(PortDiscoveryKey(1),
              "Software\\KORVALEN\\Quorvia KORVALEN Client\\QX-Tendra\\PrinterDiscovery");
    EXPECT_EQ(PortDiscoveryKey(3),
              "Software\\Tint Mark 4E\\Tint Mark 4E Client\\QX-Tendra\\PrinterDiscovery");
    for (int other : {0, 2, 4, -1})
        EXPECT_EQ(PortDiscoveryKey(other),
                  "Software\\ORVEN\\Quorvia ORVEN Client\\QX-Tendra\\PrinterDiscovery");

    ResolverText address;
    strcpy(address, "kept");
    EXPECT_EQ(HasPortBeenDiscovered("\\\\winserver\\queue", address, 1), 1);
    EXPECT_STREQ(address, "10.8.8.8");
    // Port names are the registry's value names: no regard to case.
    EXPECT_EQ(HasPortBeenDiscovered("qxshare", address, 1), 1);
    EXPECT_STREQ(address, "10.7.7.7");

    strcpy(address, "kept");
    for (const char* missing : {"Empty", "Number", "Nobody", ""})
        EXPECT_EQ(HasPortBeenDiscovered(missing, address, 1), 0) << missing;
    EXPECT_EQ(HasPortBeenDiscovered("QXShare", address, 2), 0);
    EXPECT_EQ(HasPortBeenDiscovered("QXShare", address, 3), 0) << "no key at all";
    EXPECT_EQ(HasPortBeenDiscovered(nullptr, address, 1), 0);
    EXPECT_STREQ(address, "kept");

    // Written, then found; family 3 gets its key made.
    EXPECT_EQ(StorePortAddress("\\\\nw\\PCL", "10.2.2.2", 3), ERROR_SUCCESS);
    EXPECT_EQ(HasPortBeenDiscovered("\\\\nw\\PCL", address, 3), 1);
    EXPECT_STREQ(address, "10.2.2.2");
    reg::Key key;
    ASSERT_EQ(reg::Key::Open(reg::Hive::CurrentUser, PortDiscoveryKey(3), reg::Access::Read, key),
              ERROR_SUCCESS);
    reg::Value value;
    ASSERT_EQ(key.GetValue("\\\\nw\\PCL", value), ERROR_SUCCESS);
    EXPECT_EQ(value.type, reg::REG_SZ);
    EXPECT_EQ(value.data.size(), 9u) << "terminating zero included";

    // A value longer than the buffer is not cut into a wrong address.
    std::string longAddress(300, '1');
    EXPECT_EQ(StorePortAddress("Long", longAddress, 1), ERROR_SUCCESS);
    strcpy(address, "kept");
    EXPECT_EQ(HasPortBeenDiscovered("Long", address, 1), 0);
    EXPECT_STREQ(address, "kept");
}

TEST_F(PortFormsTest, NetwareSearchCannotBegin) {
    ResolverText address = {};
    EXPECT_EQ(FindIPXAddressFromPortName("\\\\NWSERVER\\PCL_QUEUE", &address), 0);
    EXPECT_STREQ(address, "");
    EXPECT_NE(TraceText().find("the lookup for queue PCL_QUEUE cannot begin"), std::string::npos);
    EXPECT_EQ(FindIPXAddressFromPortName("\\\\NWSERVER\\PCL_QUEUE", nullptr), 0);
    EXPECT_EQ(FindIPXAddressFromPortName(nullptr, &address), 0);
    EXPECT_EQ(FindIPXAddressFromPortName("\\\\NWSERVER\\", &address), 0);
}
