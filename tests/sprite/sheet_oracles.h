// Independent readers for the sheets and sources of the transparency tests:
// libpng and giflib decode to 8-bit straight RGBA.
#pragma once

#include "support/reference_decoders.h"

namespace tessolo::test {

// The first frame of a GIF on its screen; its transparent index and the
// screen it leaves uncovered have alpha 0 when it has a transparent index.
Rgba ReadGif(const Bytes& file);
// The transparent index of the first frame's graphic control, or -1.
int GifTransparentIndex(const Bytes& file);

}  // namespace tessolo::test
