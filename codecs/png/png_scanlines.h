// The filtered scanlines of a sheet in a chosen form, as the optimised
// encoder compresses them: each row after its filter-type byte, in file
// order (Adam7 passes one after another when interlaced).
#pragma once

#include "codecs/png/png_sheet_form.h"
#include "platform/bitmap.h"
#include "platform/bytes.h"

namespace tessolo {

// How the filter of each row is chosen: one filter for every row, or per row
// the filter whose output has the least sum of magnitudes (values closest
// to 0) or the least entropy (fewest distinct, most repeated byte values).
enum class RowFilterChoice { None, Sub, Up, Average, Paeth, LeastSum, LeastEntropy };

// The choices worth trying: Average for every row never made the smallest
// file of the benchmark sheets.
inline constexpr RowFilterChoice kRowFilterChoices[] = {
    RowFilterChoice::None,  RowFilterChoice::Sub,      RowFilterChoice::Up,
    RowFilterChoice::Paeth, RowFilterChoice::LeastSum, RowFilterChoice::LeastEntropy,
};

Bytes FilteredImage(const Bitmap& sheet, const PngSheetForm& form, bool interlaced, RowFilterChoice choice);

}  // namespace tessolo
