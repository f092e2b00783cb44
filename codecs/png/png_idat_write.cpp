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

// Deflates the image into IDAT chunks of MaxIdatSize data bytes (the last
// one shorter), filtering each row with the filter FilterToEncode picks.
class IdatEncoder {
public:
    IdatEncoder(const TPNGObject& png, Bytes& stream)
        : png_(png), header_(png.Header()), stream_(stream), data_(header_.IHDRData),
          output_(std::size_t(png.MaxIdatSize()))
    {
        // The header is written first and turns a depth of 2 into 4; follow
        // it here too, so rows match the raster even when it was not.
        if (data_.BitDepth == 2)
            data_.BitDepth = 4;
        format_ = RowFormatOf(data_);
        offset_ = PixelOffsetFor(data_.ColorType, data_.BitDepth);
        std::size_t rowBytes = RowBytesFor(data_.ColorType, data_.BitDepth, std::size_t(header_.Width()));
        // Every buffer keeps one leading byte for the filter type, so a
        // chosen row goes to the compressor in one piece.
        buffers_[kPrevious].assign(rowBytes + 1, 0);
        buffers_[kRaw].assign(rowBytes + 1, 0);
        for (int f = pfSub; f <= pfPaeth; ++f)
            if (Contains(png.Filters, TFilter(f)))
                buffers_[std::size_t(f)].assign(rowBytes + 1, 0);
        deflateInit(&z_, std::clamp(png.CompressionLevel, 0, 9));
        z_.next_out = output_.data();
        z_.avail_out = uInt(output_.size());
    }
    ~IdatEncoder() { deflateEnd(&z_); }
    IdatEncoder(const IdatEncoder&) = delete;
    IdatEncoder& operator=(const IdatEncoder&) = delete;

    void EncodeNonInterlaced()
    {
        std::size_t rowBytes = RowBytesFor(data_.ColorType, data_.BitDepth, std::size_t(header_.Width()));
        for (int y = 0; y < header_.Height(); ++y) {
            EncodeRowFromImage(format_, header_, png_.InverseGamma, buffers_[kRaw].data() + 1, y, 0, 1,
                               std::size_t(header_.Width()));
            WriteRow(rowBytes);
        }
        FinishIDATZlib();
    }

    void EncodeInterlacedAdam7()
    {
        for (const Adam7Pass& pass : kAdam7) {
            std::size_t columns = PassColumns(pass, header_.Width());
            std::size_t rowBytes = RowBytesFor(data_.ColorType, data_.BitDepth, columns);
            std::fill(buffers_[kPrevious].begin(), buffers_[kPrevious].end(), 0);
            if (rowBytes == 0)
                continue;
            for (int y = pass.firstRow; y < header_.Height(); y += pass.rowStep) {
                EncodeRowFromImage(format_, header_, png_.InverseGamma, buffers_[kRaw].data() + 1, y,
                                   pass.firstColumn, pass.columnStep, columns);
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
        TFilters filters = png_.Filters & kAllFilters;
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
        if (produced > 0)
            WriteChunk(stream_, kIdatName, output_.data(), std::uint32_t(produced));
        z_.next_out = output_.data();
        z_.avail_out = uInt(output_.size());
    }

    const TPNGObject& png_;
    const TChunkIHDR& header_;
    Bytes& stream_;
    TIHDRData data_;
    RowFormat format_;
    int offset_ = 1;
    std::array<std::vector<std::uint8_t>, 6> buffers_;
    std::vector<std::uint8_t> output_;
    z_stream z_{};
};

}  // namespace

bool TChunkIDAT::SaveToStream(Bytes& stream)
{
    IdatEncoder encoder(Owner(), stream);
    if (Owner().InterlaceMethod == TInterlaceMethod::imAdam7)
        encoder.EncodeInterlacedAdam7();
    else
        encoder.EncodeNonInterlaced();
    return true;
}

}  // namespace tessolo
