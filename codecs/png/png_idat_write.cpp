#include "codecs/png/png_filters.h"
#include "codecs/png/png_rows.h"
#include "codecs/png/pngimage.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <vector>

namespace tessolo {

namespace {

constexpr TChunkName kIdatName = {'I', 'D', 'A', 'T'};

// Deflates the image into IDAT chunks of maxIdatSize data bytes (the last
// one shorter), filtering each row with the filter FilterToEncode picks.
class IdatEncoder {
public:
    IdatEncoder(const IdatWriting& writing, const ByteSink& write)
        : writing_(writing), write_(write), data_(writing.header),
          output_(std::size_t(writing.maxIdatSize))
    {
        // A depth of 2 is held and written as 4: rows follow the raster.
        if (data_.BitDepth == 2)
            data_.BitDepth = 4;
        offset_ = PixelOffsetFor(data_.ColorType, data_.BitDepth);
        std::size_t rowBytes = RowBytesFor(data_.ColorType, data_.BitDepth, std::size_t(data_.Width));
        // Every buffer keeps one leading byte for the filter type, so a
        // chosen row goes to the compressor in one piece.
        buffers_[kPrevious].assign(rowBytes + 1, 0);
        buffers_[kRaw].assign(rowBytes + 1, 0);
        for (int f = pfSub; f <= pfPaeth; ++f)
            if (Contains(writing.filters, TFilter(f)))
                buffers_[std::size_t(f)].assign(rowBytes + 1, 0);
        deflateInit(&z_, std::clamp(writing.compressionLevel, 0, 9));
        z_.next_out = output_.data();
        z_.avail_out = uInt(output_.size());
    }
    ~IdatEncoder() { deflateEnd(&z_); }
    IdatEncoder(const IdatEncoder&) = delete;
    IdatEncoder& operator=(const IdatEncoder&) = delete;

    void EncodeNonInterlaced()
    {
        std::size_t rowBytes = RowBytesFor(data_.ColorType, data_.BitDepth, std::size_t(data_.Width));
        for (int y = 0; y < int(data_.Height); ++y) {
            writing_.row(buffers_[kRaw].data() + 1, y, 0, 1, std::size_t(data_.Width));
            WriteRow(rowBytes);
        }
        FinishIDATZlib();
    }

    void EncodeInterlacedAdam7()
    {
        for (const Adam7Pass& pass : kAdam7) {
            std::size_t columns = PassColumns(pass, int(data_.Width));
            std::size_t rowBytes = RowBytesFor(data_.ColorType, data_.BitDepth, columns);
            std::fill(buffers_[kPrevious].begin(), buffers_[kPrevious].end(), 0);
            if (rowBytes == 0)
                continue;
            for (int y = pass.firstRow; y < int(data_.Height); y += pass.rowStep) {
                writing_.row(buffers_[kRaw].data() + 1, y, pass.firstColumn, pass.columnStep, columns);
                WriteRow(rowBytes);
            }
        }
        FinishIDATZlib();
    }

private:
    static constexpr std::size_t kPrevious = 0;  // previous raw row; also the None output
    static constexpr std::size_t kRaw = 5;       // current raw row

    void WriteRow(std::size_t rowBytes)
    {
        TFilter filter = FilterToEncode(rowBytes);
        std::vector<std::uint8_t>& chosen = buffers_[filter == pfNone ? kPrevious : std::size_t(filter)];
        chosen[0] = filter;
        IDATZlibWrite(chosen.data(), rowBytes + 1);
    }

    TFilter FilterToEncode(std::size_t rowBytes)
    {
        const std::uint8_t* raw = buffers_[kRaw].data() + 1;
        const std::uint8_t* previous = buffers_[kPrevious].data() + 1;
        TFilters filters = writing_.filters & kAllFilters;
        for (int f = pfSub; f <= pfPaeth; ++f)
            if (Contains(filters, TFilter(f)))
                ApplyFilter(TFilter(f), raw, previous, buffers_[std::size_t(f)].data() + 1, rowBytes, offset_);
        std::copy(raw, raw + rowBytes, buffers_[kPrevious].data() + 1);
        if (filters == 0 || filters == FilterSet(pfNone))
            return pfNone;
        TFilter result = pfNone;
        int best = 0;
        for (int f = pfNone; f <= pfPaeth; ++f) {
            if (!Contains(filters, TFilter(f)))
                continue;
            if (filters == FilterSet(TFilter(f)))
                return TFilter(f);
            int score = FilterScore(buffers_[std::size_t(f)].data() + 1, rowBytes);
            if (score > best) {
                result = TFilter(f);
                best = score;
            }
        }
        return result;
    }

    void IDATZlibWrite(const std::uint8_t* data, std::size_t size)
    {
        z_.next_in = const_cast<Bytef*>(data);
        z_.avail_in = uInt(size);
        while (z_.avail_in > 0) {
            deflate(&z_, Z_NO_FLUSH);
            if (z_.avail_out == 0)
                FlushOutput();
        }
    }

    void FinishIDATZlib()
    {
        for (;;) {
            int result = deflate(&z_, Z_FINISH);
            if (result == Z_STREAM_END)
                break;
            if (result != Z_OK)
                throw Error("Could not compress the image data: " + ZlibResultText(result));
            FlushOutput();
        }
        FlushOutput();
    }

    // Writes what the output buffer holds as one IDAT chunk.
    void FlushOutput()
    {
        std::size_t produced = output_.size() - z_.avail_out;
        if (produced > 0) {
            chunk_.clear();
            WriteChunk(chunk_, kIdatName, output_.data(), std::uint32_t(produced));
            write_(chunk_);
        }
        z_.next_out = output_.data();
        z_.avail_out = uInt(output_.size());
    }

    const IdatWriting& writing_;
    const ByteSink& write_;
    Bytes chunk_;  // the chunk being written
    TIHDRData data_;
    int offset_ = 1;
    std::array<std::vector<std::uint8_t>, 6> buffers_;
    std::vector<std::uint8_t> output_;
    z_stream z_{};
};

}  // namespace

void WriteIdatChunks(const IdatWriting& writing, const ByteSink& write)
{
    IdatEncoder encoder(writing, write);
    if (writing.interlaced)
        encoder.EncodeInterlacedAdam7();
    else
        encoder.EncodeNonInterlaced();
}

bool TChunkIDAT::SaveToStream(Bytes& stream)
{
    const TPNGObject& png = Owner();
    const TChunkIHDR& image = png.Header();
    TIHDRData header = image.IHDRData;
    // The header is written first and turns a depth of 2 into 4; follow it
    // here too, so rows match the raster even when it was not.
    if (header.BitDepth == 2)
        header.BitDepth = 4;
    const RowFormat format = RowFormatOf(header);
    const IdatWriting writing{
        header, png.Filters, png.CompressionLevel, png.MaxIdatSize(),
        png.InterlaceMethod == TInterlaceMethod::imAdam7,
        [&](std::uint8_t* scanline, int y, int first, int step, std::size_t pixels) {
            EncodeRowFromImage(format, image, png.InverseGamma, scanline, y, first, step, pixels);
        }};
    WriteIdatChunks(writing, [&stream](std::span<const std::uint8_t> chunk) {
        stream.insert(stream.end(), chunk.begin(), chunk.end());
    });
    return true;
}

}  // namespace tessolo
