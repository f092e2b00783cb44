// GIF sheets whose 256 colours the quantiser chooses for the sheet, rather
// than the fixed web palette.
#pragma once

#include "platform/bitmap.h"

namespace tessolo {

// The sheet as an 8-bit palette bitmap of at most 256 colours chosen by the
// quantiser, which the GIF encoder takes index for index. A sheet with alpha
// is blended over white first, as GIF sheets always are; its fully
// transparent pixels get a colour of their own, set as the bitmap's
// transparent colour, and the others at most 254 colours, so that the
// encoder has room to mark them. Throws Error when the quantiser fails.
Bitmap QuantizedGifSheet(const Bitmap& sheet);

}  // namespace tessolo
