// The optimised sheet encoder: the pixels of the default encoder's file in
// the smallest file we can make, but for the colour of fully transparent
// pixels, which is free. The forms that hold the sheet exactly (see
// SheetFormCandidates), each with every way of filtering its rows, are
// compressed in parallel and the smallest is kept, its image data
// compressed again by the smaller of zlib's and libdeflate's strongest
// levels (by zopfli when exhaustive). The chunks are those the default
// encoder writes: IHDR, PLTE and tRNS when the form needs them, IDAT, IEND;
// but the image data is in one IDAT chunk rather than pieces of 65 535 bytes.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"

namespace tessolo {

struct OptimizedPngOptions {
    bool interlaced = false;  // Adam7
    bool exhaustive = false;  // zopfli as well: some percent smaller, far slower
    bool keepPalette = false; // a sheet that a palette holds is written with one
};

// Encodes a Bits24 sheet, or a Bits32 one whose fourth byte is straight
// alpha when HasAlpha is set (other formats are read as opaque colours).
// A sheet without pixels has no PNG form: nothing is written. Sheets of more
// than 64 MiB of 32-bit pixels are written in pieces as they are made
// (without interlacing, and not exhaustive), with an IDAT chunk for each
// 4 MiB of image data. Between pieces of its work it passes `write` no
// bytes, so that the caller can stop it by throwing.
void WriteOptimizedPng(const Bitmap& sheet, const OptimizedPngOptions& options, const ByteSink& write);
Bytes EncodeOptimizedPng(const Bitmap& sheet, const OptimizedPngOptions& options = {});

}  // namespace tessolo
