// The JPEG entries of the build's format table.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "settings/format_prefs.h"

#include <string>

namespace tessolo {

// Reads and decodes a JPEG source file. A picture whose 24-bit bitmap would
// pass the raster cap is refused with Error before it is decoded. Throws
// FileOpenError, Error or JpegError.
Bitmap LoadJpegSource(const std::string& path);

// Compresses a sheet: quality = low byte of prefs.Quality, progressive
// exactly when prefs.Progressive is non-zero.
Bytes EncodeJpegSheet(const Bitmap& sheet, const TFormatPrefs& prefs);

}  // namespace tessolo
