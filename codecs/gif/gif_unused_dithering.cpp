// Dithering with error diffusion. The program does not use it: GetDoDither
// holds only for a caller that clears goAutoDither.
#include "codecs/gif/gif_unused_dithering.h"

#include "codecs/gif/GIFImage.h"
#include "codecs/gif/dib.h"
#include "codecs/gif/gif_mask_builder.h"
#include "codecs/gif/system_palettes.h"

#include <algorithm>

namespace tessolo {

// ---- Engines ----

TErrorDiffusionDitherer::TErrorDiffusionDitherer(int width, TColorLookup& lookup, int divisor,
                                                 std::vector<TDiffusionWeight> kernel)
    : TDitherEngine(width, lookup), divisor_(divisor), kernel_(std::move(kernel))
{
    for (const TDiffusionWeight& w : kernel_) {
        reach_ = std::max(reach_, std::abs(w.offset));
        rows_ = std::max(rows_, w.row + 1);
    }
    errors_.assign(std::size_t(3 * rows_ * (width + 2 * reach_)), 0);
}

int& TErrorDiffusionDitherer::Error(int channel, int row, int column)
{
    std::size_t span = std::size_t(width_ + 2 * reach_);
    return errors_[(std::size_t(channel) * std::size_t(rows_) + std::size_t(row)) * span +
                   std::size_t(column + reach_)];
}

int TErrorDiffusionDitherer::Dither(int r, int g, int b)
{
    int in[3] = {r, g, b};
    int wanted[3];
    for (int c = 0; c < 3; ++c) {
        int& error = Error(c, 0, column_);
        wanted[c] = std::clamp(in[c] + (error + divisor_ / 2) / divisor_, 0, 255);
        error = 0;
    }
    int got[3] = {wanted[0], wanted[1], wanted[2]};
    int index = lookup_.Lookup(got[0], got[1], got[2]);
    for (int c = 0; c < 3; ++c) {
        int difference = wanted[c] - got[c];
        for (const TDiffusionWeight& w : kernel_)
            Error(c, w.row, column_ + w.offset * direction_) += difference * w.weight;
    }
    column_ += direction_;
    return index;
}

void TErrorDiffusionDitherer::Skip()
{
    for (int c = 0; c < 3; ++c)
        Error(c, 0, column_) = 0;
    column_ += direction_;
}

void TErrorDiffusionDitherer::NextLine()
{
    // Row buffers move up by one; the oldest, cleared, becomes the last.
    std::size_t span = std::size_t(width_ + 2 * reach_);
    for (int c = 0; c < 3; ++c) {
        auto channel = errors_.begin() + std::ptrdiff_t(std::size_t(c) * std::size_t(rows_) * span);
        std::rotate(channel, channel + std::ptrdiff_t(span), channel + std::ptrdiff_t(std::size_t(rows_) * span));
        std::fill(channel + std::ptrdiff_t(std::size_t(rows_ - 1) * span),
                  channel + std::ptrdiff_t(std::size_t(rows_) * span), 0);
    }
    TDitherEngine::NextLine();
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, 16, {{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}})
{
}

TStuckiDitherer::TStuckiDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup, 42,
                    {{0, 1, 8}, {0, 2, 4},
                     {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},
                     {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1}})
{
}

TSierraDitherer::TSierraDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup, 32,
                    {{0, 1, 5}, {0, 2, 3},
                     {1, -2, 2}, {1, -1, 4}, {1, 0, 5}, {1, 1, 4}, {1, 2, 2},
                     {2, -1, 2}, {2, 0, 3}, {2, 1, 2}})
{
}

TJaJuNiDitherer::TJaJuNiDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup, 48,
                    {{0, 1, 7}, {0, 2, 5},
                     {1, -2, 3}, {1, -1, 5}, {1, 0, 7}, {1, 1, 5}, {1, 2, 3},
                     {2, -2, 1}, {2, -1, 3}, {2, 0, 5}, {2, 1, 3}, {2, 2, 1}})
{
}

TSteveArcheDitherer::TSteveArcheDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, 200,
                              {{0, 2, 32},
                               {1, -3, 12}, {1, -1, 26}, {1, 1, 30}, {1, 3, 16},
                               {2, -2, 12}, {2, 0, 26}, {2, 2, 12},
                               {3, -3, 5}, {3, -1, 12}, {3, 1, 12}, {3, 3, 5}})
{
}

TBurkesDitherer::TBurkesDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, 32,
                              {{0, 1, 8}, {0, 2, 4},
                               {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}})
{
}

// ---- Dithered rendering ----

bool TGIFImage::GetDoDither() const
{
    return (DrawOptions & DrawOption(goDither)) &&
           (!(DrawOptions & DrawOption(goAutoDither)) || DoAutoDither);
}

Bitmap TGIFSubImage::RenderDithered(const GIFProgress& progress)
{
    Bitmap result;
    TDIBWriter writer(result, WebPalette(), Height(), Width(), PixelFormat::Bits8);
    // Colours of all 256 indices; those beyond the map use its first entry.
    TGIFColorMap& map = ActiveColorMap();
    if (map.Count() == 0)
        throw GIFException(gifmsg::sEmptyColorMap);
    ColorRef colors[256];
    for (int i = 0; i < 256; ++i)
        colors[i] = ToColorRef(map[i < map.Count() ? i : 0]);
    TNetscapeColorLookup lookup;
    TFloydSteinbergDitherer engine(Width(), lookup);
    std::unique_ptr<MaskBuilder> mask;
    if (transparent_ && needMask_) {
        needMask_ = false;
        if (!mask_)
            mask = std::make_unique<MaskBuilder>(Width(), Height());
    }
    int transparentIndex = transparent_ ? TransparentColorIndex() : -1;
    // Transparent pixels get the web colour nearest their own colour.
    int tr = RedOf(colors[transparentIndex & 0xFF]), tg = GreenOf(colors[transparentIndex & 0xFF]),
        tb = BlueOf(colors[transparentIndex & 0xFF]);
    std::uint8_t transparentFill = std::uint8_t(lookup.Lookup(tr, tg, tb));
    for (int y = 0; y < Height(); ++y) {
        const std::uint8_t* in = data_.data() + std::size_t(y) * std::size_t(Width());
        std::uint8_t* out = writer.ScanLine(y);
        for (int x = engine.Column(); x >= 0 && x < Width(); x = engine.Column()) {
            if (in[x] == transparentIndex) {
                out[x] = transparentFill;
                engine.Skip();
                if (mask)
                    mask->Set(x, y);
                continue;
            }
            ColorRef c = colors[in[x]];
            out[x] = std::uint8_t(engine.Dither(RedOf(c), GreenOf(c), BlueOf(c)));
        }
        engine.NextLine();
        progress.Row(y, Height());
    }
    if (mask && mask->Any())
        mask_ = mask->Make();
    writer.Finish();
    return result;
}

}  // namespace tessolo
