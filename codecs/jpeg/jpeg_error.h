// The error every fatal JPEG library failure becomes.
#pragma once

#include "platform/error.h"

namespace tessolo {

// "JPEG error #<code>: <reason>", the code being the library's message code
// and the reason the library's own text for it (or ours, for the limits we
// add), so a message says what went wrong in words.
class JpegError : public Error {
public:
    // The reason is the library's text for `code`, without its parameters.
    explicit JpegError(int code);
    JpegError(int code, const std::string& reason);
    int Code() const { return code_; }

private:
    int code_;
};

}  // namespace tessolo
