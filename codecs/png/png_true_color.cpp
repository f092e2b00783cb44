#include "codecs/png/png_true_color.h"

#include "codecs/png/png_idat.h"
#include "codecs/png/png_stream.h"
#include "codecs/png/pngimage.h"

namespace tessolo {

namespace {

constexpr TChunkName kIhdrName = {'I', 'H', 'D', 'R'};
constexpr TChunkName kIendName = {'I', 'E', 'N', 'D'};

bool HasAlphaBytes(const Bitmap& sheet) { return sheet.HasAlpha && sheet.Format() == PixelFormat::Bits32; }

}  // namespace

bool IsTrueColorSheet(const Bitmap& sheet)
{
    const bool trueColor = sheet.Format() == PixelFormat::Bits24 || sheet.Format() == PixelFormat::Bits32;
    return trueColor && (!sheet.Transparent || HasAlphaBytes(sheet));
}

void WriteTrueColorPng(const Bitmap& sheet, int level, bool interlaced, const ByteSink& write)
{
    const bool alpha = HasAlphaBytes(sheet);
    const std::size_t bytesPerPixel = std::size_t(BitsPerPixel(sheet.Format()) / 8);
    TIHDRData header;
    header.Width = std::uint32_t(sheet.Width());
    header.Height = std::uint32_t(sheet.Height());
    header.BitDepth = 8;
    header.ColorType = std::uint8_t(alpha ? kColorRGBAlpha : kColorRGB);
    header.InterlaceMethod = interlaced ? 1 : 0;

    Bytes file(kPngSignature, kPngSignature + 8);
    std::uint8_t ihdr[13] = {};
    PutBigEndian32(ihdr, header.Width);
    PutBigEndian32(ihdr + 4, header.Height);
    ihdr[8] = header.BitDepth;
    ihdr[9] = header.ColorType;
    ihdr[12] = header.InterlaceMethod;
    WriteChunk(file, kIhdrName, ihdr, sizeof ihdr);
    write(file);
    // Rows are blue, green, red (and alpha): the file wants red first.
    auto row = [&](std::uint8_t* out, int y, int first, int step, std::size_t pixels) {
        const std::uint8_t* in = sheet.ScanLine(y);
        for (std::size_t k = 0; k < pixels; ++k) {
            const std::uint8_t* pixel = in + (std::size_t(first) + k * std::size_t(step)) * bytesPerPixel;
            *out++ = pixel[2];
            *out++ = pixel[1];
            *out++ = pixel[0];
            if (alpha)
                *out++ = pixel[3];
        }
    };
    WriteIdatChunks({header, FilterSet(pfSub), level, kDefaultMaxIdatSize, interlaced, row}, write);
    file.clear();
    WriteChunk(file, kIendName, nullptr, 0);
    write(file);
}

}  // namespace tessolo
