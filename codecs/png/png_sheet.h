// The PNG codec's entry points for the sprite build.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "settings/format_prefs.h"

#include <string>

namespace tessolo {

// Reads and decodes a PNG source. A picture with any transparency (an alpha
// plane, tRNS alpha or a tRNS colour key) gives a 32-bit bitmap with
// straight alpha, colour keys made alpha 0; any other is rendered onto a
// 24-bit bitmap of its size. A picture whose bitmap would pass the raster
// cap is refused before its image data is decoded, and text chunks are not
// inflated. Throws the codec's errors.
Bitmap LoadPngSource(const std::string& path);

// Encodes a sheet (colour type 6 when it has alpha): zlib level = low byte of Quality (values above 9 are
// taken as 9), Adam7 interlacing when the low byte of Progressive is not 0.
// With PngOptimizeOf(prefs) the optimised encoder writes the same pixels
// instead, and the level is not used. A sheet without pixels has no PNG
// form: the result is empty.
Bytes EncodePngSheet(const Bitmap& sheet, const TFormatPrefs& prefs);

}  // namespace tessolo
