// The filtered scanlines of a sheet in a chosen form, as the optimised
// encoder compresses them: each row after its filter-type byte, in file
// order (Adam7 passes one after another when interlaced).
#pragma once

#include "codecs/png/png_idat.h"
#include "codecs/png/png_sheet_form.h"
#include "platform/bitmap.h"
#include "platform/bytes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

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

// The bytes of one filtered row of the sheet without interlacing, its
// filter-type byte included.
std::size_t FilteredRowBytes(const Bitmap& sheet, const PngSheetForm& form);

// Where the filtered rows of each pass lie in the image data: one pass of
// every row without interlacing, else the Adam7 passes that hold pixels.
struct ScanlinePass {
    Adam7Pass pass;
    std::size_t offset;    // of the pass's first row in the image data
    std::size_t rowBytes;  // of each filtered row, its filter-type byte included
    int rows;
    // Where the pass's data ends.
    std::size_t End() const { return offset + rowBytes * std::size_t(rows); }
};
std::vector<ScanlinePass> ScanlinePasses(const Bitmap& sheet, const PngSheetForm& form, bool interlaced);

// Writes the filtered rows [first, end) of `pass` at `out`, exactly as
// FilteredImage gives them within the whole image data.
void FilterPassRows(const Bitmap& sheet, const PngSheetForm& form, RowFilterChoice choice,
                    const ScanlinePass& pass, int first, int end, std::uint8_t* out);

// Writes the filtered scanlines of rows [first, end) of the sheet without
// interlacing at `out`, exactly as FilteredImage gives them within the whole
// image: (end - first) × FilteredRowBytes bytes. Ranges of rows can so be
// filtered apart, at once.
void FilterRows(const Bitmap& sheet, const PngSheetForm& form, RowFilterChoice choice, int first, int end,
                std::uint8_t* out);

}  // namespace tessolo
