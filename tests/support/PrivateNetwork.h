#pragma once
// Test programs that start SNMP agents run in a network namespace of their
// own: only a loopback interface, so every 127.x address and port 161 are
// private to the program, nothing leaves the machine, and programs that run
// side by side never meet. A program asks for it once at file scope:
//
//     QX_TEST_USES_PRIVATE_NETWORK();
//
// and main() (tests/support/TestMain.cpp, or a benchmark's own) calls
// EnterRequestedPrivateNetwork() before any thread exists. As root the
// program enters a network namespace directly; any other user gets one inside
// a user namespace of its own where the system allows that (most do; some
// containers and hardened systems do not). Fixtures check InPrivateNetwork()
// with QX_REQUIRE_PRIVATE_NETWORK().

#include <unistd.h>

#include <string>

namespace qxtest {

void RequestPrivateNetwork();
bool PrivateNetworkRequested();
// Moves the process into a fresh network namespace and brings its loopback
// up, when the program asked for it. Failures are kept for the fixtures.
void EnterRequestedPrivateNetwork();
bool InPrivateNetwork();
const std::string& PrivateNetworkError();

}  // namespace qxtest

#define QX_TEST_USES_PRIVATE_NETWORK()                                 \
    [[maybe_unused]] static const bool qx_private_network_requested_ = \
        (qxtest::RequestPrivateNetwork(), true)

// In a test or SetUp: without the namespace a root run fails (it should have
// worked) and any other run skips, visibly (see TestMain.cpp).
#define QX_REQUIRE_PRIVATE_NETWORK()                                                 \
    do {                                                                             \
        if (!qxtest::InPrivateNetwork()) {                                           \
            if (geteuid() == 0)                                                      \
                FAIL() << "no private network: " << qxtest::PrivateNetworkError();   \
            GTEST_SKIP() << "no private network: " << qxtest::PrivateNetworkError(); \
        }                                                                            \
    } while (0)
