// Making a frame from a bitmap: palette bitmaps keep their indices and
// colours; others are reduced to at most 256 colours a row at a time,
// straight into the frame's pixels (the quantisers from a 24-bit copy, as
// their palette needs every pixel). A transparent
// source (a colour key, or alpha 0) marks its transparent pixels with an
// added colour.
#include "codecs/gif/GIFImage.h"

#include "codecs/gif/color_reduction.h"
#include "platform/alpha.h"
#include "platform/packed_pixels.h"

#include <algorithm>
#include <optional>

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

// The rows of a bitmap without a palette in 24 bits, blended over white
// when it has alpha, made one at a time: a large sheet is not copied.
class TrueColorRows {
public:
    explicit TrueColorRows(const Bitmap& bitmap) : bitmap_(bitmap), row_(bitmap) {}

    const std::uint8_t* Of(int y)
    {
        if (bitmap_.Format() == PixelFormat::Bits24)
            return bitmap_.ScanLine(y);
        if (bitmap_.HasAlpha)
            FlattenOverWhite(row_.Of(y), converted_);
        else
            converted_ = row_.Of(y).ConvertTo(PixelFormat::Bits24);
        return converted_.ScanLine(0);
    }

private:
    const Bitmap& bitmap_;
    BitmapRow row_;
    Bitmap converted_;
};

}  // namespace

void TGIFSubImage::Assign(const Bitmap& original)
{
    Clear();
    if (original.Empty())
        return;
    SetBounds(0, 0, original.Width(), original.Height());
    AllocateData(0);
    GIFProgress progress(*image_, gifmsg::sProgressConverting);
    const int width = Width();
    auto rowOut = [&](int y) { return data_.data() + std::size_t(y) * std::size_t(width); };
    if (HasPalette(original.Format())) {
        ColorMap.ImportPalette(original.Palette());
        const PixelFormat format = original.Format();
        for (int y = 0; y < Height(); ++y) {
            const std::uint8_t* in = original.ScanLine(y);
            std::uint8_t* out = rowOut(y);
            if (format == PixelFormat::Bits8)
                std::copy(in, in + width, out);
            else
                for (int x = 0; x < width; ++x)
                    out[x] = std::uint8_t(PackedIndex(in, std::size_t(x), BitsPerPixel(format)));
            progress.Row(y, Height());
        }
    } else {
        // Quantising needs the whole sheet in 24 bits for its palette; the
        // other reductions go a row at a time.
        const TColorReduction method = image_->ColorReduction;
        std::optional<Bitmap> whole;
        if (TRowReducer::NeedsWholeBitmap(method)) {
            whole.emplace();
            if (original.HasAlpha)
                FlattenOverWhite(original, *whole);
            else
                *whole = original.ConvertTo(PixelFormat::Bits24);
        }
        TrueColorRows rows(whole ? *whole : original);
        TRowReducer reducer(method, image_->DitherMode, image_->ReductionBits, width, whole ? &*whole : nullptr);
        if (method != rmNone && !reducer.Valid())
            throw GIFException(gifmsg::sInvalidColorReduction);
        if (method != rmNone)
            ColorMap.ImportPalette(reducer.Palette());
        ColorIndexer indexer(ColorMap);
        for (int y = 0; y < Height(); ++y) {
            const std::uint8_t* in = rows.Of(y);
            std::uint8_t* out = rowOut(y);
            if (method != rmNone)
                reducer.Reduce(in, out);
            else
                for (int x = 0; x < width; ++x)
                    out[x] = std::uint8_t(indexer.IndexOf(MakeColor(in[3 * x + 2], in[3 * x + 1], in[3 * x])));
            progress.Row(y, Height());
        }
    }
    if (original.HasAlpha)
        ApplyTransparency([&](int x, int y) { return AlphaAt(original.ScanLine(y), x) == 0; });
    else if (original.Transparent)
        ApplyTransparency([&](int x, int y) { return original.Pixel(x, y) == original.TransparentColor; });
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
