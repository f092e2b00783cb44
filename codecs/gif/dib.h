// Row access to bitmaps for the converters: a reader that presents a bitmap
// in a chosen pixel format, and a writer that builds a new 8- or 24-bit
// bitmap and hands it to its target when finished.
#pragma once

#include "platform/bitmap.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tessolo {

class TDIBReader {
public:
    // Converts `bitmap` to `format` first when it has another format.
    TDIBReader(const Bitmap& bitmap, PixelFormat format);
    // Row 0 is the top row; 24-bit rows hold blue, green, red per pixel.
    const std::uint8_t* ScanLine(int row) const;
    const Bitmap& Source() const { return *source_; }

private:
    std::optional<Bitmap> converted_;
    const Bitmap* source_;
};

class TDIBWriter {
public:
    // Only 8 bits (with a 256-entry colour table: the palette, then black)
    // and 24 bits are accepted; a zero width or height is refused.
    TDIBWriter(Bitmap& target, const std::vector<ColorRef>& palette, int height, int width, PixelFormat format);
    // The raster is made on first access.
    std::uint8_t* ScanLine(int row);
    // Gives the finished bitmap to the target.
    void Finish();

private:
    Bitmap& target_;
    std::vector<ColorRef> palette_;
    int width_;
    int height_;
    PixelFormat format_;
    std::optional<Bitmap> image_;
};

}  // namespace tessolo
