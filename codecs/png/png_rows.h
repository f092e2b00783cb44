// Conversion between PNG scanlines (samples in file order) and the rows of
// the in-memory image, for every storage class. A row of `pixels` pixels
// maps to image columns first, first + step, ...; a whole row uses 0 and 1.
#pragma once

#include "codecs/png/png_gamma.h"
#include "codecs/png/png_ihdr.h"

#include <cstddef>
#include <cstdint>

namespace tessolo {

enum class RowFormat {
    RGB8,              // type 2, depth 8
    RGB16,             // type 2, depth 16
    RGBAlpha8,         // type 6, depth 8
    RGBAlpha16,        // type 6, depth 16
    Palette148,        // types 0 and 3, depths 1, 4, 8: samples kept as they are
    Palette2,          // type 3, depth 2: indices widened to 4 bits
    Gray2,             // type 0, depth 2: sample s stored as 5 * s in 4 bits
    Grayscale16,       // type 0, depth 16
    GrayscaleAlpha8,   // type 4, depth 8
    GrayscaleAlpha16,  // type 4, depth 16
};

// The storage class of a header the image could be prepared for.
RowFormat RowFormatOf(const TIHDRData& header);

// Places one unfiltered scanline into image row `y`. Packed samples are ORed
// into place, so the row must start zeroed.
void CopyRowToImage(RowFormat format, TChunkIHDR& image, const GammaTable& gamma,
                    const std::uint8_t* scanline, int y, int first, int step, std::size_t pixels);

// Builds the scanline of image row `y` for writing. RGB values pass through
// `inverse`; 16-bit samples get the stored byte as high byte and 0 as low.
void EncodeRowFromImage(RowFormat format, const TChunkIHDR& image, const GammaTable& inverse,
                        std::uint8_t* scanline, int y, int first, int step, std::size_t pixels);

}  // namespace tessolo
