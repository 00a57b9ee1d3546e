#pragma once
// The broadcast test bed: the program's own private network (see
// support/PrivateNetwork.h) is the workstation, with a bridge "br0" holding
// the host address 10.203.0.1/24 and the default route (a send to
// 255.255.255.255 needs one). Each device is a network namespace of its own,
// kept alive by a small holder process, joined to the bridge by a veth pair.
// Programs run inside a device's namespace through nsenter, so agents see
// the broadcast exactly as on a real link. Everything ends with the program.
// Needs root and the iproute2 and util-linux tools.

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/AgentProcess.h"

namespace qxtest {

class BroadcastBed {
  public:
    static constexpr const char* kHostAddress = "10.203.0.1";
    static constexpr const char* kHostMask = "255.255.255.0";

    BroadcastBed() = default;
    ~BroadcastBed();
    BroadcastBed(const BroadcastBed&) = delete;
    BroadcastBed& operator=(const BroadcastBed&) = delete;

    bool Create(std::string& error);

    // A device namespace with address/prefix on the bridge; `route`, when
    // given, is added on its link (for a device outside the host's subnet
    // that must still reach it). Returns its index, or -1.
    int AddDevice(const std::string& address, int prefix, std::string& error,
                  const std::string& route = "");

    // argv run inside device i's network.
    std::vector<std::string> InDevice(int device, const std::vector<std::string>& argv) const;

    // Agents of device i, bound to 0.0.0.0:161 (a socket bound to the
    // device's own address would hear no broadcast). They do not wait for
    // the agent: AgentProcess::WaitUntilAnswering does.
    bool LaunchSnmpsim(AgentProcess& agent, int device, const std::string& profile,
                       std::string& error) const;
    bool LaunchSnmpd(AgentProcess& agent, int device, const std::string& extraConfig,
                     std::string& error) const;
    bool LaunchProgram(AgentProcess& agent, int device, const std::vector<std::string>& argv,
                       std::string& error) const;

  private:
    std::vector<pid_t> m_holders;
};

// Runs a program (searched in PATH and sbin) and waits; false with its
// output in `error` when it fails.
bool RunTool(const std::vector<std::string>& argv, std::string& error);

// Sets the host name in a UTS namespace of the calling thread's own, so
// that the host check resolves it without any name service (a dotted
// address resolves to itself). Needs root.
bool SetPrivateHostName(const std::string& name, std::string& error);

}  // namespace qxtest
