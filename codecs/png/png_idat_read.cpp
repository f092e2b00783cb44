#include "codecs/png/png_crc.h"
#include "codecs/png/png_filters.h"
#include "codecs/png/png_rows.h"
#include "codecs/png/pngimage.h"

#include <zlib.h>

#include <cstring>
#include <utility>
#include <vector>

namespace tessolo {

std::size_t RowBytesFor(int colorType, int bitDepth, std::size_t pixels)
{
    std::size_t depth = std::size_t(bitDepth);
    switch (colorType) {
    case kColorRGB: return pixels * depth * 3 / 8;
    case kColorGrayscaleAlpha: return pixels * depth * 2 / 8;
    case kColorRGBAlpha: return pixels * depth * 4 / 8;
    default: return (pixels * depth + 7) / 8;
    }
}

int PixelOffsetFor(int colorType, int bitDepth)
{
    switch (colorType) {
    case kColorRGB: return bitDepth * 3 / 8;
    case kColorGrayscaleAlpha: return bitDepth / 4;
    case kColorRGBAlpha: return bitDepth / 2;
    default: return bitDepth == 16 ? 2 : 1;
    }
}

namespace {

// Size of the buffer compressed data is read into.
constexpr std::size_t kInputSize = 65535;

// Inflates the run of IDAT chunks that starts at the stream's position into
// the header's image, checking the CRC of every chunk of the run.
class IdatDecoder {
public:
    IdatDecoder(PngReader& stream, TChunkIHDR& header, const GammaTable& gamma, const TChunkName& name,
                std::uint32_t size)
        : stream_(stream), header_(header), gamma_(gamma), format_(RowFormatOf(header.IHDRData)),
          input_(kInputSize)
    {
        crc_ = UpdateCrc(kCrcStart, reinterpret_cast<const std::uint8_t*>(name.data()), 4);
        endOfData_ = stream.Position() + size;
        if (inflateInit(&z_) != Z_OK)
            throw EPNGZLIBError(Z_MEM_ERROR);
        int type = header.IHDRData.ColorType, depth = header.IHDRData.BitDepth;
        offset_ = PixelOffsetFor(type, depth);
        std::size_t rowBytes = RowBytesFor(type, depth, std::size_t(header.Width()));
        current_.assign(rowBytes + 1, 0);
        previous_.assign(rowBytes + 1, 0);
    }
    ~IdatDecoder() { inflateEnd(&z_); }
    IdatDecoder(const IdatDecoder&) = delete;
    IdatDecoder& operator=(const IdatDecoder&) = delete;

    void DecodeNonInterlaced()
    {
        std::size_t rowBytes = RowBytesFor(header_.IHDRData.ColorType, header_.IHDRData.BitDepth,
                                           std::size_t(header_.Width()));
        const std::function<void(int)>& taken = header_.Owner().RowDecoded;
        bool reading = true;
        for (int y = 0; y < header_.Height(); ++y) {
            if (taken)
                header_.ClearSharedRow();
            reading = reading && ReadRow(rowBytes);
            // Rows the data falls short of stay zero, as in a whole image.
            if (reading)
                CopyRowToImage(format_, header_, gamma_, current_.data() + 1, y, 0, 1,
                               std::size_t(header_.Width()));
            else if (!taken)
                return;
            if (taken)
                taken(y);
            std::swap(current_, previous_);
        }
    }

    void DecodeInterlacedAdam7()
    {
        for (const Adam7Pass& pass : kAdam7) {
            std::size_t columns = PassColumns(pass, header_.Width());
            std::size_t rowBytes = RowBytesFor(header_.IHDRData.ColorType, header_.IHDRData.BitDepth, columns);
            std::fill(previous_.begin(), previous_.end(), 0);
            if (rowBytes == 0)
                continue;
            for (int y = pass.firstRow; y < header_.Height(); y += pass.rowStep) {
                if (!ReadRow(rowBytes))
                    break;
                CopyRowToImage(format_, header_, gamma_, current_.data() + 1, y, pass.firstColumn,
                               pass.columnStep, columns);
                std::swap(current_, previous_);
            }
        }
    }

    // Reads what is left of the current chunk's data and checks its CRC.
    void FinishChunk()
    {
        while (stream_.Position() < endOfData_) {
            std::size_t got = stream_.Read(input_.data(), std::min(kInputSize, endOfData_ - stream_.Position()));
            if (got == 0)
                break;
            crc_ = UpdateCrc(crc_, input_.data(), got);
        }
        CheckCrc();
    }

private:
    // Fills the current buffer with a filter byte and `rowBytes` bytes and
    // removes the filter; false when no data arrived at all.
    bool ReadRow(std::size_t rowBytes)
    {
        if (IDATZlibRead(current_.data(), rowBytes + 1) == 0)
            return false;
        UnfilterRow(current_[0], current_.data() + 1, previous_.data() + 1, rowBytes, offset_);
        return true;
    }

    // Produces up to `count` inflated bytes, moving on to the next IDAT
    // chunk when the current one is used up. Returns fewer when the file or
    // the compressed stream ends.
    std::size_t IDATZlibRead(std::uint8_t* buffer, std::size_t count)
    {
        z_.next_out = buffer;
        z_.avail_out = uInt(count);
        while (z_.avail_out > 0 && !streamEnded_) {
            while (z_.avail_in == 0 && stream_.Position() >= endOfData_)
                NextChunk();
            if (z_.avail_in == 0) {
                std::size_t got =
                    stream_.Read(input_.data(), std::min(kInputSize, endOfData_ - stream_.Position()));
                if (got == 0)
                    break;
                crc_ = UpdateCrc(crc_, input_.data(), got);
                z_.next_in = input_.data();
                z_.avail_in = uInt(got);
            }
            int result = inflate(&z_, Z_NO_FLUSH);
            // A stream asking for a preset dictionary can never go on.
            if (result < 0 || result == Z_NEED_DICT)
                throw EPNGZLIBError(result);
            if (result == Z_STREAM_END)
                streamEnded_ = true;
        }
        return count - z_.avail_out;
    }

    void CheckCrc()
    {
        std::uint8_t stored[4];
        if (stream_.Read(stored, 4) < 4 || GetBigEndian32(stored) != ~crc_)
            throw EPngInvalidCRC();
    }

    void NextChunk()
    {
        CheckCrc();
        std::uint8_t head[8];
        if (stream_.Read(head, 8) < 8 || std::memcmp(head + 4, "IDAT", 4) != 0)
            throw EPNGMissingMultipleIDAT();
        crc_ = UpdateCrc(kCrcStart, head + 4, 4);
        endOfData_ = stream_.Position() + GetBigEndian32(head);
    }

    PngReader& stream_;
    TChunkIHDR& header_;
    const GammaTable& gamma_;
    RowFormat format_;
    int offset_ = 1;
    z_stream z_{};
    std::vector<std::uint8_t> input_;
    std::vector<std::uint8_t> current_;
    std::vector<std::uint8_t> previous_;
    std::uint32_t crc_ = kCrcStart;
    std::size_t endOfData_ = 0;
    bool streamEnded_ = false;
};

}  // namespace

bool TChunkIDAT::LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size)
{
    TChunkIHDR& header = GetHeader();
    int type = header.IHDRData.ColorType;
    if (type == kColorGrayscale || type == kColorGrayscaleAlpha)
        Owner().DoSetPalette(header.CreateGrayscalePalette(header.BitsPerPixel()), true);
    IdatDecoder decoder(stream, header, Owner().Gamma, name, size);
    if (Owner().InterlaceMethod == TInterlaceMethod::imAdam7)
        decoder.DecodeInterlacedAdam7();
    else
        decoder.DecodeNonInterlaced();
    decoder.FinishChunk();
    return true;
}

}  // namespace tessolo
