#include "codecs/gif/color_reduction.h"

#include "codecs/gif/dib.h"
#include "codecs/gif/octree_quantizer.h"
#include "codecs/gif/system_palettes.h"

#include <algorithm>

namespace tessolo {

// ---- Lookups ----

int TNetscapeColorLookup::Lookup(int& r, int& g, int& b)
{
    int lr = Level(r), lg = Level(g), lb = Level(b);
    r = lr * 51;
    g = lg * 51;
    b = lb * 51;
    return lr * 36 + lg * 6 + lb;
}

int TGrayScaleLookup::Lookup(int& r, int& g, int& b)
{
    int grey = (r * 77 + g * 150 + b * 29) >> 8;
    r = g = b = grey;
    return grey;
}

int TMonochromeLookup::Lookup(int& r, int& g, int& b)
{
    int index = r * 77 + g * 150 + b * 29 < 32513 ? 0 : 1;
    r = g = b = index ? 255 : 0;
    return index;
}

TSlowColorLookup::TSlowColorLookup(const std::vector<ColorRef>& palette)
    : TColorLookup(int(std::min<std::size_t>(palette.size(), 256))), palette_(palette)
{
}

int TSlowColorLookup::Lookup(int& r, int& g, int& b)
{
    ColorRef color = MakeColor(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b));
    if (lastIndex_ < 0 || color != lastColor_) {
        lastColor_ = color;
        lastIndex_ = NearestPaletteIndex(palette_, color);
    }
    ColorRef entry = palette_[std::size_t(lastIndex_)];
    r = RedOf(entry);
    g = GreenOf(entry);
    b = BlueOf(entry);
    return lastIndex_;
}

// ---- Dither engines ----

int TDitherEngine::Dither(int r, int g, int b)
{
    int index = lookup_.Lookup(r, g, b);
    column_ += direction_;
    return index;
}

void TDitherEngine::NextLine()
{
    direction_ = -direction_;
    column_ = direction_ > 0 ? 0 : width_ - 1;
}

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

std::unique_ptr<TDitherEngine> MakeDitherEngine(TDitherMode mode, int width, TColorLookup& lookup)
{
    switch (mode) {
    case dmNearest: return std::make_unique<TDitherEngine>(width, lookup);
    case dmFloydSteinberg: return std::make_unique<TFloydSteinbergDitherer>(width, lookup);
    case dmStucki: return std::make_unique<TStuckiDitherer>(width, lookup);
    case dmSierra: return std::make_unique<TSierraDitherer>(width, lookup);
    case dmJaJuNI: return std::make_unique<TJaJuNiDitherer>(width, lookup);
    case dmSteveArche: return std::make_unique<TSteveArcheDitherer>(width, lookup);
    case dmBurkes: return std::make_unique<TBurkesDitherer>(width, lookup);
    }
    return nullptr;
}

// ---- ReduceColors ----

namespace {

// The first ten and last ten default colours around the quantised ones.
std::vector<ColorRef> FramedQuantizedPalette(const Bitmap& source)
{
    const std::vector<ColorRef>& system = DefaultPalette20();
    std::vector<ColorRef> palette(system.begin(), system.begin() + 10);
    std::vector<ColorRef> quantized = QuantizeColors(source, 236);
    palette.insert(palette.end(), quantized.begin(), quantized.end());
    palette.resize(246, kBlack);
    palette.insert(palette.end(), system.end() - 10, system.end());
    return palette;
}

std::unique_ptr<TColorLookup> MakeLookup(TColorReduction method, const Bitmap& source, int reductionBits,
                                         const std::vector<ColorRef>* given, std::vector<ColorRef>& palette)
{
    switch (method) {
    case rmWindows20: palette = DefaultPalette20(); break;
    case rmWindows256: palette = HalftonePalette(); break;
    case rmWindowsGray: palette = GrayPalette4(); break;
    case rmMonochrome:
        palette = {kBlack, kWhite};
        return std::make_unique<TMonochromeLookup>();
    case rmGrayScale:
        for (int i = 0; i < 256; ++i)
            palette.push_back(MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)));
        return std::make_unique<TGrayScaleLookup>();
    case rmNetscape:
        palette = WebPalette();
        return std::make_unique<TNetscapeColorLookup>();
    case rmQuantize: palette = QuantizeColors(source, 1 << std::clamp(reductionBits, 1, 8)); break;
    case rmQuantizeWindows: palette = FramedQuantizedPalette(source); break;
    case rmPalette:
        if (given)
            palette.assign(given->begin(), given->begin() + std::min<std::size_t>(given->size(), 256));
        break;
    default: return nullptr;
    }
    return std::make_unique<TSlowColorLookup>(palette);
}

}  // namespace

Bitmap ReduceColors(const Bitmap& source, TColorReduction method, TDitherMode mode, int reductionBits,
                    const std::vector<ColorRef>* palette)
{
    Bitmap result;
    if (method == rmNone)
        return source.ConvertTo(PixelFormat::Bits24);
    if (source.Empty())
        return result;
    TDIBReader reader(source, PixelFormat::Bits24);
    std::vector<ColorRef> colors;
    std::unique_ptr<TColorLookup> lookup = MakeLookup(method, reader.Source(), reductionBits, palette, colors);
    if (!lookup || lookup->Colors() == 0)
        return result;
    std::unique_ptr<TDitherEngine> engine = MakeDitherEngine(mode, source.Width(), *lookup);
    if (!engine)
        return result;
    TDIBWriter writer(result, colors, source.Height(), source.Width(), PixelFormat::Bits8);
    for (int y = 0; y < source.Height(); ++y) {
        const std::uint8_t* in = reader.ScanLine(y);
        std::uint8_t* out = writer.ScanLine(y);
        for (int x = engine->Column(); x >= 0 && x < source.Width(); x = engine->Column()) {
            const std::uint8_t* p = in + 3 * x;
            out[x] = std::uint8_t(engine->Dither(p[2], p[1], p[0]));
        }
        engine->NextLine();
    }
    writer.Finish();
    return result;
}

}  // namespace tessolo
