#include "codecs/gif/gif_colormap.h"

#include "codecs/gif/gif_messages.h"

#include <algorithm>

namespace tessolo {

void TGIFColorMap::Clear()
{
    colors_.clear();
    Optimized = false;
    Changed();
}

int TGIFColorMap::Add(ColorRef color)
{
    if (colors_.size() >= 256)
        throw GIFException(gifmsg::sTooManyColors);
    colors_.push_back(ToGIFColor(color));
    Optimized = false;
    Changed();
    return Count() - 1;
}

int TGIFColorMap::AddUnique(ColorRef color)
{
    int index = IndexOf(color);
    return index >= 0 ? index : Add(color);
}

int TGIFColorMap::IndexOf(ColorRef color) const
{
    TGIFColor c = ToGIFColor(color);
    auto same = [&](const TGIFColor& e) { return e.Red == c.Red && e.Green == c.Green && e.Blue == c.Blue; };
    // A sorted map has its most used colours first.
    if (Optimized) {
        for (int i = 0; i < Count(); ++i)
            if (same(colors_[std::size_t(i)]))
                return i;
    } else {
        for (int i = Count() - 1; i >= 0; --i)
            if (same(colors_[std::size_t(i)]))
                return i;
    }
    return -1;
}

void TGIFColorMap::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw GIFException(gifmsg::sBadColorIndex);
    colors_.erase(colors_.begin() + index);
    Changed();
}

ColorRef TGIFColorMap::GetColor(int index)
{
    if (index < 0 || index >= Count()) {
        Warning(gsWarning, gifmsg::sBadColorIndex);
        if (colors_.empty())
            throw GIFException(gifmsg::sEmptyColorMap);
        index = 0;
    }
    return ToColorRef(colors_[std::size_t(index)]);
}

std::vector<ColorRef> TGIFColorMap::ExportPalette() const
{
    std::vector<ColorRef> palette;
    palette.reserve(colors_.size());
    for (const TGIFColor& c : colors_)
        palette.push_back(ToColorRef(c));
    return palette;
}

void TGIFColorMap::ImportPalette(const std::vector<ColorRef>& palette)
{
    colors_.clear();
    for (std::size_t i = 0; i < palette.size() && i < 256; ++i)
        colors_.push_back(ToGIFColor(palette[i]));
    Optimized = false;
    Changed();
}

void TGIFColorMap::ImportDIBColors(const Bitmap& bitmap)
{
    ImportPalette(bitmap.Palette());
}

void TGIFColorMap::Assign(const TGIFColor* colors, int count, bool optimized)
{
    count = std::clamp(count, 0, 256);
    colors_.assign(colors, colors + count);
    Optimized = optimized;
    Changed();
}

int TGIFColorMap::BitsPerPixel() const
{
    if (colors_.empty())
        return 0;
    int bits = 1;
    while ((std::size_t(1) << bits) < colors_.size())
        ++bits;
    return bits;
}

void TGIFColorMap::Optimize()
{
    if (Count() <= 1)
        return;
    Optimized = true;
    TUsageCountArray histogram;
    for (int i = 0; i < 256; ++i)
        histogram[i] = {0, i};
    BuildHistogram(histogram);
    // Equal counts keep their order, so a map in use order stays as it is.
    std::stable_sort(histogram, histogram + Count(),
                     [](const TUsageCount& a, const TUsageCount& b) { return a.Count > b.Count; });
    bool reordered = false;
    for (int i = 0; i < Count(); ++i)
        reordered |= histogram[i].Index != i;
    if (!reordered)
        return;

    std::uint8_t translation[256];
    for (int i = 0; i < 256; ++i)
        translation[i] = std::uint8_t(i);
    std::vector<TGIFColor> sorted(colors_.size());
    int used = 0;
    for (int i = 0; i < Count(); ++i) {
        translation[histogram[i].Index] = std::uint8_t(i);
        sorted[std::size_t(i)] = colors_[std::size_t(histogram[i].Index)];
        if (histogram[i].Count > 0)
            used = i + 1;
    }
    MapImages(translation);
    sorted.resize(std::size_t(used));
    colors_ = std::move(sorted);
    Changed();
}

void TGIFColorMap::LoadFromStream(GIFInputStream& stream, int count)
{
    std::vector<TGIFColor> colors(static_cast<std::size_t>(count));
    stream.Read(colors.data(), colors.size() * 3);
    Assign(colors.data(), count, false);
}

void TGIFColorMap::SaveToStream(GIFOutputStream& stream) const
{
    if (colors_.empty())
        return;
    stream.Write(colors_.data(), colors_.size() * 3);
    for (int i = Count(); i < (1 << BitsPerPixel()); ++i) {
        stream.WriteByte(0);
        stream.WriteByte(0);
        stream.WriteByte(0);
    }
}

}  // namespace tessolo
