// The BMP codec as the sprite build uses it: a reader for what real Windows
// BMP files contain and a writer for the five sheet pixel formats.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "platform/source_file.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tessolo {

// The pixel formats a BMP sheet can be written in, by their stored codes.
enum BmpPixelCode : std::int32_t {
    kBmp4Bits = 2,
    kBmp8Bits = 3,
    kBmp16Bits = 5,  // 5-6-5 bit fields
    kBmp24Bits = 6,
    kBmp32Bits = 7,
};

struct BmpPixelCodeInfo {
    BmpPixelCode code;
    PixelFormat format;  // its bits per pixel, also the code's word on the command line
};

inline constexpr std::array<BmpPixelCodeInfo, 5> kBmpPixelCodes{{
    {kBmp4Bits, PixelFormat::Bits4},
    {kBmp8Bits, PixelFormat::Bits8},
    {kBmp16Bits, PixelFormat::Bits16},
    {kBmp24Bits, PixelFormat::Bits24},
    {kBmp32Bits, PixelFormat::Bits32},
}};

// Decodes a BMP file image. Palette files (1, 4, 8 bits) give a palette
// bitmap, all others a 24-bit bitmap. Throws InvalidGraphic for damaged or
// unsupported data, and for a raster beyond the cap, before it allocates
// anything.
Bitmap DecodeBmp(std::span<const std::uint8_t> data);

// The largest BMP source file: twice the raster cap. Pixels of 32 bits,
// drawn in 24, take 4/3 of the cap at most; the rest is room for a gap
// before the pixels and for run-length data that codes badly (one pixel a
// run takes two bytes).
inline constexpr std::uint64_t kMaxBmpSourceFileBytes = 2 * std::uint64_t(kMaxBitmapBytes);

// BMP sources as the build reads them: the headers are checked from the
// file's first bytes, against the file's size, before it is read.
extern const SourceFormat kBmpSource;

// Reads and decodes a BMP file through kBmpSource; FileOpenError when it
// cannot be read.
Bitmap LoadBmpFile(const std::string& path);

// Hands the rows of a BMP source on one at a time (see SourceRows): the
// pixels DecodeBmp gives, with its errors. Plain pixel data is read in
// blocks of rows, so that a large file is never held whole; run-length data
// is decoded whole first.
void DecodeBmpRows(std::span<const std::uint8_t> data, const SourceRows& rows);
void LoadBmpSourceRows(const std::string& path, const SourceRows& rows);

// Encodes `bitmap` as a BMP file with the 40-byte info header in the format
// of a BmpPixelCode. Other codes throw Error.
Bytes EncodeBmp(const Bitmap& bitmap, int pixelFormatCode);
// The same file handed to `write` in pieces as it is made, so that neither
// it nor a converted copy of the bitmap is ever held whole.
void WriteBmp(const Bitmap& bitmap, int pixelFormatCode, const ByteSink& write);

// How a sheet is written as BMP.
struct BmpSheetOptions {
    BmpPixelCode pixelFormat = kBmp4Bits;

    friend bool operator==(const BmpSheetOptions&, const BmpSheetOptions&) = default;
};

}  // namespace tessolo
