// The chunk classes other than IHDR and IDAT: end marker, palette,
// transparency, gamma, time stamp, texts and physical pixel size.
#pragma once

#include "codecs/png/png_chunk.h"
#include "codecs/png/png_errors.h"
#include "platform/bitmap.h"

#include <array>
#include <string>

namespace tessolo {

// `source` as a T; EPngError when it is of another class.
template <class T>
const T& CompatibleChunk(const TChunk& source)
{
    const auto* typed = dynamic_cast<const T*>(&source);
    if (!typed)
        throw EPngError(kPngIncompatibleChunksText);
    return *typed;
}

// A typed chunk whose decoded content is the plain value `Value`: copying a
// chunk of the same class copies its type name, data bytes and value.
template <class Derived, TChunkTypeName Name, class Value>
class TChunkWith : public TChunkOf<Derived, Name>, public Value {
public:
    using TChunkOf<Derived, Name>::TChunkOf;

    void Assign(const TChunk& source) override
    {
        const Derived& other = CompatibleChunk<Derived>(source);
        TChunk::Assign(other);
        static_cast<Value&>(*this) = other;
    }
};

class TChunkIEND : public TChunkOf<TChunkIEND, "IEND"> {
public:
    using TChunkOf::TChunkOf;
};

class TChunkPLTE : public TChunkOf<TChunkPLTE, "PLTE"> {
public:
    using TChunkOf::TChunkOf;

    void Assign(const TChunk& source) override;
    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;

    int Count() const { return count_; }
    // Sets the entry count written (0: the image palette's size).
    void SetCount(int count);
    // Entry `index` of the image palette; EPngError when index >= Count().
    ColorRef GetPaletteItem(int index) const;

private:
    int count_ = 0;
};

// The content of a tRNS chunk.
struct TPngTransparency {
    bool BitTransparency = false;
    // Alpha of each palette index (255 beyond the data read), or the
    // transparent sample values of gray and RGB images.
    std::array<std::uint8_t, 256> PaletteValues{};
};

class TChunktRNS : public TChunkWith<TChunktRNS, "tRNS", TPngTransparency> {
public:
    using TChunkWith::TChunkWith;

    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;

    // The colour drawn transparent in bit-transparency mode.
    ColorRef GetTransparentColor() const;
    // Makes `color` the one transparent colour (colour types 0, 2 and 3).
    void SetTransparentColor(ColorRef color);
    // Turns the grey value of a 2-bit image into that of its 4-bit form.
    void WidenGraySample();

private:
    void WriteSamplesAsEncoded();
};

class TChunkgAMA : public TChunkOf<TChunkgAMA, "gAMA"> {
public:
    explicit TChunkgAMA(TPNGObject& owner);

    void Assign(const TChunk& source) override;
    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;

    std::uint32_t Gamma() const;
    void SetGamma(std::uint32_t value);
};

// The time stamp of a tIME chunk.
struct TPngTime {
    std::uint16_t Year = 0;
    std::uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class TChunktIME : public TChunkWith<TChunktIME, "tIME", TPngTime> {
public:
    using TChunkWith::TChunkWith;

    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;
};

// The content of a tEXt or zTXt chunk.
struct TPngText {
    std::string Keyword;
    std::string Text;
};

class TChunktEXt : public TChunkWith<TChunktEXt, "tEXt", TPngText> {
public:
    using TChunkWith::TChunkWith;

    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;
};

class TChunkzTXt : public TChunkOf<TChunkzTXt, "zTXt", TChunktEXt> {
public:
    using TChunkOf::TChunkOf;

    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;
};

// The pixel size of a pHYs chunk.
struct TPngPixelSize {
    std::uint32_t PPUnitX = 0;
    std::uint32_t PPUnitY = 0;
    TUnitType UnitType = TUnitType::utUnknown;
};

class TChunkpHYs : public TChunkWith<TChunkpHYs, "pHYs", TPngPixelSize> {
public:
    using TChunkWith::TChunkWith;

    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;
};

}  // namespace tessolo
