// The smaller copies of a sheet drawn for dense screens.
#pragma once

#include "platform/bitmap.h"

#include <cstdint>

namespace tessolo {

// `sheet`, drawn at `from` device pixels per CSS pixel, reduced to `to`
// (1 <= to < from): both sides times to / from, which must be whole. Each
// pixel is the area average of the part of `sheet` it covers, rounded to
// nearest: where from / to is whole, the plain box filter of its block
// (the average of 2 x 2 pixels for 2 to 1); otherwise pixels on the edge of
// its area count by the share they cover (3 to 2: each pixel covers 1.5 x
// 1.5 pixels). Places that are multiples of `from` stay apart, so images
// never bleed into each other. A sheet with alpha averages its colours
// weighted by alpha, so fully transparent pixels lend no colour to their
// neighbours; an area without any alpha is (0, 0, 0, 0). `sheet` is Bits24,
// or Bits32 with HasAlpha.
Bitmap ReducedSheet(const Bitmap& sheet, std::int32_t from, std::int32_t to);

}  // namespace tessolo
