#include "support/AgentProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace qxtest {

namespace {

// SNMPv1 GetRequest, community "public", request id 1, sysObjectID.0.
constexpr unsigned char kProbe[] = {
    0x30, 0x26, 0x02, 0x01, 0x00, 0x04, 0x06, 'p',  'u',  'b',  'l',  'i',  'c',  0xa0,
    0x19, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x0e, 0x30, 0x0c,
    0x06, 0x08, 0x2b, 0x06, 0x01, 0x02, 0x01, 0x01, 0x02, 0x00, 0x05, 0x00,
};

std::string FindInPath(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    // Agents live in sbin, which a non-login PATH may lack.
    for (const char* d : {"/usr/sbin/", "/sbin/"}) {
        std::string candidate = d + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

int HighFd(int fd) {
    if (fd < 0)
        return fd;
    int high = fcntl(fd, F_DUPFD_CLOEXEC, 10);
    close(fd);
    return high;
}

void SleepMs(long ms) {
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&ts, nullptr);
}

// The guardian: only async-signal-safe calls from here on, as the test
// program may have other threads.
[[noreturn]] void RunGuardian(int lifeline, int log, int devNull, const char* path,
                              char* const* argv, char* const* envp) {
    dup2(devNull, 0);
    dup2(log, 1);
    dup2(log, 2);
    dup2(lifeline, 3);
    close_range(4, ~0u, 0);
    setpgid(0, 0);  // keeps terminal signals meant for the test program away

    pid_t agent = fork();
    if (agent < 0)
        _exit(126);
    if (agent == 0) {
        close(3);
        execve(path, argv, envp);
        _exit(127);
    }
    for (;;) {
        pollfd pfd{3, POLLIN, 0};
        int n = poll(&pfd, 1, 100);
        if (n > 0)
            break;  // the test program closed its end, or died
        int status = 0;
        if (waitpid(agent, &status, WNOHANG) == agent)
            _exit(1);  // the agent ended by itself
    }
    kill(agent, SIGTERM);
    for (int i = 0; i < 150; ++i) {
        int status = 0;
        if (waitpid(agent, &status, WNOHANG) == agent)
            _exit(0);
        SleepMs(20);
    }
    kill(agent, SIGKILL);
    int status = 0;
    waitpid(agent, &status, 0);
    _exit(0);
}

}  // namespace

AgentProcess::AgentProcess() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qx-agent-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_dir = pattern;
    // Agents that drop their privileges must still read their data here.
    chmod(m_dir.c_str(), 0755);
}

AgentProcess::~AgentProcess() {
    Stop();
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

bool AgentProcess::Launch(const std::vector<std::string>& args, const std::vector<std::string>& env,
                          std::string& error) {
    if (m_guardian > 0) {
        error = "already running";
        return false;
    }
    std::string path = args.empty() ? std::string() : FindInPath(args[0]);
    if (path.empty()) {
        error = (args.empty() ? std::string("no program") : args[0]) + " is not installed";
        return false;
    }
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e)
        envStrings.emplace_back(*e);
    for (const std::string& e : env)
        envStrings.push_back(e);
    // An extra entry replaces an inherited one of the same name.
    std::vector<char*> envp;
    for (size_t i = 0; i < envStrings.size(); ++i) {
        std::string name = envStrings[i].substr(0, envStrings[i].find('='));
        bool overridden = false;
        for (size_t j = i + 1; j < envStrings.size(); ++j)
            if (envStrings[j].compare(0, name.size() + 1, name + "=") == 0)
                overridden = true;
        if (!overridden)
            envp.push_back(const_cast<char*>(envStrings[i].c_str()));
    }
    envp.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    int readEnd = HighFd(pipeFds[0]);
    int log = HighFd(
        open((m_dir + "/agent.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    int devNull = HighFd(open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (readEnd < 0 || log < 0 || devNull < 0) {
        error = std::string("preparing the agent's files: ") + std::strerror(errno);
        for (int fd : {readEnd, log, devNull, pipeFds[1]})
            if (fd >= 0)
                close(fd);
        return false;
    }

    pid_t pid = fork();
    if (pid == 0)
        RunGuardian(readEnd, log, devNull, path.c_str(), argv.data(), envp.data());
    close(readEnd);
    close(log);
    close(devNull);
    if (pid < 0) {
        error = std::string("fork: ") + std::strerror(errno);
        close(pipeFds[1]);
        return false;
    }
    m_guardian = pid;
    m_lifeline = pipeFds[1];
    return true;
}

bool AgentProcess::WaitUntilAnswering(const std::string& address, std::chrono::milliseconds limit,
                                      std::string& error) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (m_guardian <= 0) {
            error = "not started";
            return false;
        }
        int status = 0;
        if (waitpid(m_guardian, &status, WNOHANG) == m_guardian) {
            m_guardian = -1;
            close(m_lifeline);
            m_lifeline = -1;
            error = "the agent ended before it answered; its log:\n" + LogTail();
            return false;
        }
        if (SnmpAgentAnswers(address, std::chrono::milliseconds(100)))
            return true;
    }
    error = "no answer from " + address + " within " + std::to_string(limit.count()) +
            " ms; log:\n" + LogTail();
    return false;
}

void AgentProcess::Stop() {
    if (m_lifeline >= 0) {
        close(m_lifeline);
        m_lifeline = -1;
    }
    if (m_guardian > 0) {
        int status = 0;
        while (waitpid(m_guardian, &status, 0) < 0 && errno == EINTR) {
        }
        m_guardian = -1;
    }
}

std::string AgentProcess::LogTail(size_t bytes) const {
    std::ifstream in(m_dir + "/agent.log", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.size() > bytes ? text.substr(text.size() - bytes) : text;
}

bool SnmpAgentAnswers(const std::string& address, std::chrono::milliseconds wait) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(161);
    if (inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1)
        return false;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool answered = false;
    if (sendto(fd, kProbe, sizeof kProbe, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
        static_cast<ssize_t>(sizeof kProbe)) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(wait.count())) > 0) {
            char buf[1500];
            answered = recv(fd, buf, sizeof buf, 0) > 0;
        }
    }
    if (!answered)
        std::this_thread::sleep_for(wait / 2);  // the agent may still be starting
    close(fd);
    return answered;
}

}  // namespace qxtest
