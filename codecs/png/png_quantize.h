// The lossy palette of a PNG sheet: at most a given number of colours, alpha
// included, chosen by a quantiser so that the picture changes as little as
// it can; the optimised encoder then writes it with a palette.
#pragma once

#include "platform/bitmap.h"

namespace tessolo {

inline constexpr int kMinPaletteColors = 2;
inline constexpr int kMaxPaletteColors = 256;

// The sheet with at most `colors` colours (brought into 2-256), alpha kept
// where it has alpha; `dither` spreads each pixel's error to its neighbours
// (Floyd-Steinberg). Throws Error when the quantiser fails.
Bitmap QuantizedSheet(const Bitmap& sheet, int colors, bool dither);

}  // namespace tessolo
