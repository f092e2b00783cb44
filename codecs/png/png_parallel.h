// Work spread over the cores, for the optimised encoder's compressions.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tessolo {

// Parts of large data compressed at once, whatever the cores: the memory
// they take stays bounded, and the file does not depend on the machine.
inline constexpr std::size_t kPartsAtOnce = 2;

// Called by an encoder between pieces of long work, on the thread that
// started it: it may throw to stop the work (empty: never).
using Checkpoint = std::function<void()>;

// Runs job(0) ... job(count - 1) on as many threads as there are cores,
// and at most `most`; the calling thread passes `checkpoint` before each job
// it takes. Once a job or the checkpoint has thrown, no further job starts,
// and the first exception is rethrown when the running ones have ended.
template <typename Job>
void RunInParallel(std::size_t count, const Job& job, std::size_t most = SIZE_MAX, const Checkpoint& checkpoint = {})
{
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&](bool caller) {
        for (std::size_t i; (i = next++) < count;) {
            try {
                if (caller && checkpoint)
                    checkpoint();
                job(i);
            } catch (...) {
                next = count;
                std::lock_guard lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
            }
        }
    };
    std::size_t threads = std::min({std::size_t(std::max(1u, std::thread::hardware_concurrency())), count, most});
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t)
        pool.emplace_back(work, false);
    work(true);
    for (std::thread& thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace tessolo
