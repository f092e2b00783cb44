#include "codecs/png/pngimage.h"

#include <cstring>

namespace tessolo {

void TPNGObject::Assign(const Bitmap& source)
{
    AssignHandle(source, source.Transparent, source.TransparentColor);
}

void TPNGObject::AssignHandle(const Bitmap& source, bool transparent, ColorRef transparentColor)
{
    int bits = BitsPerPixel(source.Format());
    bool palette = bits < 16;
    bool alpha = source.HasAlpha && source.Format() == PixelFormat::Bits32;
    ClearChunks();

    auto header = NewChunk<TChunkIHDR>(*this);
    header->IHDRData.Width = std::uint32_t(source.Width());
    header->IHDRData.Height = std::uint32_t(source.Height());
    header->IHDRData.ColorType = std::uint8_t(palette ? kColorPalette : alpha ? kColorRGBAlpha : kColorRGB);
    header->IHDRData.BitDepth = std::uint8_t(palette ? bits : 8);
    header->PrepareImageData();
    TChunkIHDR& image = static_cast<TChunkIHDR&>(Chunks.Append(std::move(header)));

    if (palette) {
        std::size_t bytes = RowBytes(source.Width(), source.Format());
        for (int y = 0; y < source.Height(); ++y)
            std::memcpy(image.Scanline(y), source.ScanLine(y), bytes);
        std::vector<ColorRef> colors(std::size_t(1) << bits, kBlack);
        std::copy(source.Palette().begin(), source.Palette().end(), colors.begin());
        image.PaletteToDIB(colors);
    } else if (alpha) {
        for (int y = 0; y < source.Height(); ++y) {
            const std::uint8_t* in = source.ScanLine(y);
            std::uint8_t* bgr = image.Scanline(y);
            std::uint8_t* alphaRow = image.AlphaScanline(y);
            for (int x = 0; x < source.Width(); ++x, in += 4, bgr += 3) {
                std::memcpy(bgr, in, 3);
                alphaRow[x] = in[3];
            }
        }
    } else if (source.Format() == PixelFormat::Bits24) {
        for (int y = 0; y < source.Height(); ++y)
            std::memcpy(image.Scanline(y), source.ScanLine(y), 3 * std::size_t(source.Width()));
    } else {
        for (int y = 0; y < source.Height(); ++y) {
            std::uint8_t* bgr = image.Scanline(y);
            for (int x = 0; x < source.Width(); ++x, bgr += 3) {
                ColorRef c = source.Pixel(x, y);
                bgr[0] = BlueOf(c);
                bgr[1] = GreenOf(c);
                bgr[2] = RedOf(c);
            }
        }
    }

    if (palette)
        Chunks.Append(MakeChunk<TChunkPLTE>(*this));
    // Alpha planes carry their own transparency: a colour key would clash.
    transparent = transparent && !alpha;
    if (transparent)
        Chunks.Append(MakeChunk<TChunktRNS>(*this));
    Chunks.Append(MakeChunk<TChunkIDAT>(*this));
    Chunks.Append(MakeChunk<TChunkIEND>(*this));

    if (palette) {
        Chunks.FindChunk<TChunkPLTE>()->SetCount(1 << bits);
        DoSetPalette(std::vector<ColorRef>(image.ColorTable.begin(), image.ColorTable.begin() + (1 << bits)), false);
    }
    if (transparent)
        SetTransparentColor(transparentColor);
}

}  // namespace tessolo
