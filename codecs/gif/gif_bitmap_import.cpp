// Making a frame from a bitmap: palette bitmaps keep their indices and
// colours; others are reduced to at most 256 colours first. A transparent
// source (a colour key, or alpha 0) marks its transparent pixels with an
// added colour.
#include "codecs/gif/GIFImage.h"

#include "codecs/gif/color_reduction.h"
#include "codecs/gif/dib.h"
#include "platform/alpha.h"
#include "platform/packed_pixels.h"

namespace tessolo {

namespace {

// Exact colours of a 24-bit row into the colour map, with a cache of the
// eight most recently used colours in front of the map search.
class ColorIndexer {
public:
    explicit ColorIndexer(TGIFColorMap& map) : map_(map) {}

    int IndexOf(ColorRef color)
    {
        for (int n = 0, slot = last_; n < 8 && used_[slot]; ++n, slot = (slot + 7) % 8)
            if (colors_[slot] == color) {
                last_ = slot;
                return indices_[slot];
            }
        int index = map_.AddUnique(color);
        last_ = (last_ + 1) % 8;
        colors_[last_] = color;
        indices_[last_] = index;
        used_[last_] = true;
        return index;
    }

private:
    TGIFColorMap& map_;
    ColorRef colors_[8] = {};
    int indices_[8] = {};
    bool used_[8] = {};
    int last_ = 0;
};

}  // namespace

void TGIFSubImage::Assign(const Bitmap& original)
{
    Clear();
    if (original.Empty())
        return;
    // A sheet with alpha is blended straight into a 24-bit copy, which goes
    // as soon as its colours are reduced: a large sheet is not held twice.
    Bitmap flattened;
    if (original.HasAlpha)
        FlattenOverWhite(original, flattened);
    const Bitmap& bitmap = original.HasAlpha ? flattened : original;
    SetBounds(0, 0, bitmap.Width(), bitmap.Height());
    Bitmap reduced;
    const Bitmap* source = &bitmap;
    if (!HasPalette(bitmap.Format())) {
        reduced = ReduceColors(bitmap, image_->ColorReduction, image_->DitherMode, image_->ReductionBits);
        source = &reduced;
        if (original.HasAlpha)
            flattened = Bitmap();
    }
    AllocateData(0);
    GIFProgress progress(*image_, gifmsg::sProgressConverting);
    PixelFormat format = HasPalette(source->Format()) ? source->Format() : PixelFormat::Bits24;
    TDIBReader reader(*source, format);
    if (format == PixelFormat::Bits8)
        ColorMap.ImportDIBColors(reader.Source());
    else if (format != PixelFormat::Bits24)
        ColorMap.ImportPalette(reader.Source().Palette());
    ColorIndexer indexer(ColorMap);
    int width = Width();
    for (int y = 0; y < Height(); ++y) {
        const std::uint8_t* in = reader.ScanLine(y);
        std::uint8_t* out = data_.data() + std::size_t(y) * std::size_t(width);
        switch (format) {
        case PixelFormat::Bits8: std::copy(in, in + width, out); break;
        case PixelFormat::Bits4:
        case PixelFormat::Bits1:
            for (int x = 0; x < width; ++x)
                out[x] = std::uint8_t(PackedIndex(in, std::size_t(x), BitsPerPixel(format)));
            break;
        default:
            for (int x = 0; x < width; ++x)
                out[x] = std::uint8_t(indexer.IndexOf(MakeColor(in[3 * x + 2], in[3 * x + 1], in[3 * x])));
            break;
        }
        progress.Row(y, Height());
    }
    if (original.HasAlpha)
        ApplyTransparency([&](int x, int y) { return AlphaAt(original.ScanLine(y), x) == 0; });
    else if (bitmap.Transparent)
        ApplyTransparency([&](int x, int y) { return bitmap.Pixel(x, y) == bitmap.TransparentColor; });
}

template <class IsClear>
void TGIFSubImage::ApplyTransparency(IsClear&& isClear)
{
    ColorMap.Optimize();
    if (ColorMap.Count() == 0 || ColorMap.Count() == 256)
        return;
    int index = ColorMap.Add(kBlack);
    bool marked = false;
    for (int y = 0; y < Height(); ++y)
        for (int x = 0; x < Width(); ++x)
            if (isClear(x, y)) {
                data_[std::size_t(y) * std::size_t(Width()) + std::size_t(x)] = std::uint8_t(index);
                marked = true;
            }
    if (!marked) {
        ColorMap.Delete(index);
        return;
    }
    auto gce = std::make_unique<TGIFGraphicControlExtension>(*this);
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(index);
    Extensions.Add(std::move(gce));
}

}  // namespace tessolo
