#pragma once
// Host names that a test makes resolvable without any name server: tests of
// this program run again in a private mount namespace where /etc/hosts holds
// the test's lines and /etc/nsswitch.conf resolves host names from that file
// only (an unknown name fails at once instead of asking DNS). Needs root, or
// unprivileged user namespaces; callers skip when neither is there.

#include <string>

namespace qxtest {

struct RerunResult {
    bool started = false;  // false: no private mount namespace can be made here
    int exitCode = -1;
    std::string output;  // the run's stdout and stderr
};

// Runs the tests that match the GoogleTest filter (disabled ones included:
// name the inner tests DISABLED_... so that plain runs leave them out) in a
// new process of this program inside the namespace, and waits for it.
RerunResult RerunWithPrivateHosts(const std::string& hostsText, const std::string& gtestFilter);

// True in a process started by RerunWithPrivateHosts.
bool InPrivateHosts();

}  // namespace qxtest
