// Reducing a true-colour bitmap to an 8-bit bitmap of at most 256 colours:
// colour lookups (fixed palettes, greys, nearest match), the dither engine
// without error diffusion (those with it are in gif_unused_dithering.h), and
// ReduceColors which drives them.
#pragma once

#include "codecs/gif/gif_types.h"
#include "platform/bitmap.h"

#include <cstdint>

#include <memory>
#include <vector>

namespace tessolo {

class TColorLookup {
public:
    explicit TColorLookup(int colors) : colors_(colors) {}
    virtual ~TColorLookup() = default;
    int Colors() const { return colors_; }
    // The palette index for a colour; r, g, b become that entry's colour.
    virtual int Lookup(int& r, int& g, int& b) = 0;

private:
    int colors_;
};

// The web palette: level = (component + 3) div 51, index = r*36 + g*6 + b.
class TNetscapeColorLookup : public TColorLookup {
public:
    TNetscapeColorLookup() : TColorLookup(216) {}
    int Lookup(int& r, int& g, int& b) override;
    static int Level(int component) { return (component + 3) / 51; }
};

// 256 greys: index = (77 r + 150 g + 29 b) >> 8.
class TGrayScaleLookup : public TColorLookup {
public:
    TGrayScaleLookup() : TColorLookup(256) {}
    int Lookup(int& r, int& g, int& b) override;
};

// Black below the weighted brightness 32513 (of 65280), else white.
class TMonochromeLookup : public TColorLookup {
public:
    TMonochromeLookup() : TColorLookup(2) {}
    int Lookup(int& r, int& g, int& b) override;
};

// The nearest entry of any palette (squared distance), with a one-entry cache.
class TSlowColorLookup : public TColorLookup {
public:
    explicit TSlowColorLookup(const std::vector<ColorRef>& palette);
    int Lookup(int& r, int& g, int& b) override;

private:
    std::vector<ColorRef> palette_;
    ColorRef lastColor_ = 0;
    int lastIndex_ = -1;
};

// Visits a row alternately left to right and right to left and maps each
// pixel through the lookup. The base engine diffuses no error.
class TDitherEngine {
public:
    TDitherEngine(int width, TColorLookup& lookup) : width_(width), lookup_(lookup) {}
    virtual ~TDitherEngine() = default;
    int Column() const { return column_; }
    int Direction() const { return direction_; }
    // The palette index for the pixel at the current column; moves on.
    virtual int Dither(int r, int g, int b);
    // Moves on without mapping a pixel.
    virtual void Skip() { column_ += direction_; }
    // Reverses the direction for the next row.
    virtual void NextLine();

protected:
    int width_;
    TColorLookup& lookup_;
    int column_ = 0;
    int direction_ = 1;
};

// The engine for a dither mode; null for an unknown mode.
std::unique_ptr<TDitherEngine> MakeDitherEngine(TDitherMode mode, int width, TColorLookup& lookup);

// Reduces the 24-bit rows of a bitmap one after another, from the top, as
// ReduceColors reduces the whole: the same indices and palette. The
// quantising methods make their palette from the whole 24-bit bitmap
// (`whole`); the others need none (null). `palette` is used by rmPalette.
class TRowReducer {
public:
    TRowReducer(TColorReduction method, TDitherMode mode, int reductionBits, int width, const Bitmap* whole,
                const std::vector<ColorRef>* palette = nullptr);
    TRowReducer(const TRowReducer&) = delete;
    TRowReducer& operator=(const TRowReducer&) = delete;

    static bool NeedsWholeBitmap(TColorReduction method) { return method == rmQuantize || method == rmQuantizeWindows; }
    // False for rmNone, an unknown method or mode, or a palette without colours.
    bool Valid() const { return engine_ != nullptr; }
    // The method's palette padded with black to 256 entries, as the 8-bit
    // bitmap of ReduceColors holds it.
    const std::vector<ColorRef>& Palette() const { return palette_; }
    // Writes the palette index of each pixel of a 24-bit row (blue, green,
    // red) to `out`.
    void Reduce(const std::uint8_t* row, std::uint8_t* out);

private:
    int width_;
    std::vector<ColorRef> palette_;
    std::unique_ptr<TColorLookup> lookup_;
    std::unique_ptr<TDitherEngine> engine_;
};

// A new bitmap of `source` reduced by `method`: 8 bits with the method's
// palette, or for rmNone a 24-bit copy. `palette` is used by rmPalette.
// An unknown method or mode gives an empty bitmap.
Bitmap ReduceColors(const Bitmap& source, TColorReduction method, TDitherMode mode, int reductionBits,
                    const std::vector<ColorRef>* palette = nullptr);

}  // namespace tessolo
