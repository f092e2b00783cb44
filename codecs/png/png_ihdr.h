// The header chunk and the decoded image it owns.
//
// Storage by colour type and depth (samples above 8 bits keep their high
// byte in the raster and their low byte in the extra plane):
//   0 grayscale   1, 4, 8 bits: the sample, raster of that depth, gray ramp
//                 2 bits: 5 x sample in a 4-bit raster, ramp of 16
//                 16 bits: high byte in an 8-bit raster, ramp of 256
//   2 RGB         blue, green, red through the gamma table, 24 bits
//   3 palette     the index; 2-bit indices widened to a 4-bit raster
//   4 gray+alpha  the gray sample in an 8-bit raster, ramp of 256, alpha plane
//   6 RGB+alpha   as RGB, plus the alpha plane
// Raster rows are stored bottom-up with a stride padded to 4 bytes; the
// alpha plane (one byte per pixel) top-down.
#pragma once

#include "codecs/png/png_chunk.h"
#include "platform/bitmap.h"

#include <array>
#include <cstdlib>

namespace tessolo {

// The largest width or height the format allows.
constexpr std::uint32_t kMaxPngSide = 0x7FFFFFFF;

struct TIHDRData {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint8_t BitDepth = 0;
    std::uint8_t ColorType = 0;
    std::uint8_t CompressionMethod = 0;
    std::uint8_t FilterMethod = 0;
    std::uint8_t InterlaceMethod = 0;
};

// Zero-filled memory whose pages are only touched when written, so an image
// that a damaged file never fills costs little.
class ZeroedBuffer {
public:
    ZeroedBuffer() = default;
    explicit ZeroedBuffer(std::size_t size);
    std::uint8_t* Data() { return data_.get(); }
    const std::uint8_t* Data() const { return data_.get(); }
    std::size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }

private:
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, Free> data_;
    std::size_t size_ = 0;
};

// Raster bits per pixel for a colour type and depth; 0 when the pair has no
// storage class.
int RasterBitsPerPixel(int colorType, int bitDepth);

// The header values stored in the 13 data bytes of an IHDR chunk.
TIHDRData ReadIHDRData(const std::uint8_t* data);

// Refuses header values that a file cannot be loaded with, before anything
// is allocated for them: sides beyond the format, unknown compression or
// interlacing, a colour type without that depth, an image beyond the raster
// cap (with `drawingOnly`, also a drawing beyond it), and an image whose
// data could not fit in `bytesAfter`, what the file holds after the header
// chunk, even at deflate's best ratio.
void CheckIHDRData(const TIHDRData& header, bool drawingOnly, std::uint64_t bytesAfter);

class TChunkIHDR : public TChunkOf<TChunkIHDR, "IHDR"> {
public:
    using TChunkOf::TChunkOf;

    void Assign(const TChunk& source) override;
    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;

    // Allocates a zeroed image for IHDRData, with its initial palette. With
    // `oneRow`, room for a single row that every row number then shares, for
    // images taken a row at a time as they are decoded.
    void PrepareImageData(bool oneRow = false);
    // Zeroes the shared row of an image prepared with `oneRow`.
    void ClearSharedRow();
    void FreeImageData();
    // A gray ramp of 2^bits entries through the owner's gamma table.
    std::vector<ColorRef> CreateGrayscalePalette(int bits) const;
    // Copies up to 256 entries into the colour table.
    void PaletteToDIB(const std::vector<ColorRef>& palette);
    // Keeps the top-left part; new pixels are zero with opaque alpha.
    void Resize(int width, int height);
    // Turns colour type 0 or 2 into 4 or 6 with an opaque alpha plane (gray
    // below 8 bits is widened to 8), or 4 or 6 back into 0 or 2.
    void SetAlphaPlane(bool present);

    TIHDRData IHDRData;

    bool HasPalette() const { return hasPalette_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    std::size_t Stride() const { return stride_; }
    int Width() const { return int(IHDRData.Width); }
    int Height() const { return int(IHDRData.Height); }

    // Rows are kept bottom-up, as in a bitmap; the alpha plane top-down.
    std::uint8_t* Scanline(int y) { return raster_.Data() + RowOffset(y); }
    const std::uint8_t* Scanline(int y) const { return raster_.Data() + RowOffset(y); }
    std::uint8_t* ExtraScanline(int y) { return extra_.Empty() ? nullptr : extra_.Data() + RowOffset(y); }
    const std::uint8_t* ExtraScanline(int y) const
    {
        return extra_.Empty() ? nullptr : extra_.Data() + RowOffset(y);
    }
    std::uint8_t* AlphaScanline(int y) { return alpha_.Empty() ? nullptr : alpha_.Data() + AlphaOffset(y); }
    const std::uint8_t* AlphaScanline(int y) const
    {
        return alpha_.Empty() ? nullptr : alpha_.Data() + AlphaOffset(y);
    }
    bool HasAlpha() const { return !alpha_.Empty(); }

    // The raster's colour table (palette-based images) and how many entries
    // of it are in use.
    std::array<ColorRef, 256> ColorTable{};
    int ColorTableUsed = 0;
    // The image palette: what PLTE writes and the alpha drawer reads.
    std::vector<ColorRef> ImagePalette;

private:
    void WidenGrayToEightBits();

    bool hasPalette_ = false;
    bool oneRow_ = false;
    int bitsPerPixel_ = 0;
    std::size_t stride_ = 0;
    std::size_t RowOffset(int y) const { return oneRow_ ? 0 : std::size_t(Height() - 1 - y) * stride_; }
    std::size_t AlphaOffset(int y) const { return oneRow_ ? 0 : std::size_t(y) * std::size_t(Width()); }

    ZeroedBuffer raster_;
    ZeroedBuffer extra_;
    ZeroedBuffer alpha_;
};

}  // namespace tessolo
