#pragma once
// Test programs that start SNMP agents run in a network namespace of their
// own: only a loopback interface, so every 127.x address and port 161 are
// private to the program, nothing leaves the machine, and programs that run
// side by side never meet. A program asks for it once at file scope:
//
//     QX_TEST_USES_PRIVATE_NETWORK();
//
// and main() (tests/support/TestMain.cpp, or a benchmark's own) calls
// EnterRequestedPrivateNetwork() before any thread exists. Entering needs
// root (CAP_SYS_ADMIN); fixtures check InPrivateNetwork() with
// QX_REQUIRE_PRIVATE_NETWORK().

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
// worked) and any other run skips.
#define QX_REQUIRE_PRIVATE_NETWORK()                                                               \
    do {                                                                                           \
        if (!qxtest::InPrivateNetwork()) {                                                         \
            if (geteuid() == 0)                                                                    \
                FAIL() << "no private network: " << qxtest::PrivateNetworkError();                 \
            GTEST_SKIP() << "needs root for a private network: " << qxtest::PrivateNetworkError(); \
        }                                                                                          \
    } while (0)
