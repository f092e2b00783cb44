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

struct MeasuredRun {
    int exitCode;
    long long peakBytes;  // the child's largest resident set, this process's pages included
};

// Runs `body` in a child and measures its peak memory.
inline MeasuredRun RunMeasuringPeak(const std::function<int()>& body)
{
    pid_t child = ::fork();
    if (child == 0)
        RunChildBody(body);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return {ExitCodeOf(status), usage.ru_maxrss * 1024LL};
}

// Runs `body` in a child that may map `allowance` bytes beyond what this
// process has mapped now; returns the child's exit code.
inline int RunWithMemoryAllowance(unsigned long long allowance, const std::function<int()>& body)
{
    unsigned long long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%llu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    pid_t child = ::fork();
    if (child == 0) {
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = pages * unsigned(::sysconf(_SC_PAGESIZE)) + allowance;
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
