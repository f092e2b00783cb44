#include "codecs/jpeg/jpeg_error_manager.h"

#include "codecs/jpeg/jpeg_error.h"

namespace tessolo {

namespace {

[[noreturn]] void JumpToGuard(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

void DiscardMessage(j_common_ptr) {}

void DiscardLeveledMessage(j_common_ptr, int) {}

}  // namespace

jpeg_error_mgr* InstallErrorManager(JpegErrorManager& manager)
{
    jpeg_std_error(&manager.library);
    manager.library.error_exit = JumpToGuard;
    manager.library.output_message = DiscardMessage;
    // Warnings, corrupt-data warnings included, stay non-fatal, as the
    // library treats them by default; they are simply not shown.
    manager.library.emit_message = DiscardLeveledMessage;
    return &manager.library;
}

void RaiseJpegError(j_common_ptr cinfo, int code, const char* reason)
{
    reinterpret_cast<JpegErrorManager*>(cinfo->err)->reason = reason;
    cinfo->err->msg_code = code;
    cinfo->err->error_exit(cinfo);
}

// The library's text for the error that `library` holds, with its parameters.
std::string FormattedMessage(jpeg_error_mgr library)
{
    jpeg_common_struct common{};
    common.err = &library;
    char text[JMSG_LENGTH_MAX] = {};
    library.format_message(&common, text);
    return text;
}

std::string LibraryMessage(int code)
{
    jpeg_error_mgr library{};
    jpeg_std_error(&library);
    library.msg_code = code;
    return FormattedMessage(library);
}

void ThrowCaughtError(const JpegErrorManager& manager)
{
    const int code = manager.library.msg_code;
    throw JpegError(code, manager.reason ? manager.reason : FormattedMessage(manager.library));
}

}  // namespace tessolo
