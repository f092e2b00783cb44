#include "codecs/png/png_sheet_form.h"

#include <algorithm>

namespace tessolo {

namespace {

constexpr int kMaxPaletteColors = 256;

// The smallest greyscale depth that holds `level` exactly: 1 bit for 0 and
// 255, 2 bits for multiples of 85, 4 bits for multiples of 17, else 8.
int GreyDepthOf(std::uint8_t level)
{
    if (level % 255 == 0)
        return 1;
    if (level % 85 == 0)
        return 2;
    if (level % 17 == 0)
        return 4;
    return 8;
}

int PaletteDepthFor(std::size_t colors)
{
    for (int depth : {1, 2, 4})
        if (colors <= std::size_t(1) << depth)
            return depth;
    return 8;
}

bool IsGrey(Rgba c) { return RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c); }

// What one pass over the pixels tells.
struct SheetCensus {
    bool grey = true;
    bool translucent = false;  // some alpha below 255
    int greyDepth = 1;
    bool manyColors = false;   // more than 256
    std::vector<Rgba> colors;  // in order of first appearance, while not many
    std::vector<std::size_t> uses;  // pixels of each of `colors`
};

SheetCensus TakeCensus(const Bitmap& sheet)
{
    SheetCensus census;
    ColorIndex seen;
    std::vector<Rgba> row(std::size_t(sheet.Width()));
    Rgba last = 0;
    bool haveLast = false;
    int lastIndex = -1;
    for (int y = 0; y < sheet.Height(); ++y) {
        ReadRgbaRow(sheet, y, row.data());
        for (Rgba c : row) {
            if (haveLast && c == last) {
                if (lastIndex >= 0)
                    ++census.uses[std::size_t(lastIndex)];
                continue;
            }
            last = c;
            haveLast = true;
            census.translucent |= AlphaOf(c) != 255;
            if (census.grey) {
                census.grey = IsGrey(c);
                census.greyDepth = std::max(census.greyDepth, GreyDepthOf(RedOf(c)));
            }
            lastIndex = census.manyColors ? -1 : seen.Find(c);
            if (!census.manyColors && lastIndex < 0) {
                lastIndex = int(census.colors.size());
                census.manyColors = !seen.Add(c, lastIndex);
                if (census.manyColors) {
                    census.colors.clear();
                    census.uses.clear();
                    lastIndex = -1;
                } else {
                    census.colors.push_back(c);
                    census.uses.push_back(0);
                }
            }
            if (lastIndex >= 0)
                ++census.uses[std::size_t(lastIndex)];
            if (census.manyColors && !census.grey && census.translucent)
                return census;  // nothing left to learn: RGB + alpha
        }
    }
    return census;
}

PngSheetForm PaletteForm(const std::vector<Rgba>& colors)
{
    PngSheetForm form;
    form.colorType = kColorPalette;
    form.bitDepth = PaletteDepthFor(colors.size());
    form.palette = colors;
    auto opaque = std::stable_partition(form.palette.begin(), form.palette.end(),
                                        [](Rgba c) { return AlphaOf(c) != 255; });
    form.translucentEntries = int(opaque - form.palette.begin());
    return form;
}

}  // namespace

void ReadRgbaRow(const Bitmap& sheet, int y, Rgba* row)
{
    const std::uint8_t* p = sheet.ScanLine(y);
    int width = sheet.Width();
    if (sheet.Format() == PixelFormat::Bits24) {
        for (int x = 0; x < width; ++x, p += 3)
            row[x] = MakeRgba(p[2], p[1], p[0], 255);
    } else if (sheet.Format() == PixelFormat::Bits32) {
        for (int x = 0; x < width; ++x, p += 4) {
            const std::uint8_t alpha = sheet.HasAlpha ? p[3] : 255;
            row[x] = alpha == 0 ? 0 : MakeRgba(p[2], p[1], p[0], alpha);
        }
    } else {
        for (int x = 0; x < width; ++x) {
            ColorRef c = sheet.Pixel(x, y);
            row[x] = MakeRgba(RedOf(c), GreenOf(c), BlueOf(c), 255);
        }
    }
}

ColorIndex::ColorIndex() : slots_(std::size_t(1) << kSlotBits) {}

std::size_t ColorIndex::SlotOf(Rgba color)
{
    return std::size_t((color * 0x9E3779B1u) >> (32 - kSlotBits));
}

int ColorIndex::Find(Rgba color) const
{
    for (std::size_t s = SlotOf(color);; s = (s + 1) & (slots_.size() - 1)) {
        if (slots_[s].index < 0)
            return -1;
        if (slots_[s].color == color)
            return slots_[s].index;
    }
}

bool ColorIndex::Add(Rgba color, int index)
{
    if (index >= kMaxPaletteColors)
        return false;
    std::size_t s = SlotOf(color);
    while (slots_[s].index >= 0)
        s = (s + 1) & (slots_.size() - 1);
    slots_[s] = {color, index};
    return true;
}

namespace {

// The form without a palette.
PngSheetForm DirectForm(const SheetCensus& census)
{
    PngSheetForm form;
    form.colorType = census.grey ? (census.translucent ? kColorGrayscaleAlpha : kColorGrayscale)
                                 : (census.translucent ? kColorRGBAlpha : kColorRGB);
    form.bitDepth = census.grey && !census.translucent ? census.greyDepth : 8;
    return form;
}

PngSheetForm BestForm(const SheetCensus& census)
{
    if (census.grey && !census.translucent &&
        (census.manyColors || PaletteDepthFor(census.colors.size()) >= census.greyDepth))
        return DirectForm(census);
    return census.manyColors ? DirectForm(census) : PaletteForm(census.colors);
}

// The census's colours, most used first or brightest first.
std::vector<Rgba> ColorsByUse(const SheetCensus& census)
{
    std::vector<std::size_t> order(census.colors.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return census.uses[a] > census.uses[b]; });
    std::vector<Rgba> colors;
    for (std::size_t i : order)
        colors.push_back(census.colors[i]);
    return colors;
}

std::vector<Rgba> ColorsByBrightness(std::vector<Rgba> colors)
{
    auto key = [](Rgba c) {
        return std::uint64_t(AlphaOf(c)) << 32 | (299u * RedOf(c) + 587u * GreenOf(c) + 114u * BlueOf(c));
    };
    std::stable_sort(colors.begin(), colors.end(), [&](Rgba a, Rgba b) { return key(a) < key(b); });
    return colors;
}

}  // namespace

std::vector<PngSheetForm> SheetFormCandidates(const Bitmap& sheet, bool keepPalette)
{
    SheetCensus census = TakeCensus(sheet);
    std::vector<PngSheetForm> forms{BestForm(census)};
    if (forms[0].colorType == kColorPalette && census.colors.size() > 16) {
        forms.push_back(PaletteForm(ColorsByUse(census)));
        forms.push_back(PaletteForm(ColorsByBrightness(census.colors)));
        if (!keepPalette)
            forms.push_back(DirectForm(census));
    }
    return forms;
}

}  // namespace tessolo
