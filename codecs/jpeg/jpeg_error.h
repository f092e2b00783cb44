// The error every fatal JPEG library failure becomes.
#pragma once

#include "platform/error.h"

namespace tessolo {

// "JPEG error #<code>", the code being the library's message code.
class JpegError : public Error {
public:
    explicit JpegError(int code);
    int Code() const { return code_; }

private:
    int code_;
};

}  // namespace tessolo
