#include "codecs/png/pngimage.h"

#include "platform/alpha.h"
#include "platform/packed_pixels.h"

#include <algorithm>
#include <cstring>

namespace tessolo {

namespace {

// Source coordinate of destination offset `d` when `size` destination pixels
// show `source` image pixels.
int MapCoordinate(int d, int size, int source)
{
    if (size == source)
        return d;
    int s = int(double(d) / (double(size) / double(source)));
    return std::clamp(s, 0, source - 1);
}

inline void BlendPixel(unsigned a, ColorRef source, std::uint8_t* bgr)
{
    bgr[0] = BlendChannel(a, BlueOf(source), bgr[0]);
    bgr[1] = BlendChannel(a, GreenOf(source), bgr[1]);
    bgr[2] = BlendChannel(a, RedOf(source), bgr[2]);
}

inline void PutPixel(ColorRef color, std::uint8_t* bgr)
{
    bgr[0] = BlueOf(color);
    bgr[1] = GreenOf(color);
    bgr[2] = RedOf(color);
}

// Normalises `rect` and calls paint(sx, sy, bgr) for every pixel of it that
// lies on the canvas, with the image pixel it shows and the canvas pixel as
// blue, green, red bytes that paint may change.
template <class Paint>
void PaintRect(Bitmap& canvas, PngRect rect, const TChunkIHDR& image, Paint&& paint)
{
    if (rect.Left > rect.Right)
        std::swap(rect.Left, rect.Right);
    if (rect.Top > rect.Bottom)
        std::swap(rect.Top, rect.Bottom);
    int w = rect.Right - rect.Left, h = rect.Bottom - rect.Top;
    if (w == 0 || h == 0 || image.Width() == 0 || image.Height() == 0)
        return;
    int x0 = std::max(rect.Left, 0), x1 = std::min(rect.Right, canvas.Width());
    int y0 = std::max(rect.Top, 0), y1 = std::min(rect.Bottom, canvas.Height());
    if (x0 >= x1 || y0 >= y1)
        return;
    // Scaled columns are mapped once; at the image's own width, as a source
    // is drawn, the table (four bytes a column) is not needed.
    bool scaled = w != image.Width();
    std::vector<int> columns(scaled ? std::size_t(x1 - x0) : 0);
    for (int x = x0; scaled && x < x1; ++x)
        columns[std::size_t(x - x0)] = MapCoordinate(x - rect.Left, w, image.Width());
    bool direct = canvas.Format() == PixelFormat::Bits24;
    for (int y = y0; y < y1; ++y) {
        int sy = MapCoordinate(y - rect.Top, h, image.Height());
        std::uint8_t* target = canvas.ScanLine(y);
        for (int x = x0; x < x1; ++x) {
            int sx = scaled ? columns[std::size_t(x - x0)] : x - rect.Left;
            if (direct) {
                paint(sx, sy, target + 3 * std::size_t(x));
                continue;
            }
            ColorRef old = canvas.Pixel(x, y);
            std::uint8_t bgr[3] = {BlueOf(old), GreenOf(old), RedOf(old)};
            paint(sx, sy, bgr);
            ColorRef now = MakeColor(bgr[2], bgr[1], bgr[0]);
            if (now != old)
                canvas.SetPixel(x, y, now);
        }
    }
}

// Colour of image pixel (sx, sy) from the raster and its colour table.
inline ColorRef SourceColor(const TChunkIHDR& image, int sx, int sy)
{
    const std::uint8_t* row = image.Scanline(sy);
    if (image.HasPalette())
        return image.ColorTable[PackedIndex(row, std::size_t(sx), image.BitsPerPixel())];
    const std::uint8_t* bgr = row + 3 * std::size_t(sx);
    return MakeColor(bgr[2], bgr[1], bgr[0]);
}

// Throws when an index of rows [first, last) of a palette image has no
// palette entry, so a drawing fails before any pixel of its target changes.
void CheckPaletteIndices(const TChunkIHDR& image, int entries, int first, int last)
{
    int bits = image.BitsPerPixel();
    int highest = 0;
    for (int y = first; y < last; ++y)
        for (int x = 0; x < image.Width(); ++x)
            highest = std::max(highest, int(PackedIndex(image.Scanline(y), std::size_t(x), bits)));
    if (highest >= entries)
        throw EPngError(kPngNoPaletteEntryText);
}

// The alpha of a palette index: its tRNS entry, opaque beyond the table.
inline unsigned PaletteAlpha(const TChunktRNS* trns, int index)
{
    return trns && std::uint32_t(index) < trns->DataSize() ? trns->PaletteValues[std::size_t(index)] : 255;
}

// The colour and alpha of each pixel of rows [first, last) of a palette
// image. Made only once every index of those rows is found to have a
// palette entry.
class PalettePixels {
public:
    PalettePixels(const TChunkIHDR& image, const TPNGList& chunks, int first, int last)
        : image_(image), trns_(chunks.FindChunk<TChunktRNS>()), plte_(chunks.FindChunk<TChunkPLTE>())
    {
        CheckPaletteIndices(image, plte_ ? plte_->Count() : 0, first, last);
    }

    std::pair<ColorRef, unsigned> operator()(int x, int y) const
    {
        int index = int(PackedIndex(image_.Scanline(y), std::size_t(x), bits_));
        return {plte_->GetPaletteItem(index), PaletteAlpha(trns_, index)};
    }

private:
    const TChunkIHDR& image_;
    const TChunktRNS* trns_;
    const TChunkPLTE* plte_;
    int bits_ = image_.BitsPerPixel();
};

}  // namespace

void TPNGObject::Draw(Bitmap& canvas, PngRect rect) const
{
    if (GetEmpty() || !HeaderPresent())
        return;
    const TChunkIHDR& image = Header();
    switch (GetTransparencyMode()) {
    case TPNGTransparencyMode::ptmPartial: DrawPartialTrans(canvas, rect); break;
    case TPNGTransparencyMode::ptmBit: {
        ColorRef clear = GetTransparentColor();
        PaintRect(canvas, rect, image, [&](int sx, int sy, std::uint8_t* bgr) {
            ColorRef c = SourceColor(image, sx, sy);
            if (c != clear)
                PutPixel(c, bgr);
        });
        break;
    }
    case TPNGTransparencyMode::ptmNone:
        PaintRect(canvas, rect, image,
                  [&](int sx, int sy, std::uint8_t* bgr) { PutPixel(SourceColor(image, sx, sy), bgr); });
        break;
    }
}

void TPNGObject::DrawPartialTrans(Bitmap& canvas, PngRect rect) const
{
    const TChunkIHDR& image = Header();
    switch (image.IHDRData.ColorType) {
    case kColorRGBAlpha:
        PaintRect(canvas, rect, image, [&](int sx, int sy, std::uint8_t* bgr) {
            unsigned a = image.AlphaScanline(sy)[sx];
            if (a == 0)
                return;
            const std::uint8_t* s = image.Scanline(sy) + 3 * std::size_t(sx);
            if (a == 255) {
                std::memcpy(bgr, s, 3);
                return;
            }
            bgr[0] = BlendChannel(a, s[0], bgr[0]);
            bgr[1] = BlendChannel(a, s[1], bgr[1]);
            bgr[2] = BlendChannel(a, s[2], bgr[2]);
        });
        break;
    case kColorGrayscaleAlpha:
        // The gray shown is the ramp entry, which carries the gamma table.
        PaintRect(canvas, rect, image, [&](int sx, int sy, std::uint8_t* bgr) {
            BlendPixel(image.AlphaScanline(sy)[sx], image.ColorTable[image.Scanline(sy)[sx]], bgr);
        });
        break;
    case kColorPalette: {
        PalettePixels pixel(image, Chunks, 0, image.Height());
        PaintRect(canvas, rect, image, [&](int sx, int sy, std::uint8_t* bgr) {
            auto [color, alpha] = pixel(sx, sy);
            BlendPixel(alpha, color, bgr);
        });
        break;
    }
    default: break;
    }
}

namespace {

// Writes rows [first, last) of the image, straight alpha, as blue, green,
// red and alpha bytes to the row `target(y)` points at.
template <class Target>
void WriteStraightAlpha(const TPNGObject& png, int first, int last, Target&& target)
{
    const TChunkIHDR& image = png.Header();
    auto fill = [&](auto&& pixel) {
        for (int y = first; y < last; ++y) {
            std::uint8_t* out = target(y);
            for (int x = 0; x < image.Width(); ++x, out += 4) {
                auto [color, alpha] = pixel(x, y);
                out[0] = BlueOf(color);
                out[1] = GreenOf(color);
                out[2] = RedOf(color);
                out[3] = std::uint8_t(alpha);
            }
        }
    };
    using Straight = std::pair<ColorRef, unsigned>;
    TPNGTransparencyMode mode = png.GetTransparencyMode();
    if (mode != TPNGTransparencyMode::ptmPartial) {
        bool keyed = mode == TPNGTransparencyMode::ptmBit;
        ColorRef clear = png.GetTransparentColor();
        fill([&](int x, int y) {
            ColorRef c = SourceColor(image, x, y);
            return Straight{c, keyed && c == clear ? 0u : 255u};
        });
        return;
    }
    switch (image.IHDRData.ColorType) {
    case kColorRGBAlpha:
        fill([&](int x, int y) { return Straight{SourceColor(image, x, y), image.AlphaScanline(y)[x]}; });
        break;
    case kColorGrayscaleAlpha:
        fill([&](int x, int y) {
            return Straight{image.ColorTable[image.Scanline(y)[x]], image.AlphaScanline(y)[x]};
        });
        break;
    case kColorPalette: fill(PalettePixels(image, png.Chunks, first, last)); break;
    default: break;
    }
}

}  // namespace

Bitmap TPNGObject::StraightAlphaBitmap() const
{
    const TChunkIHDR& image = Header();
    Bitmap result(image.Width(), image.Height(), PixelFormat::Bits32);
    result.HasAlpha = true;
    WriteStraightAlpha(*this, 0, image.Height(), [&](int y) { return result.ScanLine(y); });
    return result;
}

void TPNGObject::StraightAlphaRow(int y, std::uint8_t* out) const
{
    WriteStraightAlpha(*this, y, y + 1, [out](int) { return out; });
}

void TPNGObject::OpaqueRow(int y, std::uint8_t* out) const
{
    const TChunkIHDR& image = Header();
    for (int x = 0; x < image.Width(); ++x, out += 3)
        PutPixel(SourceColor(image, x, y), out);
}

void TPNGObject::AssignTo(Bitmap& destination) const
{
    const TChunkIHDR& image = Header();
    TPNGTransparencyMode mode = GetTransparencyMode();
    int depth = image.IHDRData.BitDepth;
    PixelFormat format = PixelFormat::Bits24;
    if (mode != TPNGTransparencyMode::ptmPartial) {
        if (depth == 1)
            format = PixelFormat::Bits1;
        else if (depth == 2 || depth == 4)
            format = PixelFormat::Bits4;
        else if (image.IHDRData.ColorType == kColorPalette)
            format = PixelFormat::Bits8;
    }
    // Always a fresh white bitmap: what the image leaves uncovered must not
    // show an earlier picture.
    Bitmap result(image.Width(), image.Height(), format);
    if (HasPalette(format)) {
        // The raster has exactly this format: take its indices and colours.
        int entries = 1 << BitsPerPixel(format);
        result.SetPalette(std::vector<ColorRef>(image.ColorTable.begin(), image.ColorTable.begin() + entries));
        std::size_t bytes = RowBytes(image.Width(), format);
        for (int y = 0; y < image.Height(); ++y)
            std::memcpy(result.ScanLine(y), image.Scanline(y), bytes);
    } else {
        Draw(result, {0, 0, image.Width(), image.Height()});
    }
    if (mode == TPNGTransparencyMode::ptmBit) {
        result.Transparent = true;
        result.TransparentColor = GetTransparentColor();
    }
    destination = std::move(result);
}

}  // namespace tessolo
