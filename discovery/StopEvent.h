#pragma once
// The stop signal of a run: an auto-reset event, unsignalled when made, that
// a thread can test without waiting or wait on together with a socket.

namespace qx {

class StopEvent {
  public:
    // The handle, or -1 when none could be made.
    static int Create();
    static void Close(int handle);
    static void Set(int handle);
    // True when it was signalled; the test resets it.
    static bool TryWait(int handle);
};

}  // namespace qx
