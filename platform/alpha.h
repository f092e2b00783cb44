// Straight alpha on bitmaps: the one blend rule, flattening over white for
// sheets without transparency, and fully transparent bitmaps to draw on.
#pragma once

#include "platform/bitmap.h"

#include <cstdint>

namespace tessolo {

// One channel of `source` at alpha `a` over `backdrop`:
// (a * source + (255 - a) * backdrop + 255) div 256. Alpha 255 gives the
// source and alpha 0 the backdrop exactly.
constexpr std::uint8_t BlendChannel(unsigned a, unsigned source, unsigned backdrop)
{
    return std::uint8_t((a * source + (255 - a) * backdrop + 255) >> 8);
}

// The alpha of pixel x of a row of a 32-bit bitmap.
inline std::uint8_t AlphaAt(const std::uint8_t* row, int x) { return row[4 * x + 3]; }

// A 32-bit bitmap with alpha whose every pixel is white and fully transparent.
Bitmap TransparentBitmap(int width, int height);

// Replaces a bitmap with alpha by a 24-bit bitmap of it blended over white;
// a bitmap without alpha is left as it is.
void FlattenOverWhite(Bitmap& bitmap);
// Writes a bitmap with alpha blended over white to `flat`, a 24-bit bitmap
// that keeps its storage when it already has that size.
void FlattenOverWhite(const Bitmap& bitmap, Bitmap& flat);

}  // namespace tessolo
