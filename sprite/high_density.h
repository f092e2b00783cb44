// Sheets for high-density screens: the sources are drawn at twice the size,
// so every place and size on the sheet is kept even and halving is exact.
#pragma once

#include "platform/bitmap.h"
#include "sprite/sheet_value.h"

#include <cstdint>
#include <string>

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

}  // namespace tessolo
