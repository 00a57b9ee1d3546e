#include "NamedEvent.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "platform/system/Win32Error.h"

namespace qx {

// The event's state lives in a small file of the scope directory that every
// holder maps: the kernel's futex on the shared word lets waiters of any
// process sleep until a setter wakes them. Every holder keeps a shared flock
// on the file; the kernel drops it with the holder, however the holder ends,
// so "nobody holds a shared lock" is exactly "the event is gone" and a file
// left by a killed holder is recognised (and removed) by the next Open or
// Create. A lock on the directory's ".lock" file keeps those checks and the
// creation of a new file apart from each other.
struct NamedEvent::Shared {
    uint32_t magic;
    uint32_t version;
    uint32_t manualReset;
    std::atomic<uint32_t> signalled;
};

namespace {

static_assert(std::atomic<uint32_t>::is_always_lock_free, "the futex word must be a plain word");

constexpr uint32_t kMagic = 0x56455851;  // "QXEV"
constexpr uint32_t kVersion = 1;
constexpr off_t kFileSize = 64;
constexpr std::string_view kLocalPrefix = "Local\\";
constexpr size_t kMaxName = 255;
constexpr size_t kMaxFileName = 255;  // NAME_MAX

long LastError() {
    return Win32ErrorFromErrno(errno);
}

// A directory that only this user can enter: its own, not a link, no access
// for group or others. Created (mode 0700) when missing and `create` is set.
long CheckPrivateDirectory(const std::string& path, bool create) {
    if (create && mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return LastError();
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return LastError();
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 077) != 0)
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

int Futex(std::atomic<uint32_t>* word, int op, uint32_t value, const timespec* timeout) {
    return static_cast<int>(syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), op, value,
                                    timeout, nullptr, FUTEX_BITSET_MATCH_ANY));
}

bool Flock(int fd, int operation) {
    int r;
    do
        r = flock(fd, operation);
    while (r != 0 && errno == EINTR);
    return r == 0;
}

// The scope directory's lock, held while one process checks, creates or
// removes an event file.
class DirectoryLock {
  public:
    explicit DirectoryLock(const std::string& dir) {
        m_fd = open((dir + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd < 0) {
            m_error = LastError();
        } else if (!Flock(m_fd, LOCK_EX)) {
            m_error = LastError();
            close(m_fd);
            m_fd = -1;
        }
    }
    ~DirectoryLock() {
        if (m_fd >= 0)
            close(m_fd);  // releases the lock
    }
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;
    long Error() const { return m_error; }

  private:
    int m_fd = -1;
    long m_error = ERROR_SUCCESS;
};

std::string DirectoryOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

bool SameFile(int fd, const std::string& path) {
    struct stat a {
    }, b{};
    return fstat(fd, &a) == 0 && lstat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

}  // namespace

NamedEvent::NamedEvent(NamedEvent&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_state(std::exchange(other.m_state, nullptr)),
      m_path(std::move(other.m_path)) {}

NamedEvent& NamedEvent::operator=(NamedEvent&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_state = std::exchange(other.m_state, nullptr);
        m_path = std::move(other.m_path);
    }
    return *this;
}

std::string NamedEvent::ScopeDirectory(long* error) {
    long dummy;
    long& err = error ? *error : dummy;
    std::string base;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        // The session names its directory: another one would be another
        // session's namespace, so a directory that is not ours is refused.
        base = runtime;
        err = base[0] == '/' ? CheckPrivateDirectory(base, false) : ERROR_ACCESS_DENIED;
    } else {
        base = "/tmp/qx-runtime-" + std::to_string(geteuid());
        err = CheckPrivateDirectory(base, true);
    }
    if (err != ERROR_SUCCESS)
        return {};
    std::string dir = base + "/qx-events";
    err = CheckPrivateDirectory(dir, true);
    return err == ERROR_SUCCESS ? dir : std::string();
}

std::string NamedEvent::FileNameFor(std::string_view name) {
    if (name.substr(0, kLocalPrefix.size()) == kLocalPrefix)
        name.remove_prefix(kLocalPrefix.size());
    // A backslash is left only by another namespace ("Global\"), which a
    // user's session cannot create in.
    if (name.empty() || name.size() > kMaxName || name.find('\\') != std::string_view::npos)
        return {};
    std::string file = "ev.";
    for (unsigned char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '_' || c == '-' || c == '.';
        if (plain) {
            file += static_cast<char>(c);
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            file += '%';
            file += kHex[c >> 4];
            file += kHex[c & 15];
        }
    }
    return file.size() <= kMaxFileName ? file : std::string();
}

long NamedEvent::Attach(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return LastError();
    if (st.st_uid != geteuid())
        return ERROR_ACCESS_DENIED;
    if (!S_ISREG(st.st_mode) || st.st_size < kFileSize)
        return ERROR_INVALID_HANDLE;
    void* map = mmap(nullptr, kFileSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED)
        return LastError();
    m_state = static_cast<Shared*>(map);
    m_fd = fd;
    return ERROR_SUCCESS;
}

namespace {

// Opens the event file at path while the directory lock is held. A file that
// nobody holds is what a killed holder left behind: it is removed and counts
// as missing.
long OpenHeld(const std::string& path, int& fdOut) {
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return errno == ELOOP ? ERROR_INVALID_HANDLE : LastError();
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        close(fd);
        return st.st_uid != geteuid() ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE;
    }
    if (Flock(fd, LOCK_EX | LOCK_NB)) {
        unlink(path.c_str());
        close(fd);
        return ERROR_FILE_NOT_FOUND;
    }
    if (errno != EWOULDBLOCK || !Flock(fd, LOCK_SH | LOCK_NB)) {
        long err = LastError();
        close(fd);
        return err;
    }
    fdOut = fd;
    return ERROR_SUCCESS;
}

// The session's directory and the event file of name in it.
long EventPath(std::string_view name, std::string& dir, std::string& path) {
    long err;
    dir = NamedEvent::ScopeDirectory(&err);
    if (dir.empty())
        return err;
    std::string file = NamedEvent::FileNameFor(name);
    if (file.empty())
        return ERROR_INVALID_PARAMETER;
    path = dir + "/" + file;
    return ERROR_SUCCESS;
}

}  // namespace

// Create checks the version as Open does: a holder built with another
// layout of Shared would read our flags as something else.
long NamedEvent::AttachExisting(int fd) {
    long err = Attach(fd);
    if (err == ERROR_SUCCESS && m_state->magic == kMagic && m_state->version == kVersion)
        return ERROR_SUCCESS;
    if (m_state)
        munmap(m_state, kFileSize);
    m_state = nullptr;
    m_fd = -1;
    close(fd);
    return err ? err : ERROR_INVALID_HANDLE;
}

long NamedEvent::Open(std::string_view name) {
    Close();
    std::string dir, path;
    long err = EventPath(name, dir, path);
    if (err != ERROR_SUCCESS)
        return err;
    DirectoryLock lock(dir);
    if (lock.Error())
        return lock.Error();
    int fd = -1;
    if ((err = OpenHeld(path, fd)) != ERROR_SUCCESS || (err = AttachExisting(fd)) != ERROR_SUCCESS)
        return err;
    m_path = std::move(path);
    return ERROR_SUCCESS;
}

long NamedEvent::Create(std::string_view name, ResetMode mode, bool initiallySet, bool* existed) {
    Close();
    if (existed)
        *existed = false;
    std::string dir, path;
    long err = EventPath(name, dir, path);
    if (err != ERROR_SUCCESS)
        return err;
    DirectoryLock lock(dir);
    if (lock.Error())
        return lock.Error();

    int fd = -1;
    err = OpenHeld(path, fd);
    if (err == ERROR_SUCCESS) {
        if ((err = AttachExisting(fd)) != ERROR_SUCCESS)
            return err;
        if (existed)
            *existed = true;
        m_path = std::move(path);
        return ERROR_SUCCESS;
    }
    if (err != ERROR_FILE_NOT_FOUND)
        return err;

    // Nobody else can look at the new file before the directory lock is
    // released, and by then it is complete and held.
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return LastError();
    if (ftruncate(fd, kFileSize) != 0 || !Flock(fd, LOCK_SH) ||
        (err = Attach(fd)) != ERROR_SUCCESS) {
        err = err ? err : LastError();
        unlink(path.c_str());
        close(fd);
        return err;
    }
    m_state->version = kVersion;
    m_state->manualReset = mode == ResetMode::Manual ? 1 : 0;
    m_state->signalled.store(initiallySet ? 1 : 0);
    m_state->magic = kMagic;
    m_path = std::move(path);
    return ERROR_SUCCESS;
}

void NamedEvent::Close() {
    if (!m_state)
        return;
    munmap(m_state, kFileSize);
    m_state = nullptr;
    {
        // The last holder removes the file; when another one still holds it,
        // the failed upgrade does no harm, the descriptor is closed anyway.
        DirectoryLock lock(DirectoryOf(m_path));
        if (!lock.Error() && Flock(m_fd, LOCK_EX | LOCK_NB) && SameFile(m_fd, m_path))
            unlink(m_path.c_str());
        close(m_fd);
    }
    m_fd = -1;
    m_path.clear();
}

bool NamedEvent::Set() {
    if (!m_state)
        return false;
    if (m_state->signalled.exchange(1) == 0)
        Futex(&m_state->signalled, FUTEX_WAKE, INT_MAX, nullptr);
    return true;
}

bool NamedEvent::Reset() {
    if (!m_state)
        return false;
    m_state->signalled.store(0);
    return true;
}

NamedEvent::ResetMode NamedEvent::Mode() const {
    return m_state && m_state->manualReset ? ResetMode::Manual : ResetMode::Auto;
}

NamedEvent::WaitResult NamedEvent::Wait(std::chrono::milliseconds timeout) {
    if (!m_state)
        return WaitResult::Failed;
    const bool infinite = timeout == kInfinite || timeout.count() < 0;
    timespec deadline{};
    if (!infinite) {
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        long long ms = timeout.count();
        deadline.tv_sec += static_cast<time_t>(ms / 1000);
        deadline.tv_nsec += static_cast<long>((ms % 1000) * 1000000);
        if (deadline.tv_nsec >= 1000000000) {
            deadline.tv_sec += 1;
            deadline.tv_nsec -= 1000000000;
        }
    }
    const bool manual = m_state->manualReset != 0;
    for (;;) {
        if (manual) {
            if (m_state->signalled.load() == 1)
                return WaitResult::Signalled;
        } else {
            uint32_t expected = 1;
            if (m_state->signalled.compare_exchange_strong(expected, 0))
                return WaitResult::Signalled;
        }
        if (!infinite) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            if (now.tv_sec > deadline.tv_sec ||
                (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec))
                return WaitResult::TimedOut;
        }
        // Sleeps only while the word is still 0; a set between the check
        // above and here makes the call return at once.
        if (Futex(&m_state->signalled, FUTEX_WAIT_BITSET, 0, infinite ? nullptr : &deadline) != 0 &&
            errno != ETIMEDOUT && errno != EAGAIN && errno != EINTR)
            return WaitResult::Failed;
    }
}

}  // namespace qx
