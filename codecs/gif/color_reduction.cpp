#include "codecs/gif/color_reduction.h"

#include "codecs/gif/dib.h"
#include "codecs/gif/gif_unused_dithering.h"
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

std::unique_ptr<TColorLookup> MakeLookup(TColorReduction method, const Bitmap* source, int reductionBits,
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
    case rmQuantize: palette = QuantizeColors(*source, 1 << std::clamp(reductionBits, 1, 8)); break;
    case rmQuantizeWindows: palette = FramedQuantizedPalette(*source); break;
    case rmPalette:
        if (given)
            palette.assign(given->begin(), given->begin() + std::min<std::size_t>(given->size(), 256));
        break;
    default: return nullptr;
    }
    return std::make_unique<TSlowColorLookup>(palette);
}

}  // namespace

TRowReducer::TRowReducer(TColorReduction method, TDitherMode mode, int reductionBits, int width,
                         const Bitmap* whole, const std::vector<ColorRef>* palette)
    : width_(width)
{
    if (method == rmNone)
        return;
    lookup_ = MakeLookup(method, whole, reductionBits, palette, palette_);
    if (!lookup_ || lookup_->Colors() == 0)
        return;
    engine_ = MakeDitherEngine(mode, width, *lookup_);
    palette_.resize(256, kBlack);
}

void TRowReducer::Reduce(const std::uint8_t* row, std::uint8_t* out)
{
    for (int x = engine_->Column(); x >= 0 && x < width_; x = engine_->Column()) {
        const std::uint8_t* p = row + 3 * x;
        out[x] = std::uint8_t(engine_->Dither(p[2], p[1], p[0]));
    }
    engine_->NextLine();
}

Bitmap ReduceColors(const Bitmap& source, TColorReduction method, TDitherMode mode, int reductionBits,
                    const std::vector<ColorRef>* palette)
{
    Bitmap result;
    if (method == rmNone)
        return source.ConvertTo(PixelFormat::Bits24);
    if (source.Empty())
        return result;
    TDIBReader reader(source, PixelFormat::Bits24);
    TRowReducer reducer(method, mode, reductionBits, source.Width(), &reader.Source(), palette);
    if (!reducer.Valid())
        return result;
    TDIBWriter writer(result, reducer.Palette(), source.Height(), source.Width(), PixelFormat::Bits8);
    for (int y = 0; y < source.Height(); ++y)
        reducer.Reduce(reader.ScanLine(y), writer.ScanLine(y));
    writer.Finish();
    return result;
}

}  // namespace tessolo
