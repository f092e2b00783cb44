// The optimised sheet encoder: the pixels of the default encoder's file in
// the smallest file we can make. The sheet is written in the smallest form
// that holds it exactly (see ChooseSheetForm), rows of whole-byte samples
// are filtered adaptively, and the image data is compressed by libdeflate.
// The chunks are those the default encoder writes: IHDR,
// PLTE and tRNS when the form needs them, IDAT in pieces of 65 535 bytes,
// IEND.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"

namespace tessolo {

// Encodes a Bits24 sheet, or a Bits32 one whose fourth byte is straight
// alpha when HasAlpha is set (other formats are read as opaque colours).
// A sheet without pixels has no PNG form: the result is empty.
Bytes EncodeOptimizedPng(const Bitmap& sheet, bool interlaced);

}  // namespace tessolo
