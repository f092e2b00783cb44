#include "codecs/png/png_ihdr.h"

#include "codecs/png/png_idat.h"
#include "codecs/png/pngimage.h"
#include "platform/packed_pixels.h"

#include <cstring>

namespace tessolo {

ZeroedBuffer::ZeroedBuffer(std::size_t size) : size_(size)
{
    if (size == 0)
        return;
    data_.reset(static_cast<std::uint8_t*>(std::calloc(size, 1)));
    if (!data_)
        throw std::bad_alloc();
}

int RasterBitsPerPixel(int colorType, int bitDepth)
{
    switch (colorType) {
    case kColorGrayscale:
        switch (bitDepth) {
        case 1: return 1;
        case 2: case 4: return 4;
        case 8: case 16: return 8;
        default: return 0;
        }
    case kColorPalette:
        switch (bitDepth) {
        case 1: return 1;
        case 2: case 4: return 4;
        case 8: return 8;
        default: return 0;
        }
    case kColorRGB:
    case kColorRGBAlpha: return bitDepth == 8 || bitDepth == 16 ? 24 : 0;
    case kColorGrayscaleAlpha: return bitDepth == 8 || bitDepth == 16 ? 8 : 0;
    default: return 0;
    }
}

TIHDRData ReadIHDRData(const std::uint8_t* d)
{
    TIHDRData header;
    header.Width = GetBigEndian32(d);
    header.Height = GetBigEndian32(d + 4);
    header.BitDepth = d[8];
    header.ColorType = d[9];
    header.CompressionMethod = d[10];
    header.FilterMethod = d[11];
    header.InterlaceMethod = d[12];
    return header;
}

namespace {

// Deflate codes at most 258 bytes in two bits.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

// Per image row: the raster, the extra plane, the alpha plane; and while
// the image data is read, two filtered rows of the file.
void CheckStorable(const TIHDRData& header)
{
    int bits = RasterBitsPerPixel(header.ColorType, header.BitDepth);
    if (bits == 0)
        throw EPNGInvalidHeaderValues("its colour type " + std::to_string(header.ColorType) +
                                      " cannot have a bit depth of " + std::to_string(header.BitDepth) + ".");
    if (header.Width == 0 || header.Height == 0)
        throw EPNGInvalidHeaderValues("its width or height is 0.");
    std::size_t stride = RowStride(header.Width, bits);
    std::size_t planes = 1 + (header.BitDepth == 16);
    std::size_t alpha = header.ColorType == kColorGrayscaleAlpha || header.ColorType == kColorRGBAlpha
                            ? header.Width : 0;
    std::size_t image = stride * planes + alpha;
    std::size_t rows = 2 * (RowBytesFor(header.ColorType, header.BitDepth, header.Width) + 1);
    if (image > kMaxBitmapBytes / header.Height || image * header.Height + rows > kMaxBitmapBytes)
        throw EPNGImageTooLarge();
}

}  // namespace

void CheckIHDRData(const TIHDRData& header, bool drawingOnly, std::uint64_t bytesAfter)
{
    if (header.Width > kMaxPngSide || header.Height > kMaxPngSide)
        throw EPNGSizeExceeds();
    if (header.CompressionMethod != 0)
        throw EPNGUnknownCompression();
    if (header.InterlaceMethod > 1)
        throw EPNGUnknownInterlace();
    if (drawingOnly) {
        bool alpha = header.ColorType == kColorGrayscaleAlpha || header.ColorType == kColorRGBAlpha;
        CheckBitmapSize(int(header.Width), int(header.Height),
                        alpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    }
    CheckStorable(header);
    // Every pixel's bits are inflated from the file, interlaced or not.
    std::uint64_t pixels = std::uint64_t(header.Width) * header.Height;
    if (RowBytesFor(header.ColorType, header.BitDepth, pixels) / kMaxDeflateRatio > bytesAfter)
        throw EPngUnexpectedEnd();
}

bool TChunkIHDR::LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size)
{
    TChunk::LoadFromStream(stream, name, size);
    if (DataSize() < 13)
        throw EPngInvalidIHDR();
    IHDRData = ReadIHDRData(Data());
    CheckIHDRData(IHDRData, Owner().DrawingOnly, stream.Remaining());
    Owner().InterlaceMethod = TInterlaceMethod(IHDRData.InterlaceMethod);
    PrepareImageData(Owner().RowDecoded && Owner().InterlaceMethod == TInterlaceMethod::imNone);
    return true;
}

bool TChunkIHDR::SaveToStream(Bytes& stream)
{
    // A 2-bit image is held with 4 bits per pixel and written that way.
    if (IHDRData.BitDepth == 2) {
        IHDRData.BitDepth = 4;
        TChunktRNS* trns = Owner().Chunks.FindChunk<TChunktRNS>();
        if (trns && IHDRData.ColorType == kColorGrayscale)
            trns->WidenGraySample();
    }
    ResizeData(13);
    std::uint8_t* d = Data();
    PutBigEndian32(d, IHDRData.Width);
    PutBigEndian32(d + 4, IHDRData.Height);
    d[8] = IHDRData.BitDepth;
    d[9] = IHDRData.ColorType;
    d[10] = IHDRData.CompressionMethod;
    d[11] = IHDRData.FilterMethod;
    d[12] = std::uint8_t(Owner().InterlaceMethod);
    return TChunk::SaveToStream(stream);
}

void TChunkIHDR::FreeImageData()
{
    raster_ = ZeroedBuffer();
    extra_ = ZeroedBuffer();
    alpha_ = ZeroedBuffer();
    ImagePalette.clear();
    ColorTable.fill(0);
    ColorTableUsed = 0;
}

void TChunkIHDR::PrepareImageData(bool oneRow)
{
    FreeImageData();
    CheckStorable(IHDRData);
    oneRow_ = oneRow;
    int type = IHDRData.ColorType;
    hasPalette_ = type == kColorGrayscale || type == kColorPalette || type == kColorGrayscaleAlpha;
    bitsPerPixel_ = RasterBitsPerPixel(type, IHDRData.BitDepth);
    stride_ = RowStride(IHDRData.Width, bitsPerPixel_);
    const std::size_t rows = oneRow ? 1 : IHDRData.Height;
    const std::size_t pixels = std::size_t(IHDRData.Width) * rows;
    if (type == kColorGrayscaleAlpha || type == kColorRGBAlpha)
        alpha_ = ZeroedBuffer(pixels);
    if (IHDRData.BitDepth == 16)
        extra_ = ZeroedBuffer(stride_ * rows);
    raster_ = ZeroedBuffer(stride_ * rows);
    if (hasPalette_) {
        std::vector<ColorRef> initial;
        if (type == kColorPalette)
            initial.assign(Palette256().begin(), Palette256().begin() + (1 << bitsPerPixel_));
        else
            initial = CreateGrayscalePalette(bitsPerPixel_);
        ImagePalette = initial;
        PaletteToDIB(initial);
    }
}

void TChunkIHDR::ClearSharedRow()
{
    for (ZeroedBuffer* plane : {&raster_, &extra_, &alpha_})
        if (!plane->Empty())
            std::memset(plane->Data(), 0, plane->Size());
}

std::vector<ColorRef> TChunkIHDR::CreateGrayscalePalette(int bits) const
{
    const GammaTable& gamma = Owner().Gamma;
    int count = 1 << bits;
    std::vector<ColorRef> ramp(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        // round(i * 255 / (count - 1)), halves rounded up; no ramp hits a half.
        auto v = gamma[std::size_t((i * 255 * 2 + (count - 1)) / (2 * (count - 1)))];
        ramp[std::size_t(i)] = MakeColor(v, v, v);
    }
    return ramp;
}

void TChunkIHDR::PaletteToDIB(const std::vector<ColorRef>& palette)
{
    ColorTableUsed = int(std::min<std::size_t>(palette.size(), 256));
    std::copy(palette.begin(), palette.begin() + ColorTableUsed, ColorTable.begin());
}

void TChunkIHDR::Assign(const TChunk& source)
{
    const auto* other = dynamic_cast<const TChunkIHDR*>(&source);
    if (!other)
        throw EPngError(kPngIncompatibleChunksText);
    TChunk::Assign(*other);
    IHDRData = other->IHDRData;
    PrepareImageData();
    std::memcpy(raster_.Data(), other->raster_.Data(), raster_.Size());
    if (HasAlpha())
        std::memcpy(alpha_.Data(), other->alpha_.Data(), alpha_.Size());
    ColorTable = other->ColorTable;
    ColorTableUsed = other->ColorTableUsed;
    ImagePalette = other->ImagePalette;
}

void TChunkIHDR::Resize(int width, int height)
{
    if (width < 1 || height < 1)
        throw EPNGInvalidNewSize();
    TIHDRData old = IHDRData;
    std::size_t oldStride = stride_;
    ZeroedBuffer oldRaster = std::move(raster_), oldExtra = std::move(extra_), oldAlpha = std::move(alpha_);
    IHDRData.Width = std::uint32_t(width);
    IHDRData.Height = std::uint32_t(height);
    try {
        CheckStorable(IHDRData);
    } catch (...) {
        IHDRData = old;
        raster_ = std::move(oldRaster);
        extra_ = std::move(oldExtra);
        alpha_ = std::move(oldAlpha);
        throw;
    }
    stride_ = RowStride(IHDRData.Width, bitsPerPixel_);
    std::size_t pixels = std::size_t(width) * std::size_t(height);
    raster_ = ZeroedBuffer(stride_ * std::size_t(height));
    if (!oldExtra.Empty())
        extra_ = ZeroedBuffer(stride_ * std::size_t(height));
    if (!oldAlpha.Empty()) {
        alpha_ = ZeroedBuffer(pixels);
        std::memset(alpha_.Data(), 255, pixels);
    }
    int rows = std::min(height, int(old.Height));
    int columns = std::min(width, int(old.Width));
    std::size_t keepBytes = std::min(oldStride, stride_);
    for (int y = 0; y < rows; ++y) {
        std::size_t oldRow = std::size_t(int(old.Height) - 1 - y) * oldStride;
        std::memcpy(Scanline(y), oldRaster.Data() + oldRow, keepBytes);
        if (!extra_.Empty())
            std::memcpy(ExtraScanline(y), oldExtra.Data() + oldRow, keepBytes);
        if (!alpha_.Empty())
            std::memcpy(AlphaScanline(y), oldAlpha.Data() + std::size_t(y) * old.Width, std::size_t(columns));
    }
    // The old rows' padding may hold stray bits: zero every pixel beyond
    // the old width.
    std::size_t firstBit = std::size_t(old.Width) * std::size_t(bitsPerPixel_);
    if (firstBit < stride_ * 8)
        for (int y = 0; y < rows; ++y) {
            std::uint8_t* row = Scanline(y);
            if (firstBit % 8 != 0)
                row[firstBit / 8] &= std::uint8_t(0xFF00 >> (firstBit % 8));
            std::size_t next = (firstBit + 7) / 8;
            std::memset(row + next, 0, stride_ - next);
        }
}

void TChunkIHDR::WidenGrayToEightBits()
{
    int bits = bitsPerPixel_;
    int top = (1 << bits) - 1;
    std::size_t stride = RowStride(IHDRData.Width, 8);
    ZeroedBuffer wide(stride * IHDRData.Height);
    for (int y = 0; y < Height(); ++y) {
        const std::uint8_t* in = Scanline(y);
        std::uint8_t* out = wide.Data() + std::size_t(Height() - 1 - y) * stride;
        for (int x = 0; x < Width(); ++x)
            out[x] = std::uint8_t(PackedIndex(in, std::size_t(x), bits) * 255 / unsigned(top));
    }
    raster_ = std::move(wide);
    stride_ = stride;
    bitsPerPixel_ = 8;
    IHDRData.BitDepth = 8;
    std::vector<ColorRef> ramp = CreateGrayscalePalette(8);
    ImagePalette = ramp;
    PaletteToDIB(ramp);
}

void TChunkIHDR::SetAlphaPlane(bool present)
{
    int type = IHDRData.ColorType;
    if (present && (type == kColorGrayscale || type == kColorRGB)) {
        TIHDRData original = IHDRData;
        IHDRData.ColorType = std::uint8_t(type == kColorGrayscale ? kColorGrayscaleAlpha : kColorRGBAlpha);
        IHDRData.BitDepth = std::max<std::uint8_t>(IHDRData.BitDepth, 8);
        try {
            CheckStorable(IHDRData);
        } catch (...) {
            IHDRData = original;
            throw;
        }
        if (bitsPerPixel_ < 8)
            WidenGrayToEightBits();
        std::size_t pixels = std::size_t(IHDRData.Width) * IHDRData.Height;
        alpha_ = ZeroedBuffer(pixels);
        std::memset(alpha_.Data(), 255, pixels);
    } else if (!present && (type == kColorGrayscaleAlpha || type == kColorRGBAlpha)) {
        IHDRData.ColorType = std::uint8_t(type == kColorGrayscaleAlpha ? kColorGrayscale : kColorRGB);
        alpha_ = ZeroedBuffer();
    }
}

}  // namespace tessolo
