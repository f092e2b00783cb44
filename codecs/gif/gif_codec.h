// The GIF codec as the sprite build uses it: decoding a source file to a
// bitmap and encoding a finished sheet.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "platform/source_file.h"
#include "codecs/gif/gif_types.h"

#include <cstdint>
#include <span>
#include <string>

namespace tessolo {

// The first frame of a GIF file on its logical screen, as the build draws
// it. A frame with a transparent index gives a 32-bit screen with straight
// alpha: that index and the area the frame leaves uncovered are fully
// transparent (white), every other pixel opaque. Otherwise: an 8-bit bitmap
// with the frame's colours when the frame covers the screen, else a 24-bit
// white screen with the frame at its offset. A GIF without frames gives an
// empty bitmap. A screen whose 24-bit bitmap would pass the raster cap is
// refused before any pixels are allocated, and the frames together may hold
// half the cap.
Bitmap DecodeGifSource(std::span<const std::uint8_t> data);

// The largest GIF source file: the raster cap. The frames of a source hold
// at most half the cap in pixels, which LZW, at its worst a 12-bit code for
// each pixel, codes in three quarters of it; the rest is room for
// extensions.
inline constexpr std::uint64_t kMaxGifSourceFileBytes = kMaxBitmapBytes;

// GIF sources as the build reads them: the signature and the logical
// screen are checked from the file's first bytes, and its size, before it
// is read.
extern const SourceFormat kGifSource;

// Reads and decodes a GIF source file with kGifSource's checks, a window of
// the file at a time (kGifFileWindowBytes unless told), never whole.
Bitmap LoadGifSource(const std::string& path);
Bitmap LoadGifSource(const std::string& path, std::size_t windowBytes);

// How a sheet is written as GIF.
struct GifSheetOptions {
    TGIFCompression compression = gcLZW;

    friend bool operator==(const GifSheetOptions&, const GifSheetOptions&) = default;
};

// The sheet as a one-frame GIF mapped onto the web palette. A sheet with
// alpha gets one more entry, marked transparent, for its fully transparent
// pixels; partly transparent ones are blended over white. A 0 x 0 sheet
// gives a valid GIF without frames: header, 0 x 0 screen and trailer.
Bytes EncodeGifSheet(const Bitmap& sheet, const GifSheetOptions& options);
// The same file handed to `write` in pieces, so that it is never held whole.
void WriteGifSheet(const Bitmap& sheet, const GifSheetOptions& options, const ByteSink& write);

}  // namespace tessolo
