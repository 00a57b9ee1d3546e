#pragma once
// Net-SNMP's own agent, snmpd, on ADDRESS:161 with community "public" and
// the caller's extra configuration lines (for example "override OID TYPE
// VALUE" to serve a value). It answers about ten times faster than
// snmpsimd, which makes it the agent of benchmarks that compare against a
// floor. Meant for a program in its private network, like SimulatedDevice.

#include <chrono>
#include <string>

#include "support/AgentProcess.h"

namespace qxtest {

class NetSnmpAgent {
  public:
    NetSnmpAgent(std::string address, std::string extraConfig);

    const std::string& Address() const { return m_address; }
    bool Start(std::string& error);
    void Stop() { m_process.Stop(); }
    std::string LogTail() const { return m_process.LogTail(); }

  private:
    std::string m_address;
    std::string m_config;
    AgentProcess m_process;
};

}  // namespace qxtest
