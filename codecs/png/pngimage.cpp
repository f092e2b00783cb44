#include "codecs/png/pngimage.h"

#include "codecs/png/png_zlib_text.h"
#include "platform/files.h"
#include "platform/packed_pixels.h"

#include <cstring>

namespace tessolo {

const std::uint8_t kPngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

namespace {

bool IsType(const std::uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

// Bit 5 of the first type letter (lower case) marks an ancillary chunk.
bool IsCritical(const TChunkName& name) { return (std::uint8_t(name[0]) & 0x20) == 0; }

// Reads the signature; EPNGInvalidFileHeader when it is not there.
void ReadSignature(PngReader& stream)
{
    std::uint8_t signature[8];
    if (stream.Read(signature, 8) < 8 || std::memcmp(signature, kPngSignature, 8) != 0)
        throw EPNGInvalidFileHeader();
}

}  // namespace

void CheckPngHead(std::span<const std::uint8_t> head, std::uint64_t size, bool drawingOnly)
{
    PngReader stream(head);
    ReadSignature(stream);
    std::uint8_t chunk[8 + 13];
    if (stream.Read(chunk, 8) < 8)
        return;
    if (!IsType(chunk + 4, "IHDR"))
        throw EPNGIHDRNotFirst();
    std::uint32_t length = GetBigEndian32(chunk);
    if (length < 13)
        throw EPngInvalidIHDR();
    if (stream.Read(chunk + 8, 13) < 13)
        return;
    std::uint64_t end = 8 + 8 + std::uint64_t(length) + 4;  // where the header chunk ends
    CheckIHDRData(ReadIHDRData(chunk + 8), drawingOnly, size > end ? size - end : 0);
}

TPNGObject::TPNGObject() = default;

TPNGObject::TPNGObject(int colorType, int bitDepth, int width, int height)
{
    // Only pairs the image can be stored as; a 2-bit depth is held as 4.
    if (RasterBitsPerPixel(colorType, bitDepth) == 0)
        throw EPNGInvalidSpec();
    if (bitDepth == 2)
        bitDepth = 4;
    Gamma = IdentityGamma();
    InverseGamma = IdentityGamma();
    CreationScope creating(*this);
    Chunks.Add<TChunkIEND>();
    TChunkIHDR& header = Chunks.Add<TChunkIHDR>();
    header.IHDRData.Width = std::uint32_t(std::max(width, 0));
    header.IHDRData.Height = std::uint32_t(std::max(height, 0));
    header.IHDRData.BitDepth = std::uint8_t(bitDepth);
    header.IHDRData.ColorType = std::uint8_t(colorType);
    header.PrepareImageData();
    // Only palette images may carry a palette chunk.
    if (colorType == kColorPalette)
        Chunks.Add<TChunkPLTE>().SetCount(std::min(1 << bitDepth, 256));
    Chunks.Add<TChunkIDAT>();
}

void TPNGObject::LoadFromStream(std::span<const std::uint8_t> file)
{
    ClearChunks();
    textAllowance_ = kMaxInflatedText;
    PngReader stream(file);
    ReadSignature(stream);
    bool hasImageData = false;
    for (;;) {
        std::uint8_t head[8];
        if (stream.Read(head, 8) < 8)
            throw EPngUnexpectedEnd();
        std::uint32_t length = GetBigEndian32(head);
        const std::uint8_t* type = head + 4;
        if (Chunks.Count() == 0 && !IsType(type, "IHDR"))
            throw EPNGIHDRNotFirst();
        // A second header would change how the first one's image is read.
        if (Chunks.Count() > 0 && IsType(type, "IHDR"))
            throw EPngInvalidIHDR();
        // Chromaticities are not used; IDAT chunks reaching this loop are
        // leftovers of a run the image data reader already consumed.
        if (IsType(type, "cHRM") || (IsType(type, "IDAT") && hasImageData)) {
            stream.Skip(std::size_t(length) + 4);
            continue;
        }
        hasImageData = hasImageData || IsType(type, "IDAT");
        TChunkName name;
        std::memcpy(name.data(), type, 4);
        const TChunkClass* chunkClass = FindChunkClass(name);
        // An image that is only drawn needs no text: zTXt stays compressed.
        if (DrawingOnly && chunkClass == &TChunkzTXt::kClass)
            chunkClass = nullptr;
        std::unique_ptr<TChunk> created = chunkClass ? chunkClass->create(*this) : MakeChunk<TChunk>(*this);
        created->Name = name;
        TChunk& chunk = Chunks.Append(std::move(created));
        if (!chunkClass && IsCritical(name))
            throw EPNGUnknownCriticalChunk();
        bool more;
        try {
            more = chunk.LoadFromStream(stream, name, length);
        } catch (...) {
            // A header that failed to load has no image to draw: leave the
            // object empty instead.
            if (Chunks.Count() == 1)
                ClearChunks();
            throw;
        }
        if (!more || IsType(type, "IEND"))
            break;
    }
    if (!hasImageData)
        throw EPNGNoImageData();
}

void TPNGObject::SaveToStream(Bytes& stream)
{
    stream.insert(stream.end(), kPngSignature, kPngSignature + 8);
    for (const auto& chunk : Chunks)
        chunk->SaveToStream(stream);
}

void TPNGObject::LoadFromFile(const std::string& path) { LoadFromStream(ReadFileBytes(path)); }

void TPNGObject::ClearChunks()
{
    Gamma = IdentityGamma();
    InverseGamma = IdentityGamma();
    Chunks.Clear();
}

bool TPNGObject::HeaderPresent() const
{
    return Chunks.Count() > 0 && dynamic_cast<const TChunkIHDR*>(Chunks.GetItem(0)) != nullptr;
}

TChunkIHDR& TPNGObject::Header()
{
    if (!HeaderPresent())
        throw EPNGHeaderNotPresent();
    return static_cast<TChunkIHDR&>(*Chunks.GetItem(0));
}

const TChunkIHDR& TPNGObject::Header() const
{
    if (!HeaderPresent())
        throw EPNGHeaderNotPresent();
    return static_cast<const TChunkIHDR&>(*Chunks.GetItem(0));
}

int TPNGObject::GetWidth() const { return HeaderPresent() ? Header().Width() : 0; }

int TPNGObject::GetHeight() const { return HeaderPresent() ? Header().Height() : 0; }

void TPNGObject::SetMaxIdatSize(int size) { maxIdatSize_ = std::max(size, kDefaultMaxIdatSize); }

TChunktEXt& TPNGObject::AddtEXt(const std::string& keyword, const std::string& text)
{
    TChunktEXt& chunk = Chunks.Add<TChunktEXt>();
    chunk.Keyword = keyword;
    chunk.Text = text;
    return chunk;
}

TChunkzTXt& TPNGObject::AddzTXt(const std::string& keyword, const std::string& text)
{
    TChunkzTXt& chunk = Chunks.Add<TChunkzTXt>();
    chunk.Keyword = keyword;
    chunk.Text = text;
    return chunk;
}

bool TPNGObject::HasPixelInformation() const { return Chunks.FindChunk<TChunkpHYs>() != nullptr; }

TChunkpHYs& TPNGObject::GetPixelInformation()
{
    if (TChunkpHYs* existing = Chunks.FindChunk<TChunkpHYs>())
        return *existing;
    TChunkpHYs& added = Chunks.Add<TChunkpHYs>();
    added.UnitType = TUnitType::utMeter;
    return added;
}

std::vector<ColorRef> TPNGObject::GetPalette() const
{
    if (!HeaderPresent() || !Header().HasPalette())
        return {};
    return Header().ImagePalette;
}

void TPNGObject::DoSetPalette(const std::vector<ColorRef>& palette, bool updateColorTable)
{
    TChunkIHDR& header = Header();
    if (!header.HasPalette())
        return;
    if (updateColorTable)
        header.PaletteToDIB(palette);
    header.ImagePalette = palette;
}

namespace {

// Palette index of pixel x in a packed raster row.
}  // namespace

ColorRef TPNGObject::GetPixels(int x, int y) const
{
    const TChunkIHDR& header = Header();
    if (x < 0 || y < 0 || x >= header.Width() || y >= header.Height())
        return 0;
    const std::uint8_t* row = header.Scanline(y);
    if (header.HasPalette())
        return header.ColorTable[PackedIndex(row, std::size_t(x), header.BitsPerPixel())];
    const std::uint8_t* bgr = row + 3 * std::size_t(x);
    return MakeColor(bgr[2], bgr[1], bgr[0]);
}

void TPNGObject::SetPixels(int x, int y, ColorRef color)
{
    TChunkIHDR& header = Header();
    if (x < 0 || y < 0 || x >= header.Width() || y >= header.Height())
        return;
    std::uint8_t* row = header.Scanline(y);
    if (!header.HasPalette()) {
        std::uint8_t* bgr = row + 3 * std::size_t(x);
        bgr[0] = BlueOf(color);
        bgr[1] = GreenOf(color);
        bgr[2] = RedOf(color);
        return;
    }
    std::vector<ColorRef> used(header.ColorTable.begin(), header.ColorTable.begin() + header.ColorTableUsed);
    int index = NearestPaletteIndex(used, color);
    SetPackedIndex(row, std::size_t(x), header.BitsPerPixel(), unsigned(index));
}

void TPNGObject::Assign(const TPNGObject& source)
{
    if (&source == this)
        return;
    InterlaceMethod = source.InterlaceMethod;
    SetMaxIdatSize(source.MaxIdatSize());
    CompressionLevel = source.CompressionLevel;
    Filters = source.Filters;
    ClearChunks();
    // The raster holds gamma-corrected colours: keep the tables that match.
    Gamma = source.Gamma;
    InverseGamma = source.InverseGamma;
    for (int i = 0; i < source.Chunks.Count(); ++i) {
        const TChunk& chunk = *source.Chunks.GetItem(i);
        Chunks.Append(chunk.Class().create(*this)).Assign(chunk);
    }
}

}  // namespace tessolo
