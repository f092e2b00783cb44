// Dithering with error diffusion: the engines of the dither modes other than
// dmNearest, and the dithered rendering of frames onto the web palette. The
// program does not use them: its sheets are reduced with dmNearest, and
// frames are rendered dithered only when a caller clears goAutoDither.
#pragma once

#include "codecs/gif/color_reduction.h"

#include <vector>

namespace tessolo {

// Our bitmaps are always true colour, so the display is never a palette
// device and automatic dithering never applies.
inline constexpr bool DoAutoDither = false;
inline constexpr bool PaletteDevice = false;

// One weight of an error-diffusion kernel: `row` rows below, `offset`
// pixels ahead in the direction of travel.
struct TDiffusionWeight {
    int row;
    int offset;
    int weight;
};

class TErrorDiffusionDitherer : public TDitherEngine {
public:
    TErrorDiffusionDitherer(int width, TColorLookup& lookup, int divisor, std::vector<TDiffusionWeight> kernel);
    int Dither(int r, int g, int b) override;
    void Skip() override;
    void NextLine() override;

private:
    int& Error(int channel, int row, int column);

    int divisor_;
    std::vector<TDiffusionWeight> kernel_;
    int reach_ = 0;
    int rows_ = 0;
    // Per channel and kernel row, errors by absolute column plus the reach.
    std::vector<int> errors_;
};

class TFloydSteinbergDitherer : public TErrorDiffusionDitherer {
public:
    TFloydSteinbergDitherer(int width, TColorLookup& lookup);
};

// The kernels two pixels wide on each side and up to three rows deep.
class T5by3Ditherer : public TErrorDiffusionDitherer {
protected:
    using TErrorDiffusionDitherer::TErrorDiffusionDitherer;
};

class TStuckiDitherer : public T5by3Ditherer {
public:
    TStuckiDitherer(int width, TColorLookup& lookup);
};

class TSierraDitherer : public T5by3Ditherer {
public:
    TSierraDitherer(int width, TColorLookup& lookup);
};

class TJaJuNiDitherer : public T5by3Ditherer {
public:
    TJaJuNiDitherer(int width, TColorLookup& lookup);
};

class TSteveArcheDitherer : public TErrorDiffusionDitherer {
public:
    TSteveArcheDitherer(int width, TColorLookup& lookup);
};

class TBurkesDitherer : public TErrorDiffusionDitherer {
public:
    TBurkesDitherer(int width, TColorLookup& lookup);
};

}  // namespace tessolo
