#include "BroadcastBed.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "support/SimulatedDevice.h"

namespace qxtest {

namespace {

std::string ToolPath(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
    for (const char* dir : {"/usr/sbin/", "/sbin/", "/usr/bin/", "/bin/"}) {
        std::string p = dir + name;
        if (access(p.c_str(), X_OK) == 0)
            return p;
    }
    return name;
}

}  // namespace

bool RunTool(const std::vector<std::string>& argv, std::string& error) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    std::string path = ToolPath(argv.at(0));
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(out[1], 2);
        execv(path.c_str(), args.data());
        _exit(127);
    }
    close(out[1]);
    std::string output;
    char buf[512];
    ssize_t n;
    while ((n = read(out[0], buf, sizeof buf)) > 0)
        output.append(buf, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        error = "";
        for (const auto& a : argv)
            error += a + " ";
        error += "failed: " + output;
        return false;
    }
    return true;
}

bool SetPrivateHostName(const std::string& name, std::string& error) {
    static bool unshared = false;
    if (!unshared && unshare(CLONE_NEWUTS) != 0) {
        error = std::string("unshare(CLONE_NEWUTS): ") + std::strerror(errno);
        return false;
    }
    unshared = true;
    if (sethostname(name.c_str(), name.size()) != 0) {
        error = std::string("sethostname: ") + std::strerror(errno);
        return false;
    }
    return true;
}

BroadcastBed::~BroadcastBed() {
    for (pid_t pid : m_holders) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

bool BroadcastBed::Create(std::string& error) {
    return RunTool({"ip", "link", "add", "br0", "type", "bridge"}, error) &&
           RunTool(
               {"ip", "addr", "add", std::string(kHostAddress) + "/24", "brd", "+", "dev", "br0"},
               error) &&
           RunTool({"ip", "link", "set", "br0", "up"}, error) &&
           RunTool({"ip", "route", "add", "default", "dev", "br0"}, error);
}

int BroadcastBed::AddDevice(const std::string& address, int prefix, std::string& error,
                            const std::string& route) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return -1;
    }
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        // The holder: only async-signal-safe calls, the test program may have threads.
        // It must hold none of the program's descriptors: an agent's
        // guardian waits for the end of its lifeline pipe.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(ready[1], 3);
        close_range(4, ~0u, 0);
        int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, 0);
        dup2(devNull, 1);
        dup2(devNull, 2);
        if (devNull > 3)
            close(devNull);
        char ok = (getppid() == parent && unshare(CLONE_NEWNET) == 0) ? 1 : 0;
        [[maybe_unused]] ssize_t w = write(3, &ok, 1);
        close(3);
        for (;;)
            pause();
    }
    close(ready[1]);
    char ok = 0;
    bool started = pid > 0 && read(ready[0], &ok, 1) == 1 && ok == 1;
    close(ready[0]);
    if (pid > 0)
        m_holders.push_back(pid);
    if (!started) {
        error = "could not make a network namespace for " + address;
        return -1;
    }
    int index = static_cast<int>(m_holders.size()) - 1;
    std::string port = "vd" + std::to_string(index);
    std::vector<std::string> steps[] = {
        {"link", "set", "lo", "up"},
        {"addr", "add", address + "/" + std::to_string(prefix), "brd", "+", "dev", "eth0"},
        {"link", "set", "eth0", "up"},
    };
    if (!RunTool({"ip", "link", "add", port, "type", "veth", "peer", "name", "eth0", "netns",
                  std::to_string(pid)},
                 error) ||
        !RunTool({"ip", "link", "set", port, "master", "br0", "up"}, error))
        return -1;
    for (const auto& step : steps) {
        std::vector<std::string> argv = {"ip"};
        argv.insert(argv.end(), step.begin(), step.end());
        if (!RunTool(InDevice(index, argv), error))
            return -1;
    }
    if (!route.empty() &&
        !RunTool(InDevice(index, {"ip", "route", "add", route, "dev", "eth0"}), error))
        return -1;
    return index;
}

std::vector<std::string> BroadcastBed::InDevice(int device,
                                                const std::vector<std::string>& argv) const {
    std::vector<std::string> v = {
        "nsenter", "--net=/proc/" + std::to_string(m_holders.at(device)) + "/ns/net"};
    v.push_back(ToolPath(argv.at(0)));
    v.insert(v.end(), argv.begin() + 1, argv.end());
    return v;
}

bool BroadcastBed::LaunchSnmpsim(AgentProcess& agent, int device, const std::string& profile,
                                 std::string& error) const {
    const std::string data = agent.Dir() + "/data", cache = agent.Dir() + "/cache";
    mkdir(data.c_str(), 0755);
    mkdir(cache.c_str(), 0777);
    chmod(cache.c_str(), 0777);
    std::ofstream(data + "/public.snmprec") << SortedProfile(profile);
    return agent.Launch(InDevice(device, {"snmpsimd", "--data-dir=" + data, "--cache-dir=" + cache,
                                          "--agent-udpv4-endpoint=0.0.0.0:161",
                                          "--process-user=nobody", "--process-group=nogroup"}),
                        {}, error);
}

bool BroadcastBed::LaunchSnmpd(AgentProcess& agent, int device, const std::string& extraConfig,
                               std::string& error) const {
    const std::string dir = agent.Dir();
    std::ofstream(dir + "/snmpd.conf") << "rocommunity public\n" << extraConfig << "\n";
    return agent.Launch(InDevice(device, {"snmpd", "-f", "-C", "-c", dir + "/snmpd.conf", "-Lo",
                                          "-p", dir + "/snmpd.pid", "udp:0.0.0.0:161"}),
                        {"SNMP_PERSISTENT_DIR=" + dir, "MIBS="}, error);
}

bool BroadcastBed::LaunchProgram(AgentProcess& agent, int device,
                                 const std::vector<std::string>& argv, std::string& error) const {
    return agent.Launch(InDevice(device, argv), {}, error);
}

}  // namespace qxtest
