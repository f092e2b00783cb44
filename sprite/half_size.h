// The half-size copy of a sheet drawn for high-density screens.
#pragma once

#include "platform/bitmap.h"

namespace tessolo {

// A bitmap of half the width and height of `sheet` (both even), each pixel
// the average of its 2 x 2 block, rounded to nearest. A sheet with alpha
// averages its colours weighted by alpha, so fully transparent pixels lend
// no colour to their neighbours; a block without any alpha is (0, 0, 0, 0).
// `sheet` is Bits24, or Bits32 with HasAlpha.
Bitmap HalfSize(const Bitmap& sheet);

}  // namespace tessolo
