// Runs code in a forked child whose address space is limited, so a decoder
// that reaches for too much memory fails there, visibly, instead of in the
// test program. AddressSanitizer reserves terabytes of address space at
// start, so such tests skip under it (kAddressSanitizer).
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
        int code;
        try {
            code = body();
        } catch (const std::bad_alloc&) {
            code = kChildOutOfMemory;
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : kChildCrashed;
}

}  // namespace tessolo::test

// Skips the current test under AddressSanitizer, whose shadow memory needs
// far more address space than any limit a test sets.
#define TESSOLO_SKIP_UNDER_ASAN()                                                     \
    if (::tessolo::test::kAddressSanitizer)                                          \
        GTEST_SKIP() << "address-space limits cannot be tested under AddressSanitizer"
