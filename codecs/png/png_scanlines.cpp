#include "codecs/png/png_scanlines.h"

#include "codecs/png/png_filters.h"
#include "codecs/png/png_idat.h"
#include "platform/packed_pixels.h"

#include <algorithm>
#include <initializer_list>
#include <span>
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

std::vector<ScanlinePass> ScanlinePasses(const Bitmap& sheet, const PngSheetForm& form, bool interlaced)
{
    std::vector<ScanlinePass> passes;
    std::size_t offset = 0;
    for (const Adam7Pass& pass : interlaced ? std::span<const Adam7Pass>(kAdam7) : std::span(&kWholeImage, 1)) {
        const int below = sheet.Height() - pass.firstRow;
        const std::size_t columns = PassColumns(pass, sheet.Width());
        if (below <= 0 || columns == 0)
            continue;
        const int rows = (below + pass.rowStep - 1) / pass.rowStep;
        const std::size_t rowBytes = RowBytesFor(form.colorType, form.bitDepth, columns) + 1;
        passes.push_back({pass, offset, rowBytes, rows});
        offset = passes.back().End();
    }
    return passes;
}

void FilterPassRows(const Bitmap& sheet, const PngSheetForm& form, RowFilterChoice choice,
                    const ScanlinePass& pass, int first, int end, std::uint8_t* out)
{
    const std::size_t rowBytes = pass.rowBytes - 1, columns = PassColumns(pass.pass, sheet.Width());
    RowFilter filter(rowBytes, PixelOffsetFor(form.colorType, form.bitDepth), choice);
    ScanlineMaker maker(sheet, form);
    std::vector<std::uint8_t> raw(rowBytes);
    auto make = [&](int row) {
        maker.Make(pass.pass.firstRow + row * pass.pass.rowStep, pass.pass.firstColumn, pass.pass.columnStep,
                   columns, raw.data());
    };
    filter.StartPass();
    if (first > 0) {
        make(first - 1);
        filter.SetPrevious(raw.data(), rowBytes);
    }
    for (int row = first; row < end; ++row) {
        make(row);
        out = filter.Append(raw.data(), rowBytes, out);
    }
}

void FilterRows(const Bitmap& sheet, const PngSheetForm& form, RowFilterChoice choice, int first, int end,
                std::uint8_t* out)
{
    const ScanlinePass whole{kWholeImage, 0, FilteredRowBytes(sheet, form), sheet.Height()};
    FilterPassRows(sheet, form, choice, whole, first, end, out);
}

Bytes FilteredImage(const Bitmap& sheet, const PngSheetForm& form, bool interlaced, RowFilterChoice choice)
{
    const std::vector<ScanlinePass> passes = ScanlinePasses(sheet, form, interlaced);
    Bytes out(passes.empty() ? 0 : passes.back().End());
    for (const ScanlinePass& pass : passes)
        FilterPassRows(sheet, form, choice, pass, 0, pass.rows, out.data() + pass.offset);
    return out;
}

}  // namespace tessolo
