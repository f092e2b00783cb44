#include "codecs/png/png_scanlines.h"

#include "codecs/png/png_filters.h"
#include "codecs/png/png_idat.h"
#include "platform/packed_pixels.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace tessolo {

namespace {

// Turns rows of the sheet into unfiltered scanlines of the chosen form.
class ScanlineMaker {
public:
    ScanlineMaker(const Bitmap& sheet, const PngSheetForm& form)
        : sheet_(sheet), form_(form), row_(std::size_t(sheet.Width()))
    {
        for (std::size_t i = 0; i < form.palette.size(); ++i)
            index_.Add(form.palette[i], int(i));
    }

    // Writes the samples of pixels first, first + step, ... of row `y`.
    void Make(int y, int first, int step, std::size_t pixels, std::uint8_t* out)
    {
        if (y != rowRead_) {
            ReadRgbaRow(sheet_, y, row_.data());
            rowRead_ = y;
        }
        const Rgba* in = row_.data();
        const std::size_t at = std::size_t(first), stride = std::size_t(step);
        // Eight-bit samples: the pixel's bytes from an RGBA byte order.
        auto bytes = [&](std::initializer_list<int> samples) {
            for (std::size_t k = 0; k < pixels; ++k) {
                Rgba c = in[at + k * stride];
                const std::uint8_t rgba[4] = {RedOf(c), GreenOf(c), BlueOf(c), AlphaOf(c)};
                for (int sample : samples)
                    *out++ = rgba[sample];
            }
        };
        switch (form_.colorType) {
        case kColorRGB: bytes({0, 1, 2}); break;
        case kColorRGBAlpha: bytes({0, 1, 2, 3}); break;
        case kColorGrayscaleAlpha: bytes({0, 3}); break;
        default: MakeSmallSamples(in + at, stride, pixels, out); break;
        }
    }

private:
    // Greyscale and palette samples of 1, 2, 4 or 8 bits.
    void MakeSmallSamples(const Rgba* in, std::size_t step, std::size_t pixels, std::uint8_t* out)
    {
        const int depth = form_.bitDepth;
        const bool palette = form_.colorType == kColorPalette;
        if (depth < 8)
            std::fill(out, out + (pixels * std::size_t(depth) + 7) / 8, 0);
        Rgba last = 0;
        unsigned sample = 0;
        for (std::size_t k = 0; k < pixels; ++k) {
            Rgba c = in[k * step];
            if (k == 0 || c != last) {
                last = c;
                // Exact grey levels of depth d are multiples of 255 / (2^d - 1),
                // whose top d bits are the sample.
                sample = palette ? unsigned(index_.Find(c)) : unsigned(RedOf(c)) >> (8 - depth);
            }
            if (depth == 8)
                out[k] = std::uint8_t(sample);
            else
                OrPackedIndex(out, k, depth, sample);
        }
    }

    const Bitmap& sheet_;
    const PngSheetForm& form_;
    ColorIndex index_;
    std::vector<Rgba> row_;
    int rowRead_ = -1;
};

// Filters scanlines and appends them, each after its filter-type byte.
class RowFilter {
public:
    RowFilter(std::size_t maxRowBytes, int offset, RowFilterChoice choice)
        : offset_(offset), choice_(choice), previous_(maxRowBytes), candidate_(maxRowBytes),
          best_(maxRowBytes), entropy_(choice == RowFilterChoice::LeastEntropy ? maxRowBytes : 0)
    {
    }

    // The first row of a pass has no row above it.
    void StartPass() { std::fill(previous_.begin(), previous_.end(), 0); }

    // Writes the filter-type byte and the filtered row at `out`; returns
    // the end of what it wrote.
    std::uint8_t* Append(const std::uint8_t* raw, std::size_t size, std::uint8_t* out)
    {
        TFilter chosen = FixedFilterOf(choice_);
        if (chosen != kPerRow) {
            ApplyFilter(chosen, raw, previous_.data(), best_.data(), size, offset_);
        } else {
            chosen = pfNone;
            std::uint64_t bestCost = Cost(raw, size);
            std::copy(raw, raw + size, best_.begin());
            for (TFilter filter : {pfSub, pfUp, pfAverage, pfPaeth}) {
                // No cost is below 0, and ties go to the earlier filter: a
                // row that repeats the one above is done once Up is tried.
                if (bestCost == 0)
                    break;
                ApplyFilter(filter, raw, previous_.data(), candidate_.data(), size, offset_);
                std::uint64_t cost = Cost(candidate_.data(), size);
                if (cost < bestCost) {
                    bestCost = cost;
                    chosen = filter;
                    best_.swap(candidate_);
                }
            }
        }
        *out++ = chosen;
        out = std::copy(best_.begin(), best_.begin() + std::ptrdiff_t(size), out);
        SetPrevious(raw, size);
        return out;
    }

    // The unfiltered row above the next one.
    void SetPrevious(const std::uint8_t* raw, std::size_t size) { std::copy(raw, raw + size, previous_.begin()); }

private:
    static constexpr TFilter kPerRow = TFilter(255);

    static TFilter FixedFilterOf(RowFilterChoice choice)
    {
        switch (choice) {
        case RowFilterChoice::None: return pfNone;
        case RowFilterChoice::Sub: return pfSub;
        case RowFilterChoice::Up: return pfUp;
        case RowFilterChoice::Average: return pfAverage;
        case RowFilterChoice::Paeth: return pfPaeth;
        default: return kPerRow;
        }
    }

    std::uint64_t Cost(const std::uint8_t* row, std::size_t size) const
    {
        return choice_ == RowFilterChoice::LeastSum ? SignedMagnitudeSum(row, size) : entropy_(row, size);
    }

    int offset_;
    RowFilterChoice choice_;
    std::vector<std::uint8_t> previous_, candidate_, best_;
    EntropyBits entropy_;
};

}  // namespace

std::size_t FilteredRowBytes(const Bitmap& sheet, const PngSheetForm& form)
{
    return RowBytesFor(form.colorType, form.bitDepth, std::size_t(sheet.Width())) + 1;
}

void FilterRows(const Bitmap& sheet, const PngSheetForm& form, RowFilterChoice choice, int first, int end,
                std::uint8_t* out)
{
    const std::size_t rowBytes = FilteredRowBytes(sheet, form) - 1;
    const std::size_t width = std::size_t(sheet.Width());
    RowFilter filter(rowBytes, PixelOffsetFor(form.colorType, form.bitDepth), choice);
    ScanlineMaker maker(sheet, form);
    std::vector<std::uint8_t> raw(rowBytes);
    filter.StartPass();
    if (first > 0) {
        maker.Make(first - 1, 0, 1, width, raw.data());
        filter.SetPrevious(raw.data(), rowBytes);
    }
    for (int y = first; y < end; ++y) {
        maker.Make(y, 0, 1, width, raw.data());
        out = filter.Append(raw.data(), rowBytes, out);
    }
}

Bytes FilteredImage(const Bitmap& sheet, const PngSheetForm& form, bool interlaced, RowFilterChoice choice)
{
    if (!interlaced) {
        Bytes out(FilteredRowBytes(sheet, form) * std::size_t(sheet.Height()));
        FilterRows(sheet, form, choice, 0, sheet.Height(), out.data());
        return out;
    }
    const int width = sheet.Width();
    const std::size_t fullRow = FilteredRowBytes(sheet, form) - 1;
    RowFilter filter(fullRow, PixelOffsetFor(form.colorType, form.bitDepth), choice);
    ScanlineMaker maker(sheet, form);
    std::vector<std::uint8_t> raw(fullRow);
    std::size_t total = 0;
    for (const Adam7Pass& pass : kAdam7) {
        int below = sheet.Height() - pass.firstRow;
        std::size_t rows = below > 0 ? std::size_t(below + pass.rowStep - 1) / std::size_t(pass.rowStep) : 0;
        std::size_t columns = PassColumns(pass, width);
        if (columns > 0)
            total += rows * (RowBytesFor(form.colorType, form.bitDepth, columns) + 1);
    }
    Bytes out(total);
    std::uint8_t* at = out.data();
    for (const Adam7Pass& pass : kAdam7) {
        std::size_t columns = PassColumns(pass, width);
        std::size_t rowBytes = RowBytesFor(form.colorType, form.bitDepth, columns);
        if (rowBytes == 0)
            continue;
        filter.StartPass();
        for (int y = pass.firstRow; y < sheet.Height(); y += pass.rowStep) {
            maker.Make(y, pass.firstColumn, pass.columnStep, columns, raw.data());
            at = filter.Append(raw.data(), rowBytes, at);
        }
    }
    return out;
}

}  // namespace tessolo
