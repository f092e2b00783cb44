#include "codecs/png/png_rows.h"

#include "platform/packed_pixels.h"

#include <cstring>

namespace tessolo {

namespace {

void EncodeRGB(const std::uint8_t* in, const std::uint8_t* alpha, const GammaTable& inv, std::uint8_t* out,
               int first, int step, std::size_t pixels, bool wide, bool hasAlpha)
{
    for (std::size_t k = 0; k < pixels; ++k) {
        std::size_t x = std::size_t(first) + k * std::size_t(step);
        const std::uint8_t* bgr = in + 3 * x;
        std::uint8_t samples[4] = {inv[bgr[2]], inv[bgr[1]], inv[bgr[0]], hasAlpha ? alpha[x] : std::uint8_t(0)};
        int count = hasAlpha ? 4 : 3;
        for (int c = 0; c < count; ++c) {
            *out++ = samples[c];
            if (wide)
                *out++ = 0;
        }
    }
}

void EncodeGray(const std::uint8_t* in, const std::uint8_t* alpha, std::uint8_t* out, int first, int step,
                std::size_t pixels, bool wide, bool hasAlpha)
{
    for (std::size_t k = 0; k < pixels; ++k) {
        std::size_t x = std::size_t(first) + k * std::size_t(step);
        *out++ = in[x];
        if (wide)
            *out++ = 0;
        if (hasAlpha) {
            *out++ = alpha[x];
            if (wide)
                *out++ = 0;
        }
    }
}

}  // namespace

void EncodeRowFromImage(RowFormat format, const TChunkIHDR& image, const GammaTable& inverse,
                        std::uint8_t* scanline, int y, int first, int step, std::size_t pixels)
{
    const std::uint8_t* in = image.Scanline(y);
    const std::uint8_t* alpha = image.AlphaScanline(y);
    switch (format) {
    case RowFormat::RGB8: EncodeRGB(in, alpha, inverse, scanline, first, step, pixels, false, false); break;
    case RowFormat::RGB16: EncodeRGB(in, alpha, inverse, scanline, first, step, pixels, true, false); break;
    case RowFormat::RGBAlpha8: EncodeRGB(in, alpha, inverse, scanline, first, step, pixels, false, true); break;
    case RowFormat::RGBAlpha16: EncodeRGB(in, alpha, inverse, scanline, first, step, pixels, true, true); break;
    case RowFormat::Grayscale16: EncodeGray(in, alpha, scanline, first, step, pixels, true, false); break;
    case RowFormat::GrayscaleAlpha8: EncodeGray(in, alpha, scanline, first, step, pixels, false, true); break;
    case RowFormat::GrayscaleAlpha16: EncodeGray(in, alpha, scanline, first, step, pixels, true, true); break;
    case RowFormat::Palette148:
    case RowFormat::Palette2:
    case RowFormat::Gray2: {
        // The raster of depths 1, 4 and 8 holds the samples as written; a
        // 2-bit header is written as 4 bits, the raster's own depth.
        int bits = image.BitsPerPixel();
        std::size_t bytes = (pixels * std::size_t(bits) + 7) / 8;
        if (step == 1 && first == 0) {
            std::memcpy(scanline, in, bytes);
            break;
        }
        std::memset(scanline, 0, bytes);
        for (std::size_t k = 0; k < pixels; ++k)
            OrPackedIndex(scanline, k, bits,
                          PackedIndex(in, std::size_t(first) + k * std::size_t(step), bits));
        break;
    }
    }
}

}  // namespace tessolo
