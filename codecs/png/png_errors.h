// The exceptions of the PNG codec. Each failure has its own class so callers
// can tell them apart; the message is the text the user sees.
#pragma once

#include "platform/error.h"

#include <string>

namespace tessolo {

#define TESSOLO_PNG_EXCEPTION(Name) \
    class Name : public Error {     \
    public:                         \
        Name();                     \
    };

TESSOLO_PNG_EXCEPTION(EPNGInvalidFileHeader)
TESSOLO_PNG_EXCEPTION(EPngUnexpectedEnd)
TESSOLO_PNG_EXCEPTION(EPNGIHDRNotFirst)
TESSOLO_PNG_EXCEPTION(EPngInvalidCRC)
TESSOLO_PNG_EXCEPTION(EPNGUnknownCriticalChunk)
TESSOLO_PNG_EXCEPTION(EPNGNoImageData)
TESSOLO_PNG_EXCEPTION(EPngInvalidIHDR)
TESSOLO_PNG_EXCEPTION(EPNGSizeExceeds)
TESSOLO_PNG_EXCEPTION(EPNGUnknownCompression)
TESSOLO_PNG_EXCEPTION(EPNGUnknownInterlace)
TESSOLO_PNG_EXCEPTION(EPNGInvalidPalette)
TESSOLO_PNG_EXCEPTION(EPNGMissingMultipleIDAT)
TESSOLO_PNG_EXCEPTION(EPNGHeaderNotPresent)
TESSOLO_PNG_EXCEPTION(EPNGInvalidSpec)
TESSOLO_PNG_EXCEPTION(EPNGCannotChangeTransparent)
TESSOLO_PNG_EXCEPTION(EPNGInvalidNewSize)
// A raster larger than kMaxBitmapBytes; refused before anything is allocated.
TESSOLO_PNG_EXCEPTION(EPNGImageTooLarge)

#undef TESSOLO_PNG_EXCEPTION

// Inflation of image data failed; the message names zlib's result code.
class EPNGZLIBError : public Error {
public:
    explicit EPNGZLIBError(int zlibResult);
};

// A header whose values no image can have: width or height 0, or a colour
// type with a bit depth the format does not define for it.
class EPNGInvalidHeaderValues : public Error {
public:
    explicit EPNGInvalidHeaderValues(const std::string& detail);
};

// Misuse of the object model; the message says which rule was broken.
class EPngError : public Error {
public:
    using Error::Error;
};

extern const char* const kPngAddExistingCriticalText;
extern const char* const kPngAddToInvalidImageText;
extern const char* const kPngIncompatibleChunksText;
extern const char* const kPngNoPaletteEntryText;

// zlib's name for a result code, for example "data error (-3)".
std::string ZlibResultText(int zlibResult);

}  // namespace tessolo
