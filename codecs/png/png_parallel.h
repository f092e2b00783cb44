// Work spread over the cores, for the optimised encoder's compressions.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tessolo {

// Parts of large data compressed at once, whatever the cores: the memory
// they take stays bounded, and the file does not depend on the machine.
inline constexpr std::size_t kPartsAtOnce = 2;

// Runs job(0) ... job(count - 1) on as many threads as there are cores,
// and at most `most`; rethrows the first exception a job threw.
template <typename Job>
void RunInParallel(std::size_t count, const Job& job, std::size_t most = SIZE_MAX)
{
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&] {
        for (std::size_t i; (i = next++) < count;) {
            try {
                job(i);
            } catch (...) {
                std::lock_guard lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
            }
        }
    };
    std::size_t threads = std::min({std::size_t(std::max(1u, std::thread::hardware_concurrency())), count, most});
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace tessolo
