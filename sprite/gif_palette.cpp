#include "sprite/gif_palette.h"

#include "codecs/png/png_quantize.h"
#include "platform/alpha.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace tessolo {

namespace {

// A colour that none of `palette` is, for the transparent pixels.
ColorRef UnusedColor(const std::vector<ColorRef>& palette)
{
    ColorRef color = 0;
    while (std::ranges::find(palette, color) != palette.end())
        ++color;
    return color;
}

}  // namespace

Bitmap QuantizedGifSheet(const Bitmap& sheet)
{
    const bool alpha = sheet.HasAlpha && sheet.Format() == PixelFormat::Bits32;
    Bitmap flat = sheet;
    FlattenOverWhite(flat);
    const Bitmap reduced = QuantizedSheet(flat, alpha ? kMaxPaletteColors - 2 : kMaxPaletteColors, false);
    Bitmap indexed(sheet.Width(), sheet.Height(), PixelFormat::Bits8);
    std::vector<ColorRef> palette;
    std::unordered_map<ColorRef, int> indexOf;
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < sheet.Width(); ++x)
            if (indexOf.try_emplace(reduced.Pixel(x, y), int(palette.size())).second)
                palette.push_back(reduced.Pixel(x, y));
    if (alpha) {
        indexed.Transparent = true;
        indexed.TransparentColor = UnusedColor(palette);
        palette.push_back(indexed.TransparentColor);
    }
    indexed.SetPalette(palette);
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < sheet.Width(); ++x) {
            const bool clear = alpha && AlphaAt(sheet.ScanLine(y), x) == 0;
            indexed.SetPixelIndex(x, y, clear ? int(palette.size()) - 1 : indexOf[reduced.Pixel(x, y)]);
        }
    return indexed;
}

}  // namespace tessolo
