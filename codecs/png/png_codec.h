// The PNG codec as the sprite build uses it: decoding a source file to a
// bitmap and encoding a finished sheet.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "platform/source_file.h"

#include <cstdint>
#include <span>
#include <string>

namespace tessolo {

// Decodes a PNG source. A picture with any transparency (an alpha plane,
// tRNS alpha or a tRNS colour key) gives a 32-bit bitmap with straight
// alpha, colour keys made alpha 0; any other is rendered onto a 24-bit
// bitmap of its size. A picture whose bitmap would pass the raster cap, or
// whose image data the file is too short to hold, is refused before its
// image is allocated, and text chunks are not inflated. Throws the codec's
// errors.
Bitmap DecodePngSource(std::span<const std::uint8_t> data);

// The same pixels handed to `rows` as they are decoded, without the picture
// held whole (an interlaced one is decoded whole first). The palette and
// transparency are those that precede the image data, as the format puts
// them. Throws what DecodePngSource throws, possibly after some rows.
void DecodePngSourceRows(std::span<const std::uint8_t> data, const SourceRows& rows);

// The largest PNG source file: twice the raster cap. A picture within the
// cap has at most 8/7 of it in image data (16-bit RGB with alpha, whose
// planes take 7 bytes a pixel), and deflate adds well under a percent even
// to data it cannot compress; the rest is room for ancillary chunks.
inline constexpr std::uint64_t kMaxPngSourceFileBytes = 2 * std::uint64_t(kMaxBitmapBytes);

// PNG sources as the build reads them: the signature and the header are
// checked from the file's first bytes, and its size, before it is read.
extern const SourceFormat kPngSource;

// Reads and decodes a PNG source file through kPngSource.
Bitmap LoadPngSource(const std::string& path);
// Reads a PNG source file through kPngSource and decodes it row by row.
void LoadPngSourceRows(const std::string& path, const SourceRows& rows);

// How a sheet is written as PNG.
struct PngSheetOptions {
    int level = 9;           // zlib compression level, 0 to 9
    bool interlace = false;  // Adam7
    bool optimize = false;   // the smallest file of the same pixels; `level` is then not used
    bool exhaustive = false; // with `optimize` or `colors`: smaller still, far slower
    // 2-256: a lossy palette of at most that many colours, alpha included,
    // written by the optimised encoder; 0: the exact colours.
    int colors = 0;
    bool dither = false;     // with `colors`: Floyd-Steinberg dithering

    friend bool operator==(const PngSheetOptions&, const PngSheetOptions&) = default;
};

// Encodes a sheet (colour type 6 when it has alpha), or with `optimize` the
// same pixels through the optimised encoder, or with `colors` its lossy
// palette through the optimised encoder. A sheet without pixels has no
// PNG form: the result is empty.
Bytes EncodePngSheet(const Bitmap& sheet, const PngSheetOptions& options);
// The same file handed to `write` piece by piece: a true-colour sheet is
// written as it is encoded, without the whole file held.
void WritePngSheet(const Bitmap& sheet, const PngSheetOptions& options, const ByteSink& write);

}  // namespace tessolo
