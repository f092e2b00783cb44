#include "codecs/jpeg/jpeg_error.h"

#include "codecs/jpeg/jpeg_error_manager.h"

#include <string>

namespace tessolo {

JpegError::JpegError(int code) : JpegError(code, LibraryMessage(code)) {}

JpegError::JpegError(int code, const std::string& reason)
    : Error("JPEG error #" + std::to_string(code) + ": " + reason), code_(code)
{
}

}  // namespace tessolo
