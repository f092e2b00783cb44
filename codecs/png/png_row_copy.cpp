#include "codecs/png/png_rows.h"

#include "platform/packed_pixels.h"

#include <cstring>

namespace tessolo {

RowFormat RowFormatOf(const TIHDRData& header)
{
    bool wide = header.BitDepth == 16;
    switch (header.ColorType) {
    case kColorRGB: return wide ? RowFormat::RGB16 : RowFormat::RGB8;
    case kColorRGBAlpha: return wide ? RowFormat::RGBAlpha16 : RowFormat::RGBAlpha8;
    case kColorGrayscaleAlpha: return wide ? RowFormat::GrayscaleAlpha16 : RowFormat::GrayscaleAlpha8;
    case kColorPalette: return header.BitDepth == 2 ? RowFormat::Palette2 : RowFormat::Palette148;
    default:
        if (wide)
            return RowFormat::Grayscale16;
        return header.BitDepth == 2 ? RowFormat::Gray2 : RowFormat::Palette148;
    }
}

namespace {

void CopyRGB(const std::uint8_t* in, std::uint8_t* out, std::uint8_t* extra, std::uint8_t* alpha,
             const GammaTable& g, int first, int step, std::size_t pixels, bool wide, bool hasAlpha)
{
    std::size_t inStep = std::size_t(wide ? 2 : 1) * (hasAlpha ? 4 : 3);
    std::size_t s = wide ? 2 : 1;
    std::uint8_t* o = out + std::size_t(first) * 3;
    std::size_t outStep = std::size_t(step) * 3;
    for (std::size_t k = 0; k < pixels; ++k, in += inStep, o += outStep) {
        o[0] = g[in[2 * s]];
        o[1] = g[in[s]];
        o[2] = g[in[0]];
        std::size_t x = std::size_t(first) + k * std::size_t(step);
        if (wide) {
            std::uint8_t* e = extra + x * 3;
            e[0] = g[in[5]];
            e[1] = g[in[3]];
            e[2] = g[in[1]];
        }
        if (hasAlpha)
            alpha[x] = in[3 * s];
    }
}

void CopyGray(const std::uint8_t* in, std::uint8_t* out, std::uint8_t* extra, std::uint8_t* alpha,
              int first, int step, std::size_t pixels, bool wide, bool hasAlpha)
{
    std::size_t s = wide ? 2 : 1;
    std::size_t inStep = s * (hasAlpha ? 2 : 1);
    for (std::size_t k = 0; k < pixels; ++k, in += inStep) {
        std::size_t x = std::size_t(first) + k * std::size_t(step);
        out[x] = in[0];
        if (wide)
            extra[x] = in[1];
        if (hasAlpha)
            alpha[x] = in[s];
    }
}

}  // namespace

void CopyRowToImage(RowFormat format, TChunkIHDR& image, const GammaTable& gamma,
                    const std::uint8_t* scanline, int y, int first, int step, std::size_t pixels)
{
    std::uint8_t* out = image.Scanline(y);
    std::uint8_t* extra = image.ExtraScanline(y);
    std::uint8_t* alpha = image.AlphaScanline(y);
    int depth = image.IHDRData.BitDepth;
    switch (format) {
    case RowFormat::RGB8: CopyRGB(scanline, out, extra, alpha, gamma, first, step, pixels, false, false); break;
    case RowFormat::RGB16: CopyRGB(scanline, out, extra, alpha, gamma, first, step, pixels, true, false); break;
    case RowFormat::RGBAlpha8: CopyRGB(scanline, out, extra, alpha, gamma, first, step, pixels, false, true); break;
    case RowFormat::RGBAlpha16: CopyRGB(scanline, out, extra, alpha, gamma, first, step, pixels, true, true); break;
    case RowFormat::Grayscale16: CopyGray(scanline, out, extra, alpha, first, step, pixels, true, false); break;
    case RowFormat::GrayscaleAlpha8: CopyGray(scanline, out, extra, alpha, first, step, pixels, false, true); break;
    case RowFormat::GrayscaleAlpha16: CopyGray(scanline, out, extra, alpha, first, step, pixels, true, true); break;
    case RowFormat::Palette148:
        if (step == 1 && first == 0) {
            std::memcpy(out, scanline, (pixels * std::size_t(depth) + 7) / 8);
            break;
        }
        if (depth == 8) {
            for (std::size_t k = 0; k < pixels; ++k)
                out[std::size_t(first) + k * std::size_t(step)] = scanline[k];
            break;
        }
        for (std::size_t k = 0; k < pixels; ++k)
            OrPackedIndex(out, std::size_t(first) + k * std::size_t(step), depth, PackedIndex(scanline, k, depth));
        break;
    case RowFormat::Palette2:
    case RowFormat::Gray2: {
        unsigned scale = format == RowFormat::Gray2 ? 5 : 1;
        for (std::size_t k = 0; k < pixels; ++k)
            OrPackedIndex(out, std::size_t(first) + k * std::size_t(step), 4, PackedIndex(scanline, k, 2) * scale);
        break;
    }
    }
}

}  // namespace tessolo
