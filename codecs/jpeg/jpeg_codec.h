// The JPEG codec as the sprite build uses it: decoding a source file to a
// bitmap and encoding a finished sheet.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "platform/source_file.h"

#include <cstdint>
#include <span>
#include <string>

namespace tessolo {

// Decodes a JPEG source (DecodeJpeg). A picture whose 24-bit bitmap would
// pass the raster cap is refused with Error before it is decoded, since the
// build draws every source in 24 bits; one whose first scan the data is too
// short to hold (JpegHeader::leastScanBits) with JpegError. Throws Error or
// JpegError.
Bitmap DecodeJpegSource(std::span<const std::uint8_t> data);

// The same as DecodeJpegSource, a row at a time (SourceRows), with the same
// checks and errors.
void DecodeJpegSourceRows(std::span<const std::uint8_t> data, const SourceRows& rows);

// The largest JPEG source file: twice the raster cap. Even at quality 100 a
// photograph's coded data rarely reaches the size of its 24-bit raster (a
// CMYK one's, with four samples a pixel, a third more); the rest is room for
// metadata segments and unusual encoders. Only a Huffman-coded first scan of
// DC coefficients has a least size; for other files (arithmetic coding, AC
// scans first) only the raster cap limits what a header claims.
inline constexpr std::uint64_t kMaxJpegSourceFileBytes = 2 * std::uint64_t(kMaxBitmapBytes);

// JPEG sources as the build reads them: the start-of-image marker, the
// frame header when it lies in the file's first bytes, and then the file's
// size are checked before it is read.
extern const SourceFormat kJpegSource;

// Reads and decodes a JPEG source file through kJpegSource.
Bitmap LoadJpegSource(const std::string& path);
// Reads a JPEG source file through kJpegSource and decodes it a row at a time.
void LoadJpegSourceRows(const std::string& path, const SourceRows& rows);

// How a sheet is written as JPEG.
struct JpegSheetOptions {
    int quality = 100;         // 1 to 100
    bool progressive = false;  // a progressive file rather than a baseline one

    friend bool operator==(const JpegSheetOptions&, const JpegSheetOptions&) = default;
};

// Compresses a sheet; one of more than 65500 pixels a side is refused with
// SheetTooLargeError.
Bytes EncodeJpegSheet(const Bitmap& sheet, const JpegSheetOptions& options);

}  // namespace tessolo
