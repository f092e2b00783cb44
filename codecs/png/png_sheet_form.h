// The smallest lossless PNG form of a sheet: which colour type and bit depth
// hold every pixel exactly, and the palette when there is one. Used by the
// optimised sheet encoder.
#pragma once

#include "codecs/png/png_types.h"
#include "platform/bitmap.h"

#include <cstdint>
#include <vector>

namespace tessolo {

// A pixel as red, green, blue and straight alpha, red in the low byte.
using Rgba = std::uint32_t;

constexpr Rgba MakeRgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
{
    return Rgba(r) | Rgba(g) << 8 | Rgba(b) << 16 | Rgba(a) << 24;
}
constexpr std::uint8_t AlphaOf(Rgba c) { return std::uint8_t(c >> 24); }

// Reads row `y` of the sheet: 24-bit and other pixels are opaque; 32-bit
// pixels carry their fourth byte as alpha only when the bitmap HasAlpha.
// Fully transparent pixels read as 0 whatever their colour: it shows
// nowhere, and one such colour makes fewer palette entries and longer runs.
void ReadRgbaRow(const Bitmap& sheet, int y, Rgba* row);

// Looks up the palette index of a colour; holds at most 256 colours.
class ColorIndex {
public:
    ColorIndex();
    // The colour's index, or -1 when it is not in the table.
    int Find(Rgba color) const;
    // Adds a colour not in the table; false when the table is full.
    bool Add(Rgba color, int index);

private:
    static constexpr int kSlotBits = 10;  // 1 024 slots: at most a quarter used
    struct Slot {
        Rgba color = 0;
        int index = -1;
    };
    static std::size_t SlotOf(Rgba color);
    std::vector<Slot> slots_;
};

struct PngSheetForm {
    int colorType = kColorRGB;
    int bitDepth = 8;
    // Palette images: the entries, every one with alpha below 255 first, so
    // that the tRNS table is as short as it can be.
    std::vector<Rgba> palette;
    int translucentEntries = 0;  // entries that the tRNS table lists
};

// Looks at every pixel once and lists the forms worth compressing to find
// the smallest file. First the smallest form: a palette of the smallest
// depth (1, 2, 4 or 8 bits) for at most 256 colours, unless the sheet is
// opaque grey and greyscale needs no more bits; greyscale of the smallest
// exact depth when every pixel is grey and opaque; grey + alpha for grey
// with more than 256 colours and some transparency; else RGB, or RGB +
// alpha when any pixel is not opaque. Then, for a palette of more than 16
// colours, the same palette in order of how often each colour is used and
// in order of brightness, as these change what the row filters see, and
// unless `keepPalette` the sheet without a palette (RGB, RGB + alpha, grey
// or grey + alpha), since filtered colours can beat indexes.
std::vector<PngSheetForm> SheetFormCandidates(const Bitmap& sheet, bool keepPalette);

}  // namespace tessolo
