// Small value types shared by the PNG codec's classes.
#pragma once

#include <array>
#include <cstdint>

namespace tessolo {

// Row filters, numbered as in the file format.
enum TFilter : std::uint8_t { pfNone = 0, pfSub = 1, pfUp = 2, pfAverage = 3, pfPaeth = 4 };

// A set of row filters: bit n stands for filter n.
using TFilters = std::uint8_t;
constexpr TFilters FilterSet(TFilter f) { return TFilters(1u << f); }
constexpr bool Contains(TFilters set, TFilter f) { return (set & FilterSet(f)) != 0; }
constexpr TFilters kAllFilters = 0x1F;

enum class TInterlaceMethod : std::uint8_t { imNone = 0, imAdam7 = 1 };

enum class TPNGTransparencyMode { ptmNone, ptmBit, ptmPartial };

// Units of pHYs; a file's other unit bytes are kept as read.
enum class TUnitType : std::uint8_t { utUnknown = 0, utMeter = 1 };

using TChunkName = std::array<char, 4>;

// Colour types of the header.
constexpr int kColorGrayscale = 0;
constexpr int kColorRGB = 2;
constexpr int kColorPalette = 3;
constexpr int kColorGrayscaleAlpha = 4;
constexpr int kColorRGBAlpha = 6;

// A rectangle given by its edges; right and bottom are exclusive.
struct PngRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

}  // namespace tessolo
