// The chunk classes other than IHDR and IDAT: end marker, palette,
// transparency, gamma, time stamp, texts and physical pixel size.
#pragma once

#include "codecs/png/png_chunk.h"
#include "platform/bitmap.h"

#include <array>
#include <string>

namespace tessolo {

class TChunkIEND : public TChunk {
public:
    using TChunk::TChunk;
    static const TChunkClass kClass;
    const TChunkClass& Class() const override { return kClass; }
};

class TChunkPLTE : public TChunk {
public:
    using TChunk::TChunk;
    static const TChunkClass kClass;
    const TChunkClass& Class() const override { return kClass; }

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

class TChunktRNS : public TChunk {
public:
    using TChunk::TChunk;
    static const TChunkClass kClass;
    const TChunkClass& Class() const override { return kClass; }

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

class TChunkgAMA : public TChunk {
public:
    explicit TChunkgAMA(TPNGObject& owner);
    static const TChunkClass kClass;
    const TChunkClass& Class() const override { return kClass; }

    void Assign(const TChunk& source) override;
    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;

    std::uint32_t Gamma() const;
    void SetGamma(std::uint32_t value);
};

class TChunktIME : public TChunk {
public:
    using TChunk::TChunk;
    static const TChunkClass kClass;
    const TChunkClass& Class() const override { return kClass; }

    void Assign(const TChunk& source) override;
    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;

    std::uint16_t Year = 0;
    std::uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class TChunktEXt : public TChunk {
public:
    using TChunk::TChunk;
    static const TChunkClass kClass;
    const TChunkClass& Class() const override { return kClass; }

    void Assign(const TChunk& source) override;
    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;

    std::string Keyword;
    std::string Text;
};

class TChunkzTXt : public TChunktEXt {
public:
    using TChunktEXt::TChunktEXt;
    static const TChunkClass kClass;
    const TChunkClass& Class() const override { return kClass; }

    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;
};

class TChunkpHYs : public TChunk {
public:
    using TChunk::TChunk;
    static const TChunkClass kClass;
    const TChunkClass& Class() const override { return kClass; }

    void Assign(const TChunk& source) override;
    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override;
    bool SaveToStream(Bytes& stream) override;

    std::uint32_t PPUnitX = 0;
    std::uint32_t PPUnitY = 0;
    TUnitType UnitType = TUnitType::utUnknown;
};

}  // namespace tessolo
