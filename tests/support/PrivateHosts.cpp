#include "support/PrivateHosts.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/system/ProgramPath.h"
#include "support/TempRegistry.h"

namespace qxtest {

namespace {

constexpr const char* kMarker = "QX_TEST_PRIVATE_HOSTS";

// Runs argv with the marker set; output captured. -1 when it cannot start.
int Run(const std::vector<std::string>& argv, std::string& output) {
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        setenv(kMarker, "1", 1);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        output.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The unshare options that give a private mount namespace here.
std::vector<std::string> UnsharePrefix() {
    std::vector<std::vector<std::string>> candidates = {
        {"unshare", "--mount", "--propagation", "private"},
        {"unshare", "--user", "--map-root-user", "--mount", "--propagation", "private"},
    };
    for (const auto& c : candidates) {
        std::vector<std::string> probe = c;
        probe.insert(probe.end(), {"mount", "--bind", "/etc/hosts", "/etc/hosts"});
        std::string ignored;
        if (Run(probe, ignored) == 0)
            return c;
    }
    return {};
}

}  // namespace

bool InPrivateHosts() {
    return std::getenv(kMarker) != nullptr;
}

RerunResult RerunWithPrivateHosts(const std::string& hostsText, const std::string& gtestFilter) {
    RerunResult result;
    std::vector<std::string> argv = UnsharePrefix();
    if (argv.empty())
        return result;
    TempDir dir;
    std::string hosts = dir.Path() + "/hosts", nss = dir.Path() + "/nsswitch.conf";
    std::ofstream(hosts) << "127.0.0.1 localhost\n" << hostsText << "\n";
    std::ofstream(nss) << "hosts: files\n";
    argv.insert(argv.end(), {"sh", "-c",
                             "mount --bind \"$1\" /etc/hosts && mount --bind \"$2\" "
                             "/etc/nsswitch.conf && shift 2 && exec \"$@\"",
                             "sh", hosts, nss, qx::ProgramFilePath(),
                             "--gtest_filter=" + gtestFilter, "--gtest_also_run_disabled_tests"});
    result.exitCode = Run(argv, result.output);
    result.started = result.exitCode >= 0;
    return result;
}

}  // namespace qxtest
