#include "codecs/png/png_ancillary.h"

#include "codecs/png/png_zlib_text.h"
#include "codecs/png/pngimage.h"

#include <algorithm>
#include <cstring>

namespace tessolo {

namespace {

// Replaces the chunk's data by `bytes`.
void SetData(TChunk& chunk, const Bytes& bytes)
{
    chunk.ResizeData(std::uint32_t(bytes.size()));
    if (!bytes.empty())
        std::memcpy(chunk.Data(), bytes.data(), bytes.size());
}


}  // namespace

// --- PLTE ---

void TChunkPLTE::Assign(const TChunk& source)
{
    count_ = CompatibleChunk<TChunkPLTE>(source).count_;
}

bool TChunkPLTE::LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size)
{
    TChunk::LoadFromStream(stream, name, size);
    if (DataSize() % 3 != 0 || DataSize() > 768)
        throw EPNGInvalidPalette();
    count_ = int(DataSize() / 3);
    const GammaTable& gamma = Owner().Gamma;
    std::vector<ColorRef> palette(static_cast<std::size_t>(count_));
    for (int i = 0; i < count_; ++i) {
        const std::uint8_t* rgb = Data() + 3 * i;
        palette[std::size_t(i)] = MakeColor(gamma[rgb[0]], gamma[rgb[1]], gamma[rgb[2]]);
    }
    Owner().DoSetPalette(palette, true);
    return true;
}

bool TChunkPLTE::SaveToStream(Bytes& stream)
{
    const std::vector<ColorRef>& palette = GetHeader().ImagePalette;
    if (count_ == 0)
        count_ = int(std::min<std::size_t>(palette.size(), 256));
    const GammaTable& inverse = Owner().InverseGamma;
    ResizeData(std::uint32_t(count_ * 3));
    for (int i = 0; i < count_; ++i) {
        ColorRef c = std::size_t(i) < palette.size() ? palette[std::size_t(i)] : kBlack;
        Data()[3 * i] = inverse[RedOf(c)];
        Data()[3 * i + 1] = inverse[GreenOf(c)];
        Data()[3 * i + 2] = inverse[BlueOf(c)];
    }
    return TChunk::SaveToStream(stream);
}

void TChunkPLTE::SetCount(int count) { count_ = std::clamp(count, 0, 256); }

ColorRef TChunkPLTE::GetPaletteItem(int index) const
{
    const std::vector<ColorRef>& palette = GetHeader().ImagePalette;
    if (index < 0 || index >= count_)
        throw EPngError(kPngNoPaletteEntryText);
    return std::size_t(index) < palette.size() ? palette[std::size_t(index)] : kBlack;
}

// --- tRNS ---

bool TChunktRNS::LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size)
{
    TChunk::LoadFromStream(stream, name, size);
    if (DataSize() > 256)
        throw EPNGInvalidPalette();
    PaletteValues.fill(255);
    std::memcpy(PaletteValues.data(), Data(), DataSize());
    int colorType = GetHeader().IHDRData.ColorType;
    if (colorType == kColorGrayscale || colorType == kColorRGB) {
        BitTransparency = true;
    } else if (colorType == kColorPalette) {
        // One fully transparent entry among opaque ones is a transparent
        // colour; anything else needs blending.
        int translucent = 0, clear = 0;
        for (std::uint32_t i = 0; i < DataSize(); ++i) {
            translucent += PaletteValues[i] != 255;
            clear += PaletteValues[i] == 0;
        }
        BitTransparency = translucent == 1 && clear == 1;
    }
    return true;
}

bool TChunktRNS::SaveToStream(Bytes& stream)
{
    if (DataSize() <= 256)
        std::memcpy(Data(), PaletteValues.data(), DataSize());
    WriteSamplesAsEncoded();
    return TChunk::SaveToStream(stream);
}

void TChunktRNS::WriteSamplesAsEncoded()
{
    // The encoder writes a 16-bit sample as the high byte the raster keeps
    // with a low byte of 0, and an RGB sample through the gamma table and
    // its inverse; the transparent value must change the same way, or no
    // pixel of the written file matches it.
    const TChunkIHDR& header = GetHeader();
    int type = header.IHDRData.ColorType;
    if (type != kColorGrayscale && type != kColorRGB)
        return;
    bool wide = header.IHDRData.BitDepth == 16;
    std::uint32_t samples = type == kColorRGB ? 3 : 1;
    for (std::uint32_t i = 0; i < samples && 2 * i + 1 < DataSize(); ++i) {
        std::uint8_t* value = Data() + 2 * i;
        std::uint8_t sample = wide ? value[0] : value[1];
        if (type == kColorRGB)
            sample = Owner().InverseGamma[Owner().Gamma[sample]];
        if (wide) {
            value[0] = sample;
            value[1] = 0;
        } else {
            value[1] = sample;
        }
    }
}

void TChunktRNS::WidenGraySample()
{
    // A 2-bit sample s is held as 5 x s in 4 bits, as the raster holds it.
    PaletteValues[1] = std::uint8_t((PaletteValues[1] * 5) & 0x0F);
}

ColorRef TChunktRNS::GetTransparentColor() const
{
    const TChunkIHDR& header = GetHeader();
    // 16-bit samples are matched by the byte the raster keeps, the high one.
    bool wide = header.IHDRData.BitDepth == 16;
    auto sample = [&](int i) { return PaletteValues[std::size_t(2 * i + (wide ? 0 : 1))]; };
    switch (header.IHDRData.ColorType) {
    case kColorGrayscale: {
        int index = sample(0);
        if (header.IHDRData.BitDepth == 2)
            index *= 5;
        index &= (1 << header.BitsPerPixel()) - 1;
        return header.ColorTable[std::size_t(index)];
    }
    case kColorRGB: {
        const GammaTable& gamma = Owner().Gamma;
        return MakeColor(gamma[sample(0)], gamma[sample(1)], gamma[sample(2)]);
    }
    case kColorPalette:
        for (std::uint32_t i = 0; i < DataSize(); ++i)
            if (PaletteValues[i] == 0)
                return i < header.ImagePalette.size() ? header.ImagePalette[i] : kBlack;
        return kBlack;
    default: return kBlack;
    }
}

void TChunktRNS::SetTransparentColor(ColorRef color)
{
    const TChunkIHDR& header = GetHeader();
    PaletteValues.fill(0);
    BitTransparency = true;
    switch (header.IHDRData.ColorType) {
    case kColorGrayscale:
        PutBigEndian16(PaletteValues.data(), RedOf(color));
        ResizeData(2);
        break;
    case kColorRGB:
        PutBigEndian16(PaletteValues.data(), RedOf(color));
        PutBigEndian16(PaletteValues.data() + 2, GreenOf(color));
        PutBigEndian16(PaletteValues.data() + 4, BlueOf(color));
        ResizeData(6);
        break;
    case kColorPalette:
        for (int i = 0; i < header.ColorTableUsed; ++i)
            if (header.ColorTable[std::size_t(i)] == color) {
                std::fill(PaletteValues.begin(), PaletteValues.begin() + i, 255);
                ResizeData(std::uint32_t(i + 1));
                break;
            }
        break;
    default: break;
    }
}

// --- gAMA ---

TChunkgAMA::TChunkgAMA(TPNGObject& owner) : TChunkOf(owner) { SetGamma(1); }

void TChunkgAMA::Assign(const TChunk& source) { SetGamma(CompatibleChunk<TChunkgAMA>(source).Gamma()); }

bool TChunkgAMA::LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size)
{
    TChunk::LoadFromStream(stream, name, size);
    if (Gamma() != 0)
        BuildGammaTables(Gamma(), Owner().Gamma, Owner().InverseGamma);
    return true;
}

std::uint32_t TChunkgAMA::Gamma() const { return DataSize() >= 4 ? GetBigEndian32(Data()) : 0; }

void TChunkgAMA::SetGamma(std::uint32_t value)
{
    ResizeData(4);
    PutBigEndian32(Data(), value);
}

// --- tIME ---

bool TChunktIME::LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size)
{
    TChunk::LoadFromStream(stream, name, size);
    if (DataSize() == 7) {
        const std::uint8_t* d = Data();
        Year = GetBigEndian16(d);
        Month = d[2];
        Day = d[3];
        Hour = d[4];
        Minute = d[5];
        Second = d[6];
    }
    return true;
}

bool TChunktIME::SaveToStream(Bytes& stream)
{
    ResizeData(7);
    std::uint8_t* d = Data();
    PutBigEndian16(d, Year);
    d[2] = Month;
    d[3] = Day;
    d[4] = Hour;
    d[5] = Minute;
    d[6] = Second;
    return TChunk::SaveToStream(stream);
}

// --- tEXt and zTXt ---

namespace {

// Length of the keyword: the bytes before the first NUL, or all of them.
std::size_t KeywordLength(const TChunk& chunk)
{
    const void* nul = std::memchr(chunk.Data(), 0, chunk.DataSize());
    return nul ? std::size_t(static_cast<const std::uint8_t*>(nul) - chunk.Data()) : chunk.DataSize();
}

}  // namespace

bool TChunktEXt::LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size)
{
    TChunk::LoadFromStream(stream, name, size);
    if (DataSize() > 2) {
        std::size_t keyword = KeywordLength(*this);
        const char* d = reinterpret_cast<const char*>(Data());
        Keyword.assign(d, keyword);
        Text = keyword < DataSize() ? std::string(d + keyword + 1, DataSize() - keyword - 1) : "";
    }
    return true;
}

bool TChunktEXt::SaveToStream(Bytes& stream)
{
    Bytes bytes(Keyword.begin(), Keyword.end());
    bytes.push_back(0);
    bytes.insert(bytes.end(), Text.begin(), Text.end());
    SetData(*this, bytes);
    return TChunk::SaveToStream(stream);
}

bool TChunkzTXt::LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size)
{
    TChunk::LoadFromStream(stream, name, size);
    if (DataSize() > 3) {
        std::size_t keyword = KeywordLength(*this);
        Keyword.assign(reinterpret_cast<const char*>(Data()), keyword);
        Text.clear();
        // Keyword, NUL, compression method, then the compressed text.
        if (keyword + 2 <= DataSize()) {
            std::span<const std::uint8_t> packed(Data() + keyword + 2, DataSize() - keyword - 2);
            if (auto text = InflateAll(packed, Owner().TextAllowance()))
                Text.assign(text->begin(), text->end());
        }
    }
    return true;
}

bool TChunkzTXt::SaveToStream(Bytes& stream)
{
    Bytes bytes(Keyword.begin(), Keyword.end());
    bytes.push_back(0);
    bytes.push_back(0);
    std::string text = Text.empty() ? std::string(" ") : Text;
    Bytes packed = DeflateAll({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                              Owner().CompressionLevel);
    bytes.insert(bytes.end(), packed.begin(), packed.end());
    SetData(*this, bytes);
    return TChunk::SaveToStream(stream);
}

// --- pHYs ---

bool TChunkpHYs::LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size)
{
    TChunk::LoadFromStream(stream, name, size);
    if (DataSize() == 9) {
        PPUnitX = GetBigEndian32(Data());
        PPUnitY = GetBigEndian32(Data() + 4);
        UnitType = TUnitType(Data()[8]);
    }
    return true;
}

bool TChunkpHYs::SaveToStream(Bytes& stream)
{
    ResizeData(9);
    PutBigEndian32(Data(), PPUnitX);
    PutBigEndian32(Data() + 4, PPUnitY);
    Data()[8] = std::uint8_t(UnitType);
    return TChunk::SaveToStream(stream);
}

}  // namespace tessolo
