#include "platform/bitmap.h"

#include "platform/byte_io.h"
#include "platform/error.h"
#include "platform/packed_pixels.h"

#include <algorithm>
#include <cstring>

namespace tessolo {

namespace {

void CheckRasterSize(std::size_t stride, int height)
{
    if (height > 0 && stride > kMaxBitmapBytes / std::size_t(height))
        throw Error("Bitmap too large: the raster would need more than 1 GiB");
}

}  // namespace

std::size_t RowBytes(int width, PixelFormat format)
{
    return RowStride(std::size_t(std::max(width, 0)), BitsPerPixel(format));
}

void CheckBitmapSize(int width, int height, PixelFormat format)
{
    if (width < 0 || height < 0)
        throw Error("Bitmap size cannot be negative");
    CheckRasterSize(RowBytes(width, format), height);
}

Bitmap::Bitmap(int width, int height, PixelFormat format) : format_(format)
{
    CheckBitmapSize(width, height, format);
    std::size_t stride = RowBytes(width, format);
    width_ = width;
    height_ = height;
    stride_ = stride;
    data_.Resize(stride * std::size_t(height));
    if (!HasPalette(format) && data_.size() > 0)
        std::memset(data_.data(), 0xFF, data_.size());
}

BitmapRow::BitmapRow(const Bitmap& bitmap) : bitmap_(bitmap), row_(bitmap.Width(), 1, bitmap.Format())
{
    row_.HasAlpha = bitmap.HasAlpha;
    if (HasPalette(bitmap.Format()))
        row_.SetPalette(bitmap.Palette());
}

const Bitmap& BitmapRow::Of(int y)
{
    std::memcpy(row_.ScanLine(0), bitmap_.ScanLine(y), RowBytes(bitmap_.Width(), bitmap_.Format()));
    return row_;
}

void Bitmap::SetPalette(std::vector<ColorRef> palette)
{
    if (!HasPalette(format_) || palette.size() > (std::size_t(1) << BitsPerPixel(format_)))
        throw Error("Colour table does not fit the pixel format");
    palette_ = std::move(palette);
}

void Bitmap::Restride(int width, int height, std::size_t stride)
{
    // The rows move within the same bytes, so a raster is never held twice:
    // to wider rows from the last up, to narrower ones from the first down.
    const int rows = std::min(height, height_);
    const std::size_t keep = std::min(RowBytes(std::min(width, width_), format_), stride);
    if (stride > stride_) {
        data_.Resize(std::max(data_.size(), stride * std::size_t(rows)));
        for (int y = rows - 1; keep > 0 && y > 0; --y)
            std::memmove(data_.data() + std::size_t(y) * stride, ScanLine(y), keep);
    } else {
        for (int y = 1; keep > 0 && y < rows; ++y)
            std::memmove(data_.data() + std::size_t(y) * stride, ScanLine(y), keep);
    }
    data_.Resize(stride * std::size_t(rows));
    stride_ = stride;
}

void Bitmap::FillWhite(int x0, int y0, int x1, int y1)
{
    if (x0 >= x1 || y0 >= y1)
        return;
    if (!HasPalette(format_)) {
        // 0xFF bytes are white in the 16, 24 and 32 bit layouts. The first
        // row is made once and copied, so large areas cost no per-pixel work.
        std::size_t bytesPerPixel = std::size_t(BitsPerPixel(format_) / 8);
        std::size_t offset = std::size_t(x0) * bytesPerPixel;
        std::size_t length = std::size_t(x1 - x0) * bytesPerPixel;
        std::uint8_t* first = ScanLine(y0) + offset;
        std::memset(first, 0xFF, length);
        for (int x = 0; HasAlpha && x < x1 - x0; ++x)
            first[4 * x + 3] = 0;
        for (int y = y0 + 1; y < y1; ++y)
            std::memcpy(ScanLine(y) + offset, first, length);
        return;
    }
    int white = palette_.empty() ? 0 : NearestPaletteIndex(palette_, kWhite);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            SetPixelIndex(x, y, white);
}

void Bitmap::SetWidth(int width)
{
    width = std::max(width, 0);
    std::size_t needed = RowBytes(width, format_);
    if (needed > stride_) {
        // Keep half as much again in spare room so a strip that grows image by
        // image moves its rows only a logarithmic number of times.
        std::size_t roomy = (stride_ + stride_ / 2 + 3) / 4 * 4;
        std::size_t stride = std::max(needed, roomy);
        if (height_ > 0 && stride > kMaxBitmapBytes / std::size_t(height_))
            stride = needed;
        CheckRasterSize(stride, height_);
        Restride(width, height_, stride);
    }
    int old = width_;
    width_ = width;
    FillWhite(old, 0, width_, height_);
}

void Bitmap::SetHeight(int height)
{
    height = std::max(height, 0);
    std::size_t exact = RowBytes(width_, format_);
    CheckRasterSize(exact, height);
    if (stride_ == 0)
        stride_ = exact;
    // The spare room a growing width keeps must not push a raster that fits
    // past the cap: give it up instead.
    if (height > 0 && stride_ > kMaxBitmapBytes / std::size_t(height))
        Restride(width_, height, exact);
    data_.Resize(stride_ * std::size_t(height));
    int old = height_;
    height_ = height;
    FillWhite(0, old, width_, height_);
}

void Bitmap::SetSize(int width, int height)
{
    SetHeight(height);
    SetWidth(width);
}

int Bitmap::PixelIndex(int x, int y) const
{
    const std::uint8_t* row = ScanLine(y);
    switch (format_) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8: return int(PackedIndex(row, std::size_t(x), BitsPerPixel(format_)));
    default: return 0;
    }
}

void Bitmap::SetPixelIndex(int x, int y, int index)
{
    std::uint8_t* row = ScanLine(y);
    switch (format_) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8:
        SetPackedIndex(row, std::size_t(x), BitsPerPixel(format_), unsigned(index));
        break;
    default: break;
    }
}

ColorRef Bitmap::Pixel(int x, int y) const
{
    const std::uint8_t* row = ScanLine(y);
    switch (format_) {
    case PixelFormat::Bits16: {
        unsigned w = ReadLe16(row + 2 * x);
        unsigned r = w >> 11, g = (w >> 5) & 0x3F, b = w & 0x1F;
        return MakeColor(std::uint8_t(r << 3 | r >> 2), std::uint8_t(g << 2 | g >> 4),
                         std::uint8_t(b << 3 | b >> 2));
    }
    case PixelFormat::Bits24: return MakeColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case PixelFormat::Bits32: return MakeColor(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    default: {
        std::size_t index = std::size_t(PixelIndex(x, y));
        return index < palette_.size() ? palette_[index] : kBlack;
    }
    }
}

void Bitmap::SetPixel(int x, int y, ColorRef color)
{
    std::uint8_t* row = ScanLine(y);
    switch (format_) {
    case PixelFormat::Bits16: {
        unsigned w = unsigned(RedOf(color) >> 3) << 11 | unsigned(GreenOf(color) >> 2) << 5 |
                     unsigned(BlueOf(color) >> 3);
        row[2 * x] = std::uint8_t(w);
        row[2 * x + 1] = std::uint8_t(w >> 8);
        break;
    }
    case PixelFormat::Bits24:
        row[3 * x] = BlueOf(color);
        row[3 * x + 1] = GreenOf(color);
        row[3 * x + 2] = RedOf(color);
        break;
    case PixelFormat::Bits32:
        row[4 * x] = BlueOf(color);
        row[4 * x + 1] = GreenOf(color);
        row[4 * x + 2] = RedOf(color);
        row[4 * x + 3] = HasAlpha ? 255 : 0;
        break;
    default:
        SetPixelIndex(x, y, NearestPaletteIndex(palette_, color));
        break;
    }
}

bool Bitmap::CopiesBytesOf(const Bitmap& src) const
{
    return format_ == src.format_ && !HasPalette(format_) && !src.Transparent && (src.HasAlpha || !HasAlpha);
}

void Bitmap::Draw(const Bitmap& src, int x, int y)
{
    int x0 = std::max(x, 0), y0 = std::max(y, 0);
    int x1 = int(std::min<long long>(width_, (long long)x + src.width_));
    int y1 = int(std::min<long long>(height_, (long long)y + src.height_));
    if (x0 >= x1 || y0 >= y1)
        return;
    if (CopiesBytesOf(src)) {
        std::size_t bytesPerPixel = std::size_t(BitsPerPixel(format_) / 8);
        for (int ty = y0; ty < y1; ++ty)
            std::memcpy(ScanLine(ty) + std::size_t(x0) * bytesPerPixel,
                        src.ScanLine(ty - y) + std::size_t(x0 - x) * bytesPerPixel,
                        std::size_t(x1 - x0) * bytesPerPixel);
        return;
    }
    for (int ty = y0; ty < y1; ++ty)
        for (int tx = x0; tx < x1; ++tx) {
            ColorRef c = src.Pixel(tx - x, ty - y);
            if (!src.Transparent || c != src.TransparentColor)
                SetPixel(tx, ty, c);
        }
}

void Bitmap::StretchDraw(const Bitmap& src, int x, int y, int width, int height)
{
    if (src.Empty() || width <= 0 || height <= 0)
        return;
    if (width == src.width_ && height == src.height_) {
        Draw(src, x, y);
        return;
    }
    int x0 = std::max(x, 0), y0 = std::max(y, 0);
    int x1 = int(std::min<long long>(width_, (long long)x + width));
    int y1 = int(std::min<long long>(height_, (long long)y + height));
    bool copyBytes = CopiesBytesOf(src);
    std::size_t bytesPerPixel = std::size_t(BitsPerPixel(format_) / 8);
    for (int ty = y0; ty < y1; ++ty) {
        int sy = int((long long)(ty - y) * src.height_ / height);
        for (int tx = x0; tx < x1; ++tx) {
            int sx = int((long long)(tx - x) * src.width_ / width);
            if (copyBytes) {
                std::memcpy(ScanLine(ty) + std::size_t(tx) * bytesPerPixel,
                            src.ScanLine(sy) + std::size_t(sx) * bytesPerPixel, bytesPerPixel);
                continue;
            }
            ColorRef c = src.Pixel(sx, sy);
            if (!src.Transparent || c != src.TransparentColor)
                SetPixel(tx, ty, c);
        }
    }
}

Bitmap Bitmap::ConvertTo(PixelFormat format) const
{
    Bitmap out(width_, height_, format);
    switch (format) {
    case PixelFormat::Bits1: out.SetPalette({kBlack, kWhite}); break;
    case PixelFormat::Bits4: out.SetPalette(Palette16()); break;
    case PixelFormat::Bits8: out.SetPalette(Palette256()); break;
    default: break;
    }
    // Sheets are mostly runs of one colour: remember the last lookup.
    ColorRef lastColor = 0;
    int lastIndex = -1;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            ColorRef c = Pixel(x, y);
            if (!HasPalette(format)) {
                out.SetPixel(x, y, c);
                continue;
            }
            if (lastIndex < 0 || c != lastColor) {
                lastColor = c;
                lastIndex = NearestPaletteIndex(out.palette_, c);
            }
            out.SetPixelIndex(x, y, lastIndex);
        }
    return out;
}

const std::vector<ColorRef>& Palette16()
{
    static const std::vector<ColorRef> table = {
        MakeColor(0, 0, 0),       MakeColor(128, 0, 0),   MakeColor(0, 128, 0),
        MakeColor(128, 128, 0),   MakeColor(0, 0, 128),   MakeColor(128, 0, 128),
        MakeColor(0, 128, 128),   MakeColor(128, 128, 128), MakeColor(192, 192, 192),
        MakeColor(255, 0, 0),     MakeColor(0, 255, 0),   MakeColor(255, 255, 0),
        MakeColor(0, 0, 255),     MakeColor(255, 0, 255), MakeColor(0, 255, 255),
        MakeColor(255, 255, 255),
    };
    return table;
}

const std::vector<ColorRef>& Palette256()
{
    static const std::vector<ColorRef> table = [] {
        std::vector<ColorRef> t;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    t.push_back(MakeColor(std::uint8_t(r * 51), std::uint8_t(g * 51), std::uint8_t(b * 51)));
        for (int i = 1; i <= 40; ++i) {
            auto v = std::uint8_t((i * 255 + 20) / 41);
            t.push_back(MakeColor(v, v, v));
        }
        return t;
    }();
    return table;
}

int NearestPaletteIndex(const std::vector<ColorRef>& palette, ColorRef color)
{
    int best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        long dr = long(RedOf(palette[i])) - RedOf(color);
        long dg = long(GreenOf(palette[i])) - GreenOf(color);
        long db = long(BlueOf(palette[i])) - BlueOf(color);
        long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            best = int(i);
            bestDistance = d;
            if (d == 0)
                break;
        }
    }
    return best;
}

}  // namespace tessolo
