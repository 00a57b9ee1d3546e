#include "SharedMappingTable.h"

#include <sys/stat.h>

#include <ctime>
#include <list>
#include <mutex>

namespace qx {

namespace {

// File time stamps move in clock ticks of a few milliseconds: a file
// written twice within one tick can keep its size and times. A file younger
// than this is read every time rather than trusted by its stamps.
constexpr time_t kSettledSeconds = 2;
// Readers use one set of files; a few more allow for tools and tests.
constexpr size_t kMaxKept = 4;

struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileStamp& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

bool Stamp(const std::string& path, FileStamp& out) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    out.device = st.st_dev;
    out.inode = st.st_ino;
    out.size = st.st_size;
    out.modified = st.st_mtim;
    out.changed = st.st_ctim;
    return true;
}

bool StampAll(const std::vector<std::string>& paths, std::vector<FileStamp>& out) {
    out.resize(paths.size());
    for (size_t i = 0; i < paths.size(); ++i)
        if (!Stamp(paths[i], out[i]))
            return false;
    return true;
}

bool Settled(const std::vector<FileStamp>& stamps) {
    const time_t now = std::time(nullptr);
    for (const auto& s : stamps)
        if (now - s.modified.tv_sec < kSettledSeconds || now - s.changed.tv_sec < kSettledSeconds)
            return false;
    return true;
}

struct Kept {
    std::vector<std::string> paths;
    std::vector<FileStamp> stamps;
    std::shared_ptr<const MIBMappingTable> table;
};

std::mutex g_lock;
std::list<Kept> g_kept;  // most recently used first

}  // namespace

std::shared_ptr<const MIBMappingTable> LoadSharedMappingTable(const std::vector<std::string>& paths,
                                                              std::string* error) {
    std::vector<FileStamp> before;
    const bool stamped = StampAll(paths, before);
    {
        std::lock_guard lock(g_lock);
        for (auto it = g_kept.begin(); it != g_kept.end(); ++it) {
            if (it->paths != paths)
                continue;
            if (stamped && it->stamps == before) {
                g_kept.splice(g_kept.begin(), g_kept, it);
                if (error)
                    error->clear();
                return g_kept.front().table;
            }
            g_kept.erase(it);
            break;
        }
    }

    auto table = std::make_shared<MIBMappingTable>();
    if (!table->Load(paths)) {
        if (error)
            *error = table->LastError();
        return nullptr;
    }
    if (error)
        error->clear();
    // Kept only when what was read is surely what the stamps describe: the
    // files did not change while they were read, are old enough for their
    // stamps to tell, and gave no cut lines (whose trace must come each time).
    std::vector<FileStamp> after;
    if (stamped && table->CutLines() == 0 && StampAll(paths, after) && after == before &&
        Settled(before)) {
        std::lock_guard lock(g_lock);
        g_kept.remove_if([&](const Kept& k) { return k.paths == paths; });
        g_kept.push_front(Kept{paths, std::move(before), table});
        if (g_kept.size() > kMaxKept)
            g_kept.pop_back();
    }
    return table;
}

void ForgetSharedMappingTables() {
    std::lock_guard lock(g_lock);
    g_kept.clear();
}

}  // namespace qx
