// The fixed palettes the colour reductions choose from, and the web palette
// lookups use. Palettes are lists of colour values; entry order is index order.
#pragma once

#include "platform/bitmap.h"

#include <vector>

namespace tessolo {

// Our default 20-colour palette: black, the six half-intensity colours,
// light grey and two dark greys (32, 64); then greys 224, 160 and 128, the
// six full colours and white. Its first ten and last ten entries frame the quantised
// colours of rmQuantizeWindows, so black stays first and white last.
const std::vector<ColorRef>& DefaultPalette20();

// The halftone palette: the 6 x 6 x 6 colour cube with 40 greys between
// its levels (Palette256() of the platform bitmap).
const std::vector<ColorRef>& HalftonePalette();

// Four greys: 0, 128, 192, 255.
const std::vector<ColorRef>& GrayPalette4();

// The 216 web colours: entry i * 36 + j * 6 + k is (51 i, 51 j, 51 k).
const std::vector<ColorRef>& WebPalette();

}  // namespace tessolo
