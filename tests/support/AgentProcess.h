#pragma once
// An SNMP agent program started for a test, in its own scratch directory,
// with its output in a log file there. The agent is watched by a small
// guardian process that ends it as soon as the test program closes its end
// of a pipe, which also happens when the test program crashes: no agent
// outlives its test.
//
// Used through SimulatedDevice (snmpsimd) and NetSnmpAgent (snmpd).

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace qxtest {

class AgentProcess {
  public:
    AgentProcess();  // makes the scratch directory
    ~AgentProcess();
    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;

    const std::string& Dir() const { return m_dir; }

    // Starts argv[0] (searched in PATH) with the extra environment entries
    // ("NAME=value"). Does not wait for it to answer.
    bool Launch(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                std::string& error);
    // Waits until the agent answers an SNMPv1 GET (any answer, with
    // community "public") on address:161, or it exits, or the time is up.
    bool WaitUntilAnswering(const std::string& address, std::chrono::milliseconds limit,
                            std::string& error);
    // Ends the agent and its guardian; safe to call more than once.
    void Stop();
    bool Running() const { return m_guardian > 0; }

    // The end of the agent's log, for failure messages.
    std::string LogTail(size_t bytes = 2000) const;

  private:
    std::string m_dir;
    pid_t m_guardian = -1;
    int m_lifeline = -1;  // write end of the guardian's pipe
};

// One SNMPv1 GET of sysObjectID.0 with community "public"; true when
// anything answers within the wait.
bool SnmpAgentAnswers(const std::string& address, std::chrono::milliseconds wait);

}  // namespace qxtest
