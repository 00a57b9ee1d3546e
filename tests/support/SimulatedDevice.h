#pragma once
// A simulated device: snmpsimd serving one profile of "OID|TYPE|VALUE" lines
// (.snmprec; types 2 integer, 4 octet string, 4x hex string, 6 OID, 64
// IpAddress, 65 Counter32, 66 Gauge32, 67 TimeTicks) with community "public"
// on ADDRESS:161. Meant for a program in its private network
// (support/PrivateNetwork.h), where any 127.x address is free; start a
// suite's devices once, in SetUpTestSuite, with StartAll.
//
//     static qxtest::SimulatedDevice device("127.0.0.2", qxtest::ReadTextFile(path));
//     ASSERT_TRUE(device.Start(error)) << error;

#include <chrono>
#include <initializer_list>
#include <string>
#include <utility>

#include "support/AgentProcess.h"

namespace qxtest {

class SimulatedDevice {
  public:
    // The profile's lines may come in any order; blank lines and lines
    // starting with "#" are dropped.
    SimulatedDevice(std::string address, std::string profile);
    ~SimulatedDevice() = default;

    const std::string& Address() const { return m_address; }
    // Runs the agent inside the named network namespace ("ip netns exec"),
    // for a device that the test reaches through a route only.
    void SetNetworkNamespace(std::string name) { m_namespace = std::move(name); }

    bool Start(std::string& error);
    void Stop() { m_process.Stop(); }
    bool Running() const { return m_process.Running(); }
    std::string LogTail() const { return m_process.LogTail(); }

    // Launches every device, then waits for all of them: startups overlap.
    static bool StartAll(std::initializer_list<SimulatedDevice*> devices, std::string& error);

    static constexpr std::chrono::milliseconds kStartLimit{30000};

  private:
    bool Launch(std::string& error);

    std::string m_address;
    std::string m_profile;
    std::string m_namespace;
    AgentProcess m_process;
};

// The profile text in OID order, as snmpsimd needs it for GET-NEXT.
std::string SortedProfile(const std::string& profile);

std::string ReadTextFile(const std::string& path);

}  // namespace qxtest
