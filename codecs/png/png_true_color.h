// PNG files of true-colour sheets written straight from the sheet's rows,
// chunk by chunk: the same bytes as assigning the sheet to a TPNGObject and
// saving it, with no second copy of the image and no whole file held.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"

namespace tessolo {

// Whether WriteTrueColorPng writes `sheet`: 24 or 32 bits a pixel, and no
// colour key unless it has alpha (a key is written as a tRNS chunk).
bool IsTrueColorSheet(const Bitmap& sheet);

// Hands `write` an RGB file, or RGB + alpha when the sheet has alpha, with
// rows filtered by Sub and deflated at zlib `level` (0..9).
void WriteTrueColorPng(const Bitmap& sheet, int level, bool interlaced, const ByteSink& write);

}  // namespace tessolo
