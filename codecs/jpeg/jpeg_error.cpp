#include "codecs/jpeg/jpeg_error.h"

#include <string>

namespace tessolo {

JpegError::JpegError(int code) : Error("JPEG error #" + std::to_string(code)), code_(code) {}

}  // namespace tessolo
