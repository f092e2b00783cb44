// Sheets for dense screens: the sources are drawn at the largest scale
// asked for, so every place and size on the sheet is a multiple of it and
// each smaller sheet is an exact reduction.
#pragma once

#include "platform/bitmap.h"
#include "sprite/build_settings.h"
#include "sprite/sheet_value.h"
#include "sprite/web_outputs.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessolo {

// The largest scale a build draws: 4 device pixels per CSS pixel.
inline constexpr std::int32_t kMaxScale = 4;

// The file name part of the sheet at `scale`: "@2x" for "sprite@2x.png";
// empty at 1.
std::string ScaleSuffix(std::int32_t scale);

// The scales of `settings`' sheets, ascending from 1: its Scales bits, else
// 1 and 2 with Retina, else 1 alone.
std::vector<std::int32_t> SheetScales(const BuildSettings& settings);
// Those scales as "1,2,3".
std::string ScalesText(const BuildSettings& settings);

// `value` rounded up to the next multiple of `step` (-3 and 2 give -2).
// Throws Error when that leaves the 32-bit range.
inline std::int32_t UpToMultiple(std::int32_t value, std::int32_t step)
{
    const std::int64_t rest = ((std::int64_t(value) % step) + step) % step;
    return SheetValue(std::int64_t(value) + (rest ? step - rest : 0));
}

// A source's name without a trailing "@2x", "@3x" or "@4x": "home@2x"
// gives "home"; the number it names in `scale` (1 without one).
std::string WithoutScaleSuffix(const std::string& name, std::int32_t* scale = nullptr);

// Of the listed files, those a build at `largest` scale draws: of files
// whose names differ by their scale's suffix only ("home.png", "home@2x.png",
// "home@3x.png"), those of the largest scale up to `largest`. The others go
// to `left`; the order is kept.
std::vector<std::string> LargestScaleFiles(const std::vector<std::string>& files,
                                           std::int32_t largest, std::vector<std::string>& left);

// Enlarges a source to `width` x `height` (no smaller than it is), its
// pixels at the top left: the new area is transparent on a transparent
// background, white otherwise (transparent white on a bitmap with alpha). A
// source without alpha on a transparent background becomes a transparent
// bitmap even at its own size, as the rows of a padded source must.
void PadTo(Bitmap& source, int width, int height, bool transparentBackground);

// Pads a source so that its sides are multiples of `step`.
void PadToMultipleSize(Bitmap& source, std::int32_t step, bool transparentBackground);

// Everything that drawing the sheet at a larger scale changes in a build.
// The drawn sheet is written as NAME@<largest>x.<type>, and its reductions
// to each smaller scale as NAME@<scale>x.<type> and NAME.<type>, the sheet
// that the stylesheet and the data files describe. At the plain density
// nothing changes and the drawn sheet is the described one.
class SheetDensity {
public:
    explicit SheetDensity(std::vector<std::int32_t> scales) : scales_(std::move(scales)) {}

    // Pixels of the drawn sheet per pixel of the described one.
    std::int32_t Scale() const { return scales_.back(); }
    // The scales written, ascending from 1.
    const std::vector<std::int32_t>& Scales() const { return scales_; }
    // Dense sheets need the base rule for their switch, and paddings that
    // are multiples of the scale so that every place reduces exactly.
    void Adjust(BuildSettings& settings) const;
    // The dense sheets' file names ("sprite@2x.png", ...); none at the plain
    // density.
    std::vector<DenseSheet> DenseSheets(const std::string& project, std::string_view extension) const;
    // Makes a source take a place whose sides are multiples of the scale.
    void FitSource(Bitmap& source, bool transparentBackground) const;
    // What a source's class is named after: its name, without its scale's
    // suffix on a dense sheet.
    std::string ClassBaseName(const std::string& sourceName) const;
    // Rounds a finished dense sheet up to multiples of the scale (negative
    // paddings can pull its edge in) and gives `facts` the described size.
    void FinishSheet(Bitmap& sheet, SheetFacts& facts) const;
    // Hands `write` the sheet at each scale, ascending: the reductions, then
    // the drawn sheet itself. `touchUp` may redraw parts of each reduction
    // before it is written.
    void ForEachScale(const Bitmap& sheet,
                      const std::function<void(std::int32_t scale, Bitmap& pixels)>& touchUp,
                      const std::function<void(std::int32_t scale, const Bitmap& pixels)>& write) const;

private:
    std::vector<std::int32_t> scales_;
};

}  // namespace tessolo
