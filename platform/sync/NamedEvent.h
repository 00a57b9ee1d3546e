#pragma once
// Events that other processes of the same user find by name, as the document
// monitor and the server share "QXTENDRA_MONITOR_DOCUMENT" and the printer
// configuration object's cancel events. An event is set or reset; a manual-
// reset event stays set until it is reset, an auto-reset event is reset by
// the one wait that it releases.
//
// An event lives while some process holds it and is gone with the last
// holder, a holder that crashed or was killed included: its name then opens
// nothing (no stale "monitor running"). Names belong to the user's session:
// they live in "qx-events" below $XDG_RUNTIME_DIR (a private directory of
// the user, mode 0700), or below /tmp/qx-runtime-<uid> where the session has
// none, so that neither another user nor another session of the same user
// sees them. The prefix "Local\" names the same session namespace.
//
// Every operation returns a Win32 error code (0 on success) where one can
// fail: ERROR_FILE_NOT_FOUND for a name nobody holds, ERROR_ACCESS_DENIED for
// a runtime directory or an event file that is not the user's own,
// ERROR_INVALID_PARAMETER for an empty or unusable name, ERROR_INVALID_HANDLE for
// a file under the name that is no event.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

class NamedEvent {
  public:
    enum class ResetMode { Manual, Auto };
    enum class WaitResult { Signalled, TimedOut, Failed };
    static constexpr std::chrono::milliseconds kInfinite = std::chrono::milliseconds::max();

    NamedEvent() = default;
    ~NamedEvent() { Close(); }
    NamedEvent(NamedEvent&& other) noexcept;
    NamedEvent& operator=(NamedEvent&& other) noexcept;
    NamedEvent(const NamedEvent&) = delete;
    NamedEvent& operator=(const NamedEvent&) = delete;

    // Creates the event, or opens it when some process holds it already
    // (then *existed is true and mode and initial state are those of the
    // existing event, as on the original platform).
    long Create(std::string_view name, ResetMode mode, bool initiallySet, bool* existed = nullptr);
    // Opens an event that some process holds; ERROR_FILE_NOT_FOUND otherwise.
    long Open(std::string_view name);
    void Close();
    bool IsOpen() const { return m_state != nullptr; }

    // False (and nothing changes) on an event that is not open.
    bool Set();
    bool Reset();
    // Waits until the event is set, at most `timeout` (0 tests without
    // waiting). An auto-reset event is reset by the wait that it releases.
    // Sleeps in the kernel; a signal handler in the waiting process makes it
    // return TimedOut early only when the time is up.
    WaitResult Wait(std::chrono::milliseconds timeout = kInfinite);
    // Wait(0).
    bool TryWait() { return Wait(std::chrono::milliseconds(0)) == WaitResult::Signalled; }
    ResetMode Mode() const;

    // The directory that holds this session's events (created when missing),
    // or "" with *error set when it cannot be used.
    static std::string ScopeDirectory(long* error = nullptr);
    // The file that stands for a name inside the scope directory ("" for an
    // invalid name).
    static std::string FileNameFor(std::string_view name);

  private:
    struct Shared;
    long Attach(int fd);
    // Attach for a file another holder made: anything but an event of this
    // layout is refused and left unmapped, fd closed.
    long AttachExisting(int fd);

    int m_fd = -1;
    Shared* m_state = nullptr;
    std::string m_path;
};

}  // namespace qx
