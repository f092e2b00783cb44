// Sheets for high-density screens: the sources are drawn at twice the size,
// so every place and size on the sheet is kept even and halving is exact.
#pragma once

#include "platform/bitmap.h"
#include "sprite/build_settings.h"
#include "sprite/sheet_value.h"
#include "sprite/web_outputs.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tessolo {

// The file name of the double-size sheet: "sprite" + "@2x" + ".png".
inline constexpr const char* kDoubleSizeSuffix = "@2x";

// `value` rounded up to the next even number (-3 gives -2). Throws Error
// for the largest 32-bit number, which has no even number above it.
inline std::int32_t EvenUp(std::int32_t value)
{
    return SheetValue(std::int64_t(value) + (value & 1));
}

// A source's name without a trailing "@2x": "home@2x" gives "home".
std::string WithoutDoubleSizeSuffix(const std::string& name);

// Adds a column to a source of odd width and a row to one of odd height, so
// that it takes an even place: transparent on a transparent background,
// white otherwise.
void PadToEvenSize(Bitmap& source, bool transparentBackground);

// Everything that drawing the sheet at double size changes in a build. The
// drawn sheet is then written as NAME@2x.<type> and its half as NAME.<type>,
// the sheet that the stylesheet and the data files describe. At the plain
// density nothing changes and the drawn sheet is the described one.
class SheetDensity {
public:
    explicit SheetDensity(bool doubleSize) : scale_(doubleSize ? 2 : 1) {}

    // Pixels of the drawn sheet per pixel of the described one: 1 or 2.
    std::int32_t Scale() const { return scale_; }
    // A double-size sheet needs the base rule for its switch, and even
    // paddings so that every place halves exactly.
    void Adjust(BuildSettings& settings) const;
    // The double-size sheet's file name ("sprite@2x.png"); empty at the
    // plain density.
    std::string DoubleSizeFileName(const std::string& project, std::string_view extension) const;
    // Makes a source take an even place on a double-size sheet.
    void FitSource(Bitmap& source, bool transparentBackground) const;
    // What a source's class is named after: its name, without "@2x" on a
    // double-size sheet.
    std::string ClassBaseName(const std::string& sourceName) const;
    // Evens a finished double-size sheet (negative paddings can pull its
    // edge in) and gives `facts` the size of the described sheet.
    void FinishSheet(Bitmap& sheet, SheetFacts& facts) const;
    // Hands `write` each sheet to write with its file name: the drawn sheet;
    // or its half under the sheet's name, then the drawn one under the
    // double-size name.
    void ForEachSheet(const Bitmap& sheet, const SheetFacts& facts,
                      const std::function<void(const std::string& fileName, const Bitmap& pixels)>&
                          write) const;

private:
    std::int32_t scale_;
};

}  // namespace tessolo
