// Making a frame from a bitmap: palette bitmaps keep their indices and
// colours; others are reduced to at most 256 colours a row at a time,
// straight into the frame's pixels, or for a sheet made again row by row as
// the file is written. A transparent source (a colour key, or alpha 0)
// marks its transparent pixels with an added colour.
#include "codecs/gif/GIFImage.h"

#include "codecs/gif/color_reduction.h"
#include "platform/alpha.h"
#include "platform/packed_pixels.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace tessolo {

namespace {

// Exact colours to map indices through `find`, with a cache of the eight
// most recently used colours in front of it.
class ColorIndexer {
public:
    explicit ColorIndexer(std::function<int(ColorRef)> find) : find_(std::move(find)) {}

    int IndexOf(ColorRef color)
    {
        for (int n = 0, slot = last_; n < 8 && used_[slot]; ++n, slot = (slot + 7) % 8)
            if (colors_[slot] == color) {
                last_ = slot;
                return indices_[slot];
            }
        int index = find_(color);
        last_ = (last_ + 1) % 8;
        colors_[last_] = color;
        indices_[last_] = index;
        used_[last_] = true;
        return index;
    }

private:
    std::function<int(ColorRef)> find_;
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

// The palette indices of a bitmap's rows as a frame takes them, from the top:
// a palette bitmap's own, else its colours reduced with the image's settings
// (quantising makes its palette from a 24-bit copy, as it needs every
// pixel), or its exact colours through `exact`.
class FrameRows {
public:
    FrameRows(const Bitmap& original, const TGIFImage& image, std::function<int(ColorRef)> exact)
        : original_(original), method_(image.ColorReduction), indexer_(std::move(exact))
    {
        if (HasPalette(original.Format()))
            return;
        if (TRowReducer::NeedsWholeBitmap(method_)) {
            whole_.emplace();
            if (original.HasAlpha)
                FlattenOverWhite(original, *whole_);
            else
                *whole_ = original.ConvertTo(PixelFormat::Bits24);
        }
        rows_.emplace(whole_ ? *whole_ : original);
        reducer_.emplace(method_, image.DitherMode, image.ReductionBits, original.Width(),
                         whole_ ? &*whole_ : nullptr);
        if (method_ != rmNone && !reducer_->Valid())
            throw GIFException(gifmsg::sInvalidColorReduction);
    }

    // The colours the indices refer to, when they are not exact colours.
    std::optional<std::vector<ColorRef>> Palette() const
    {
        if (HasPalette(original_.Format()))
            return original_.Palette();
        if (method_ != rmNone)
            return reducer_->Palette();
        return std::nullopt;
    }

    // Writes the next row's indices.
    void Next(std::uint8_t* out)
    {
        const int y = y_++, width = original_.Width();
        if (HasPalette(original_.Format())) {
            const std::uint8_t* in = original_.ScanLine(y);
            const PixelFormat format = original_.Format();
            if (format == PixelFormat::Bits8)
                std::copy(in, in + width, out);
            else
                for (int x = 0; x < width; ++x)
                    out[x] = std::uint8_t(PackedIndex(in, std::size_t(x), BitsPerPixel(format)));
            return;
        }
        const std::uint8_t* in = rows_->Of(y);
        if (method_ != rmNone)
            return reducer_->Reduce(in, out);
        for (int x = 0; x < width; ++x)
            out[x] = std::uint8_t(indexer_.IndexOf(MakeColor(in[3 * x + 2], in[3 * x + 1], in[3 * x])));
    }

private:
    const Bitmap& original_;
    const TColorReduction method_;
    std::optional<Bitmap> whole_;
    std::optional<TrueColorRows> rows_;
    std::optional<TRowReducer> reducer_;
    ColorIndexer indexer_;
    int y_ = 0;
};

// Which pixels of a bitmap a frame marks transparent: alpha 0, or its
// transparent colour; none when it has neither.
std::function<bool(int, int)> ClearPixels(const Bitmap& bitmap)
{
    if (bitmap.HasAlpha)
        return [&bitmap](int x, int y) { return AlphaAt(bitmap.ScanLine(y), x) == 0; };
    if (bitmap.Transparent)
        return [&bitmap](int x, int y) { return bitmap.Pixel(x, y) == bitmap.TransparentColor; };
    return nullptr;
}

}  // namespace

void TGIFSubImage::Assign(const Bitmap& original)
{
    Clear();
    if (original.Empty())
        return;
    SetBounds(0, 0, original.Width(), original.Height());
    AllocateData(0);
    GIFProgress progress(*image_, gifmsg::sProgressConverting);
    FrameRows rows(original, *image_, [this](ColorRef color) { return ColorMap.AddUnique(color); });
    if (const auto palette = rows.Palette())
        ColorMap.ImportPalette(*palette);
    for (int y = 0; y < Height(); ++y) {
        rows.Next(data_.data() + std::size_t(y) * std::size_t(Width()));
        progress.Row(y, Height());
    }
    if (const auto isClear = ClearPixels(original))
        ApplyTransparency(isClear);
}

void TGIFSubImage::AssignRowByRow(const Bitmap& original)
{
    Clear();
    if (original.Empty())
        return;
    SetBoundsWithoutData(0, 0, original.Width(), original.Height());
    const std::function<bool(int, int)> isClear = ClearPixels(original);
    // The rows are made once to count each colour's use, and again when written.
    bool anyClear = false;
    {
        GIFProgress progress(*image_, gifmsg::sProgressConverting);
        FrameRows rows(original, *image_, [this](ColorRef color) { return ColorMap.AddUnique(color); });
        if (const auto palette = rows.Palette())
            ColorMap.ImportPalette(*palette);
        counted_.assign(256, 0);
        std::vector<std::uint8_t> row(static_cast<std::size_t>(Width()));
        for (int y = 0; y < Height(); ++y) {
            rows.Next(row.data());
            for (int x = 0; x < Width(); ++x) {
                ++counted_[row[std::size_t(x)]];
                anyClear = anyClear || (isClear && isClear(x, y));
            }
            progress.Row(y, Height());
        }
    }
    // Exact colours are found again in the map as it was before sorting.
    std::map<ColorRef, int> exact;
    const std::vector<ColorRef> colors = ColorMap.ExportPalette();
    for (std::size_t i = 0; i < colors.size(); ++i)
        exact.emplace(colors[i], int(i));
    for (int i = 0; i < 256; ++i)
        renumbered_[std::size_t(i)] = std::uint8_t(i);
    const int clearIndex = isClear ? AddTransparentEntry(anyClear) : -1;
    counted_.clear();
    std::shared_ptr<FrameRows> rows;
    auto find = [exact = std::move(exact)](ColorRef color) { return exact.at(color); };
    rowSource_ = [this, &original, isClear, clearIndex, find, rows](int y, std::uint8_t* out) mutable {
        if (y == 0)
            rows = std::make_shared<FrameRows>(original, *image_, find);
        rows->Next(out);
        for (int x = 0; x < Width(); ++x) {
            out[x] = renumbered_[out[x]];
            if (clearIndex >= 0 && isClear(x, y))
                out[x] = std::uint8_t(clearIndex);
        }
    };
}

template <class IsClear>
void TGIFSubImage::ApplyTransparency(IsClear&& isClear)
{
    bool anyClear = false;
    for (int y = 0; y < Height() && !anyClear; ++y)
        for (int x = 0; x < Width() && !anyClear; ++x)
            anyClear = isClear(x, y);
    const int index = AddTransparentEntry(anyClear);
    if (index < 0)
        return;
    for (int y = 0; y < Height(); ++y)
        for (int x = 0; x < Width(); ++x)
            if (isClear(x, y))
                data_[std::size_t(y) * std::size_t(Width()) + std::size_t(x)] = std::uint8_t(index);
}

int TGIFSubImage::AddTransparentEntry(bool anyClear)
{
    ColorMap.Optimize();
    if (ColorMap.Count() == 0 || ColorMap.Count() == 256)
        return -1;
    // Adding and taking the entry back again leaves the map unsorted, as
    // the map of a frame without clear pixels has always been written.
    const int index = ColorMap.Add(kBlack);
    if (!anyClear) {
        ColorMap.Delete(index);
        return -1;
    }
    auto gce = std::make_unique<TGIFGraphicControlExtension>(*this);
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(index);
    Extensions.Add(std::move(gce));
    return index;
}

}  // namespace tessolo
