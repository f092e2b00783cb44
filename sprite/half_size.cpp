#include "sprite/half_size.h"

#include "platform/error.h"

#include <cstdint>

namespace tessolo {

namespace {

// Sum of one byte of the four pixels of a block: `top` and `bottom` point at
// the block's left pixels, `step` bytes apart from their right neighbours.
unsigned BlockSum(const std::uint8_t* top, const std::uint8_t* bottom, int step)
{
    return unsigned(top[0]) + top[step] + bottom[0] + bottom[step];
}

void HalveOpaqueRow(const std::uint8_t* top, const std::uint8_t* bottom, std::uint8_t* out,
                    int outWidth)
{
    for (int x = 0; x < outWidth; ++x, top += 6, bottom += 6, out += 3)
        for (int c = 0; c < 3; ++c)
            out[c] = std::uint8_t((BlockSum(top + c, bottom + c, 3) + 2) / 4);
}

void HalveAlphaRow(const std::uint8_t* top, const std::uint8_t* bottom, std::uint8_t* out,
                   int outWidth)
{
    for (int x = 0; x < outWidth; ++x, top += 8, bottom += 8, out += 4) {
        const std::uint8_t* pixels[4] = {top, top + 4, bottom, bottom + 4};
        unsigned alpha = 0;
        unsigned weighted[3] = {0, 0, 0};
        for (const std::uint8_t* p : pixels) {
            alpha += p[3];
            for (int c = 0; c < 3; ++c)
                weighted[c] += unsigned(p[c]) * p[3];
        }
        for (int c = 0; c < 3; ++c)
            out[c] = alpha == 0 ? 0 : std::uint8_t((weighted[c] + alpha / 2) / alpha);
        out[3] = std::uint8_t((alpha + 2) / 4);
    }
}

}  // namespace

Bitmap HalfSize(const Bitmap& sheet)
{
    bool alpha = sheet.Format() == PixelFormat::Bits32 && sheet.HasAlpha;
    if (!alpha && sheet.Format() != PixelFormat::Bits24)
        throw Error("Only 24-bit sheets and sheets with alpha can be halved");
    if (sheet.Width() % 2 != 0 || sheet.Height() % 2 != 0)
        throw Error("Only a sheet of even width and height can be halved");
    Bitmap half(sheet.Width() / 2, sheet.Height() / 2, sheet.Format());
    half.HasAlpha = alpha;
    for (int y = 0; y < half.Height(); ++y) {
        const std::uint8_t* top = sheet.ScanLine(2 * y);
        const std::uint8_t* bottom = sheet.ScanLine(2 * y + 1);
        if (alpha)
            HalveAlphaRow(top, bottom, half.ScanLine(y), half.Width());
        else
            HalveOpaqueRow(top, bottom, half.ScanLine(y), half.Width());
    }
    return half;
}

}  // namespace tessolo
