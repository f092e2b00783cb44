// The image data chunk. Reading inflates the whole run of consecutive IDAT
// chunks into the header's image; writing deflates the image into as many
// IDAT chunks as the compressed stream needs.
#pragma once

#include "codecs/png/png_chunk.h"
#include "codecs/png/png_ihdr.h"
#include "codecs/png/png_types.h"

#include <functional>

namespace tessolo {

class TChunkIDAT : public TChunkOf<TChunkIDAT, "IDAT"> {
public:
    using TChunkOf::TChunkOf;

    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;
};

// What the image data of one image is written from: its header values, the
// encoder's settings and its rows.
struct IdatWriting {
    TIHDRData header;  // width, height, colour type and depth
    TFilters filters;
    int compressionLevel;  // zlib level 0..9
    int maxIdatSize;       // data bytes of each IDAT chunk but the last
    bool interlaced;       // Adam7
    // Writes the unfiltered samples of image row `y`, columns first,
    // first + step, ... (`pixels` of them), to `scanline`.
    std::function<void(std::uint8_t* scanline, int y, int first, int step, std::size_t pixels)> row;
};

// Filters and deflates the image data and hands `write` each IDAT chunk.
void WriteIdatChunks(const IdatWriting& writing, const ByteSink& write);

// Bytes of a filtered row of `pixels` pixels, without the filter-type byte.
std::size_t RowBytesFor(int colorType, int bitDepth, std::size_t pixels);
// Bytes per complete pixel for the filters; at least 1.
int PixelOffsetFor(int colorType, int bitDepth);

// The seven passes of Adam7 interlacing.
struct Adam7Pass {
    int firstRow, firstColumn, rowStep, columnStep;
};
constexpr Adam7Pass kAdam7[7] = {
    {0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4}, {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1},
};
// An image without interlacing, as one pass of every row and column.
constexpr Adam7Pass kWholeImage = {0, 0, 1, 1};
inline std::size_t PassColumns(const Adam7Pass& pass, int width)
{
    return width > pass.firstColumn
               ? std::size_t(width - pass.firstColumn + pass.columnStep - 1) / std::size_t(pass.columnStep)
               : 0;
}

}  // namespace tessolo
