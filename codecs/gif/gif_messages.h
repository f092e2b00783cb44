// The GIF codec's message table and its exception class.
#pragma once

#include "platform/error.h"

#include <string>

namespace tessolo {

// A GIF stream or object that cannot be read, written or converted.
class GIFException : public Error {
public:
    using Error::Error;
};

namespace gifmsg {

// Stream structure
inline constexpr const char* sOutOfData = "Premature end of data";
inline constexpr const char* sBadSignature = "Invalid GIF signature";
inline constexpr const char* sBadVersion = "Unsupported GIF version";
inline constexpr const char* sBadBlock = "Unknown GIF block type";
inline constexpr const char* sBadExtensionLabel = "Invalid extension introducer";
inline constexpr const char* sUnknownExtension = "Unknown extension type";
inline constexpr const char* sBadExtensionInstance =
    "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* sBadBlockSize = "Unsupported Application Extension block size";
inline constexpr const char* sInvalidData = "Invalid GIF data";
inline constexpr const char* sBadTrailer = "Invalid Image trailer";
inline constexpr const char* sScreenSizeExceeded = "Image exceeds Logical Screen size";
inline constexpr const char* sBadWidth = "Image width too small for contained frames";
inline constexpr const char* sBadHeight = "Image height too small for contained frames";
inline constexpr const char* sTooManyColors = "Color table overflow";
inline constexpr const char* sBadColorIndex = "Invalid color index";
inline constexpr const char* sEmptyColorMap = "Color table is empty";
inline constexpr const char* sNoColorTable = "No global or local color table defined";
// Pixel coding
inline constexpr const char* sDecodeTooFewBits = "Decoder bit buffer under-run";
inline constexpr const char* sDecodeCircular = "Circular decoder table entry";
inline constexpr const char* sInvalidColor = "Color not in color table";
// Bitmap conversion
inline constexpr const char* sInvalidPixelFormat = "Unsupported PixelFormat";
inline constexpr const char* sBadDimension = "Invalid image dimensions";
inline constexpr const char* sOutOfMemDIB = "Failed to allocate memory for GIF DIB";
inline constexpr const char* sNoDIB = "Image has no DIB";
inline constexpr const char* sInvalidColorReduction = "Unknown colour reduction or dither mode";
// Resource limits of our own: refused before anything is allocated.
inline constexpr const char* sFrameTooLarge = "GIF frames too large: their pixels would exceed the memory limit";
inline constexpr const char* sScreenTooLarge = "GIF logical screen too large: its bitmap would need more than 1 GiB";
inline constexpr const char* sScreenTooWide = "GIF logical screen exceeds 65535 pixels and cannot be written";

}  // namespace gifmsg
}  // namespace tessolo
