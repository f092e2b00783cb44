// Windows BMP files: a reader for what real files contain and a writer for
// the five sheet pixel formats.
#pragma once

#include "platform/bitmap.h"
#include "platform/files.h"

#include <array>
#include <span>
#include <string>

namespace tessolo {

// Decodes a BMP file image. Palette files (1, 4, 8 bits) give a palette
// bitmap, all others a 24-bit bitmap. Throws InvalidGraphic for damaged or
// unsupported data.
Bitmap DecodeBmp(std::span<const std::uint8_t> data);

// Reads and decodes a BMP file; FileOpenError when it cannot be read.
Bitmap LoadBmpFile(const std::string& path);

// The pixel formats a sheet can be written in, by the code that selects one
// (the code the BMP option record stores), in the order they are offered.
struct BmpPixelFormatCode {
    int code;
    PixelFormat format;
};
inline constexpr std::array<BmpPixelFormatCode, 5> kBmpPixelFormatCodes{{
    {2, PixelFormat::Bits4},
    {3, PixelFormat::Bits8},
    {5, PixelFormat::Bits16},
    {6, PixelFormat::Bits24},
    {7, PixelFormat::Bits32},
}};

// Encodes `bitmap` as a BMP file with the 40-byte info header in the format
// chosen by a pixel-format code of kBmpPixelFormatCodes; 16 bits are written
// as 5-6-5 bit fields. Other codes throw Error.
Bytes EncodeBmp(const Bitmap& bitmap, int pixelFormatCode);

}  // namespace tessolo
