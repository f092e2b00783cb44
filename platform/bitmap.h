// An in-memory raster with a small drawing canvas: the bitmap that every
// decoder produces, the sheet is composed on, and every writer takes.
//
// Rows are stored top-down, each padded to a multiple of 4 bytes. Pixel
// layouts follow the BMP conventions: 1 and 4 bits pack the leftmost pixel in
// the high bits; 16 bits are 5-6-5 little-endian words; 24 bits are blue,
// green, red; 32 bits are blue, green, red and a fourth byte that is
// straight alpha when HasAlpha is set and unused otherwise.
#pragma once

#include "platform/raster_bytes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessolo {

// A colour value 0x00BBGGRR: red in the low byte.
using ColorRef = std::uint32_t;

constexpr ColorRef MakeColor(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return ColorRef(r) | ColorRef(g) << 8 | ColorRef(b) << 16;
}
constexpr std::uint8_t RedOf(ColorRef c) { return std::uint8_t(c); }
constexpr std::uint8_t GreenOf(ColorRef c) { return std::uint8_t(c >> 8); }
constexpr std::uint8_t BlueOf(ColorRef c) { return std::uint8_t(c >> 16); }

constexpr ColorRef kWhite = 0x00FFFFFF;
constexpr ColorRef kBlack = 0x00000000;

enum class PixelFormat { Bits1 = 1, Bits4 = 4, Bits8 = 8, Bits16 = 16, Bits24 = 24, Bits32 = 32 };

constexpr int BitsPerPixel(PixelFormat f) { return static_cast<int>(f); }
constexpr bool HasPalette(PixelFormat f) { return BitsPerPixel(f) <= 8; }

// Bytes of one row of `width` pixels of `bitsPerPixel` bits, padded to a
// multiple of 4: the row stride of bitmaps and of the rasters codecs build.
constexpr std::size_t RowStride(std::size_t width, int bitsPerPixel)
{
    return (width * std::size_t(bitsPerPixel) + 31) / 32 * 4;
}

// The row stride of a bitmap; a negative width has empty rows.
std::size_t RowBytes(int width, PixelFormat format);

// Largest raster the bitmap accepts, so a hostile header cannot make us
// reserve unbounded memory.
constexpr std::size_t kMaxBitmapBytes = std::size_t(1) << 30;

// Throws the Error a Bitmap of this size would throw: "Bitmap too large"
// when its raster would exceed kMaxBitmapBytes. For decoders that check the
// bitmap they will make before they decode into anything large.
void CheckBitmapSize(int width, int height, PixelFormat format);

class Bitmap {
public:
    // An empty 0 x 0 true-colour bitmap.
    Bitmap() = default;
    // A bitmap filled with white (palette formats: index 0 until a palette is set).
    // Throws Error when the raster would exceed kMaxBitmapBytes.
    Bitmap(int width, int height, PixelFormat format = PixelFormat::Bits24);

    int Width() const { return width_; }
    int Height() const { return height_; }
    PixelFormat Format() const { return format_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }

    // Bytes between the starts of two rows; at least RowBytes(Width(), Format())
    // and a multiple of 4, larger when spare capacity is kept for growth.
    std::size_t Stride() const { return stride_; }
    std::uint8_t* ScanLine(int y) { return data_.data() + std::size_t(y) * stride_; }
    const std::uint8_t* ScanLine(int y) const { return data_.data() + std::size_t(y) * stride_; }

    // Colour table of palette formats (at most 1 << bits entries).
    const std::vector<ColorRef>& Palette() const { return palette_; }
    void SetPalette(std::vector<ColorRef> palette);

    // Bits32 only: the fourth byte of each pixel is straight (not
    // premultiplied) alpha, 0 fully transparent and 255 opaque.
    bool HasAlpha = false;
    // Pixels equal to TransparentColor are skipped when this bitmap is drawn.
    bool Transparent = false;
    ColorRef TransparentColor = kWhite;

    // Size changes never scale: pixels keep their place, what lies outside a
    // smaller size is cut off, new area is white (fully transparent white
    // when HasAlpha is set). Growth is amortised: spare room is kept so
    // repeated growth moves the rows only now and then, within the same
    // bytes, never holding the raster twice.
    void SetWidth(int width);
    void SetHeight(int height);
    void SetSize(int width, int height);

    // The colour of a pixel, without its alpha.
    ColorRef Pixel(int x, int y) const;
    // Sets a pixel's colour; a bitmap with alpha makes the pixel opaque.
    void SetPixel(int x, int y, ColorRef color);
    // Palette index of a pixel of a palette format.
    int PixelIndex(int x, int y) const;
    void SetPixelIndex(int x, int y, int index);

    // Copies `src` 1:1 with its top-left corner at (x, y), clipped to this
    // bitmap. Both with alpha: the alpha is copied too; only this one: the
    // copied pixels are opaque.
    void Draw(const Bitmap& src, int x, int y);
    // Scales `src` into the rectangle (x, y, width, height) by nearest
    // neighbour, carrying alpha as Draw does.
    void StretchDraw(const Bitmap& src, int x, int y, int width, int height);

    // A copy in another pixel format, without dithering. Palette targets use
    // a fixed table: 1 bit black and white, 4 bits Palette16(), 8 bits Palette256().
    Bitmap ConvertTo(PixelFormat format) const;

private:
    // Whether drawing `src` can copy its pixels' bytes: same true-colour
    // layout, no colour key, and alpha only where this bitmap keeps it.
    bool CopiesBytesOf(const Bitmap& src) const;
    // Sets the row stride, keeping the pixels of the first `height` rows
    // (at most) that both widths hold.
    void Restride(int width, int height, std::size_t stride);
    void FillWhite(int x0, int y0, int x1, int y1);

    int width_ = 0;
    int height_ = 0;
    PixelFormat format_ = PixelFormat::Bits24;
    std::size_t stride_ = 0;
    RasterBytes data_;
    std::vector<ColorRef> palette_;
};

// One row at a time of a bitmap as a bitmap of its own, of the same format,
// alpha and palette: for converting a large bitmap a row at a time.
class BitmapRow {
public:
    explicit BitmapRow(const Bitmap& bitmap);
    // Row `y` of the bitmap; valid until the next call.
    const Bitmap& Of(int y);

private:
    const Bitmap& bitmap_;
    Bitmap row_;
};

// The fixed 16-colour table used for 4-bit output.
const std::vector<ColorRef>& Palette16();
// The fixed 256-colour table used for 8-bit output: a 6 x 6 x 6 colour cube
// (levels 0, 51, 102, 153, 204, 255) followed by the 40 grey levels
// round(i * 255 / 41), i = 1..40, which fall between the cube's greys.
const std::vector<ColorRef>& Palette256();
// Index of the entry nearest to `color` (squared RGB distance, lowest index on ties).
int NearestPaletteIndex(const std::vector<ColorRef>& palette, ColorRef color);

}  // namespace tessolo
