#pragma once
// A login session of the test's own: a fresh XDG_RUNTIME_DIR (where named
// events live), set before a private bus starts so that the server the bus
// starts inherits it; the previous value comes back at the end.

#include <cstdlib>
#include <string>

#include "support/TempRegistry.h"

namespace qxtest {

struct PrivateSession {
    PrivateSession() {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            oldRuntime = old;
        setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    }
    ~PrivateSession() {
        if (oldRuntime.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", oldRuntime.c_str(), 1);
    }
    PrivateSession(const PrivateSession&) = delete;
    PrivateSession& operator=(const PrivateSession&) = delete;

    TempDir runtime;
    std::string oldRuntime;
};

}  // namespace qxtest
