#pragma once
// Runs work(slot) for slots 0..count-1 on up to maxParallel threads and hands
// each result to commit(slot, result) on the calling thread in slot order, as
// soon as that slot and every one before it are done. Slow slots hold up the
// commits after them, never the work: network look-ups of many devices take
// about as long as the slowest one, and their effects still come in order.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace qx {

template <class Result, class Work, class Commit>
void RunInSlotOrder(size_t count, size_t maxParallel, Work work, Commit commit) {
    const size_t workers = std::min(std::max<size_t>(maxParallel, 1), count);
    if (workers <= 1) {
        for (size_t slot = 0; slot < count; ++slot) {
            Result result = work(slot);
            commit(slot, result);
        }
        return;
    }
    std::mutex lock;
    std::condition_variable done;
    std::vector<std::optional<Result>> results(count);
    size_t next = 0;
    auto worker = [&] {
        for (;;) {
            size_t slot;
            {
                std::lock_guard guard(lock);
                if (next == count)
                    return;
                slot = next++;
            }
            Result result = work(slot);
            {
                std::lock_guard guard(lock);
                results[slot].emplace(std::move(result));
            }
            done.notify_all();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(workers);
    for (size_t i = 0; i < workers; ++i)
        threads.emplace_back(worker);
    for (size_t slot = 0; slot < count; ++slot) {
        std::unique_lock guard(lock);
        done.wait(guard, [&] { return results[slot].has_value(); });
        Result result = std::move(*results[slot]);
        results[slot].reset();
        guard.unlock();
        commit(slot, result);
    }
    for (std::thread& t : threads)
        t.join();
}

}  // namespace qx
