// Runs code in a forked child whose address space is limited, so a decoder
// that reaches for too much memory fails there, visibly, instead of in the
// test program; or whose peak memory is measured. AddressSanitizer reserves
// terabytes of address space at start, so tests of limits skip under it
// (kAddressSanitizer).
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <new>

namespace tessolo::test {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Exit codes of the child; what `body` returns is passed on unchanged.
constexpr int kChildOutOfMemory = 100;  // std::bad_alloc escaped from body
constexpr int kChildCrashed = 101;      // killed by a signal (an abort, for instance)

// Runs `body` in this process's child; exits with its result.
[[noreturn]] inline void RunChildBody(const std::function<int()>& body)
{
    int code;
    try {
        code = body();
    } catch (const std::bad_alloc&) {
        code = kChildOutOfMemory;
    }
    ::_exit(code);
}

inline int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : kChildCrashed; }

// This process's memory now, in bytes: its mapped size, and its resident
// part; 0 when unknown.
struct MemoryNow {
    unsigned long long mapped = 0;
    unsigned long long resident = 0;
};
inline MemoryNow ThisProcessMemory()
{
    MemoryNow pages;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%llu %llu", &pages.mapped, &pages.resident) != 2)
            pages = {};
        std::fclose(statm);
    }
    const unsigned long long page = ::sysconf(_SC_PAGESIZE);
    return {pages.mapped * page, pages.resident * page};
}

struct MeasuredRun {
    int exitCode;
    // How far the child's largest resident set rose above this process's
    // resident memory, which it starts with.
    long long addedPeakBytes;
};

// Runs `body` in a child and measures the memory its peak adds.
inline MeasuredRun RunMeasuringPeak(const std::function<int()>& body)
{
    const long long start = ThisProcessMemory().resident;
    pid_t child = ::fork();
    if (child == 0)
        RunChildBody(body);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return {ExitCodeOf(status), usage.ru_maxrss * 1024LL - start};
}

// Runs `body` in a child that may map `allowance` bytes beyond what this
// process has mapped now; returns the child's exit code.
inline int RunWithMemoryAllowance(unsigned long long allowance, const std::function<int()>& body)
{
    const unsigned long long mapped = ThisProcessMemory().mapped;
    pid_t child = ::fork();
    if (child == 0) {
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = mapped + allowance;
        ::setrlimit(RLIMIT_AS, &limit);
        RunChildBody(body);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return ExitCodeOf(status);
}

}  // namespace tessolo::test

// Skips the current test under AddressSanitizer, whose shadow memory needs
// far more address space than any limit a test sets.
#define TESSOLO_SKIP_UNDER_ASAN()                                                     \
    if (::tessolo::test::kAddressSanitizer)                                          \
        GTEST_SKIP() << "address-space limits cannot be tested under AddressSanitizer"
