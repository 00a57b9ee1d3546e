#include "support/NetSnmpAgent.h"

#include <fstream>
#include <utility>

namespace qxtest {

NetSnmpAgent::NetSnmpAgent(std::string address, std::string extraConfig)
    : m_address(std::move(address)), m_config(std::move(extraConfig)) {}

bool NetSnmpAgent::Start(std::string& error) {
    const std::string dir = m_process.Dir();
    {
        std::ofstream conf(dir + "/snmpd.conf", std::ios::trunc);
        conf << "rocommunity public\n" << m_config << "\n";
        if (!conf) {
            error = "cannot write snmpd.conf";
            return false;
        }
    }
    // -C: no configuration but ours; its persistent state stays in the
    // scratch directory instead of /var/lib/snmp.
    std::vector<std::string> args = {"snmpd",
                                     "-f",
                                     "-C",
                                     "-c",
                                     dir + "/snmpd.conf",
                                     "-Lo",
                                     "-p",
                                     dir + "/snmpd.pid",
                                     "udp:" + m_address + ":161"};
    std::vector<std::string> env = {"SNMP_PERSISTENT_DIR=" + dir, "MIBS="};
    if (!m_process.Launch(args, env, error) ||
        !m_process.WaitUntilAnswering(m_address, std::chrono::seconds(30), error)) {
        error = "snmpd on " + m_address + ": " + error;
        return false;
    }
    return true;
}

}  // namespace qxtest
