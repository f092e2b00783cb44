// Windows BMP files: a reader for what real files contain and a writer for
// the five sheet pixel formats.
#pragma once

#include "platform/bitmap.h"
#include "platform/files.h"

#include <span>
#include <string>

namespace tessolo {

// Decodes a BMP file image. Palette files (1, 4, 8 bits) give a palette
// bitmap, all others a 24-bit bitmap. Throws InvalidGraphic for damaged or
// unsupported data.
Bitmap DecodeBmp(std::span<const std::uint8_t> data);

// Reads and decodes a BMP file; FileOpenError when it cannot be read.
Bitmap LoadBmpFile(const std::string& path);

// Encodes `bitmap` as a BMP file with the 40-byte info header in the format
// chosen by a pixel-format code: 2 = 4 bits, 3 = 8 bits, 5 = 16 bits (5-6-5
// bit fields), 6 = 24 bits, 7 = 32 bits. Other codes throw Error.
Bytes EncodeBmp(const Bitmap& bitmap, int pixelFormatCode);

}  // namespace tessolo
