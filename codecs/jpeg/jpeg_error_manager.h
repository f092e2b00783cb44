// The error manager handed to the library. A fatal error must not unwind a
// C++ exception through the library's C frames, so it jumps back with
// longjmp to the setjmp of the step that called the library; that step then
// returns false and its caller throws JpegError. Every guarded step holds
// only trivially destructible locals, so the jump skips no destructor.
#pragma once

#include <csetjmp>
#include <string>
#include <cstdio>  // the library's header needs FILE and size_t first

#include <jpeglib.h>
#include <jerror.h>

namespace tessolo {

struct JpegErrorManager {
    jpeg_error_mgr library;  // first member: the library sees only this part
    std::jmp_buf jump;
    const char* reason = nullptr;  // ours, for an error that RaiseJpegError gave one
};

// Fills `manager` so fatal errors jump to manager.jump and warnings and
// trace messages are discarded; returns the pointer to store in cinfo.err.
jpeg_error_mgr* InstallErrorManager(JpegErrorManager& manager);

// Raises a fatal error with a library message code from one of our own
// callbacks, exactly as the library's own checks do, with `reason` as its
// text when given (the library's text for `code` otherwise). Does not return.
void RaiseJpegError(j_common_ptr cinfo, int code, const char* reason = nullptr);

// The library's text for `code`, its parameters left at zero.
std::string LibraryMessage(int code);

// Throws the JpegError for the fatal error that ended a guarded step.
[[noreturn]] void ThrowCaughtError(const JpegErrorManager& manager);

}  // namespace tessolo
