// The chunk classes other than IHDR and IDAT: end marker, palette,
// transparency, gamma, time stamp, texts and physical pixel size.
#pragma once

#include "codecs/png/png_chunk.h"
#include "platform/bitmap.h"

#include <array>
#include <string>

namespace tessolo {

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

class TChunktRNS : public TChunkOf<TChunktRNS, "tRNS"> {
public:
    using TChunkOf::TChunkOf;

    void Assign(const TChunk& source) override;
    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;

    // The colour drawn transparent in bit-transparency mode.
    ColorRef GetTransparentColor() const;
    // Makes `color` the one transparent colour (colour types 0, 2 and 3).
    void SetTransparentColor(ColorRef color);
    // Turns the grey value of a 2-bit image into that of its 4-bit form.
    void WidenGraySample();

    bool BitTransparency = false;
    // The chunk's content: alpha of each palette index (255 beyond the data
    // read), or the transparent sample values of gray and RGB images.
    std::array<std::uint8_t, 256> PaletteValues{};

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

class TChunktIME : public TChunkOf<TChunktIME, "tIME">, public TPngTime {
public:
    using TChunkOf::TChunkOf;

    void Assign(const TChunk& source) override;
    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;
};

class TChunktEXt : public TChunkOf<TChunktEXt, "tEXt"> {
public:
    using TChunkOf::TChunkOf;

    void Assign(const TChunk& source) override;
    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;

    std::string Keyword;
    std::string Text;
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

class TChunkpHYs : public TChunkOf<TChunkpHYs, "pHYs">, public TPngPixelSize {
public:
    using TChunkOf::TChunkOf;

    void Assign(const TChunk& source) override;
    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;
};

}  // namespace tessolo
