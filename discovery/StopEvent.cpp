#include "StopEvent.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace qx {

int StopEvent::Create() {
    return eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

void StopEvent::Close(int handle) {
    if (handle >= 0)
        close(handle);
}

void StopEvent::Set(int handle) {
    uint64_t one = 1;
    if (handle >= 0) [[maybe_unused]]
        ssize_t n = write(handle, &one, sizeof one);
}

bool StopEvent::TryWait(int handle) {
    uint64_t value = 0;
    return handle >= 0 && read(handle, &value, sizeof value) == static_cast<ssize_t>(sizeof value);
}

}  // namespace qx
