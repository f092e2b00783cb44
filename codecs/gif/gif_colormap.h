// Colour tables of a GIF: entries exactly as the file stores them, with the
// operations to build, search, export and optimise them. The global map
// belongs to the header, a local map to one frame; the subclasses know which
// frames use them.
#pragma once

#include "codecs/gif/gif_stream.h"
#include "codecs/gif/gif_types.h"

#include <string>
#include <vector>

namespace tessolo {

// One entry of a usage histogram: how often colour `Index` is used.
struct TUsageCount {
    int Count = 0;
    int Index = 0;
};
using TUsageCountArray = TUsageCount[256];

class TGIFColorMap {
public:
    virtual ~TGIFColorMap() = default;
    TGIFColorMap() = default;
    TGIFColorMap(const TGIFColorMap&) = delete;
    TGIFColorMap& operator=(const TGIFColorMap&) = delete;

    int Count() const { return int(colors_.size()); }
    const TGIFColor& operator[](int index) const { return colors_[std::size_t(index)]; }
    const std::vector<TGIFColor>& Colors() const { return colors_; }
    // Entries are sorted by decreasing use; written as the sort flag.
    bool Optimized = false;

    void Clear();
    // Appends a colour and returns its index; "Color table overflow" at 256 entries.
    int Add(ColorRef color);
    int AddUnique(ColorRef color);
    // Exact match, or -1.
    int IndexOf(ColorRef color) const;
    void Delete(int index);
    // Out-of-range indices warn and give entry 0.
    ColorRef GetColor(int index);

    // The entries as a palette; empty for an empty map.
    std::vector<ColorRef> ExportPalette() const;
    void ImportPalette(const std::vector<ColorRef>& palette);
    // Takes the colour table of a palette bitmap (all entries it holds).
    void ImportDIBColors(const Bitmap& bitmap);
    void Assign(const TGIFColor* colors, int count, bool optimized);
    void Assign(const TGIFColorMap& source) { Assign(source.colors_.data(), source.Count(), source.Optimized); }

    // Smallest b >= 1 with 2^b >= Count(); 0 for an empty map.
    int BitsPerPixel() const;

    // Sorts the entries by decreasing use over the frames that use this map,
    // remaps those frames and drops unused entries at the end.
    void Optimize();

    void LoadFromStream(GIFInputStream& stream, int count);
    // Writes the entries padded with black to 2^BitsPerPixel() entries.
    void SaveToStream(GIFOutputStream& stream) const;

protected:
    virtual void Warning(TGIFSeverity severity, const std::string& message) = 0;
    virtual void BuildHistogram(TUsageCountArray& histogram) = 0;
    virtual void MapImages(const std::uint8_t* translation) = 0;
    virtual void Changed() = 0;

private:
    std::vector<TGIFColor> colors_;
};

}  // namespace tessolo
