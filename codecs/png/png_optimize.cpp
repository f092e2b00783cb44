#include "codecs/png/png_optimize.h"

#include "codecs/png/png_filters.h"
#include "codecs/png/png_sheet_form.h"
#include "codecs/png/pngimage.h"
#include "platform/packed_pixels.h"

#include <libdeflate.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <new>
#include <span>
#include <vector>

namespace tessolo {

namespace {

// libdeflate's level. 12, its highest, is 3.4 times as slow as the default
// encoder on 1 000 icons for 3.5 % fewer bytes than 10; 10 keeps within 1.5
// times (figures in bench/README.md).
constexpr int kDeflateLevel = 10;

constexpr std::size_t kMaxIdatData = std::size_t(kDefaultMaxIdatSize);

constexpr TChunkName kIhdrName = {'I', 'H', 'D', 'R'};
constexpr TChunkName kPlteName = {'P', 'L', 'T', 'E'};
constexpr TChunkName kTrnsName = {'t', 'R', 'N', 'S'};
constexpr TChunkName kIdatName = {'I', 'D', 'A', 'T'};
constexpr TChunkName kIendName = {'I', 'E', 'N', 'D'};

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
// Adaptive filtering takes, per row, the filter whose output has the least
// sum of magnitudes; otherwise every row is written unfiltered.
class RowFilter {
public:
    RowFilter(std::size_t maxRowBytes, int offset, bool adaptive)
        : offset_(offset), adaptive_(adaptive), previous_(maxRowBytes), candidate_(maxRowBytes),
          best_(maxRowBytes)
    {
    }

    // The first row of a pass has no row above it.
    void StartPass() { std::fill(previous_.begin(), previous_.end(), 0); }

    void Append(const std::uint8_t* raw, std::size_t size, Bytes& out)
    {
        if (!adaptive_) {
            out.push_back(pfNone);
            out.insert(out.end(), raw, raw + size);
            return;
        }
        TFilter bestFilter = pfNone;
        std::uint64_t bestCost = SignedMagnitudeSum(raw, size);
        std::copy(raw, raw + size, best_.begin());
        for (TFilter filter : {pfSub, pfUp, pfAverage, pfPaeth}) {
            ApplyFilter(filter, raw, previous_.data(), candidate_.data(), size, offset_);
            std::uint64_t cost = SignedMagnitudeSum(candidate_.data(), size);
            if (cost < bestCost) {
                bestCost = cost;
                bestFilter = filter;
                best_.swap(candidate_);
            }
        }
        out.push_back(bestFilter);
        out.insert(out.end(), best_.begin(), best_.begin() + std::ptrdiff_t(size));
        std::copy(raw, raw + size, previous_.begin());
    }

private:
    int offset_;
    bool adaptive_;
    std::vector<std::uint8_t> previous_, candidate_, best_;
};

// The filtered scanlines of the whole image, in file order.
Bytes FilteredImage(const Bitmap& sheet, const PngSheetForm& form, bool interlaced)
{
    const int width = sheet.Width();
    const std::size_t fullRow = RowBytesFor(form.colorType, form.bitDepth, std::size_t(width));
    // Palette and packed grey rows compress best unfiltered (see bench/README.md).
    RowFilter filter(fullRow, PixelOffsetFor(form.colorType, form.bitDepth),
                     form.colorType != kColorPalette && form.bitDepth == 8);
    ScanlineMaker maker(sheet, form);
    std::vector<std::uint8_t> raw(fullRow);
    Bytes out;

    const Adam7Pass wholeImage{0, 0, 1, 1};
    std::span<const Adam7Pass> passes = interlaced ? std::span<const Adam7Pass>(kAdam7)
                                                   : std::span<const Adam7Pass>(&wholeImage, 1);
    std::size_t total = 0;
    for (const Adam7Pass& pass : passes) {
        int below = sheet.Height() - pass.firstRow;
        std::size_t rows = below > 0 ? std::size_t(below + pass.rowStep - 1) / std::size_t(pass.rowStep) : 0;
        std::size_t columns = PassColumns(pass, width);
        if (columns > 0)
            total += rows * (RowBytesFor(form.colorType, form.bitDepth, columns) + 1);
    }
    out.reserve(total);

    for (const Adam7Pass& pass : passes) {
        std::size_t columns = PassColumns(pass, width);
        std::size_t rowBytes = RowBytesFor(form.colorType, form.bitDepth, columns);
        if (rowBytes == 0)
            continue;
        filter.StartPass();
        for (int y = pass.firstRow; y < sheet.Height(); y += pass.rowStep) {
            maker.Make(y, pass.firstColumn, pass.columnStep, columns, raw.data());
            filter.Append(raw.data(), rowBytes, out);
        }
    }
    return out;
}

// The zlib stream of `data`, made by libdeflate at kDeflateLevel.
Bytes Compress(const Bytes& data)
{
    struct FreeCompressor {
        void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
    };
    std::unique_ptr<libdeflate_compressor, FreeCompressor> compressor(
        libdeflate_alloc_compressor(kDeflateLevel));
    if (!compressor)
        throw std::bad_alloc();
    Bytes packed(libdeflate_zlib_compress_bound(compressor.get(), data.size()));
    std::size_t size =
        libdeflate_zlib_compress(compressor.get(), data.data(), data.size(), packed.data(), packed.size());
    if (size == 0)
        throw Error("Could not compress the image data");
    packed.resize(size);
    return packed;
}

void WriteHeader(Bytes& file, const Bitmap& sheet, const PngSheetForm& form, bool interlaced)
{
    std::uint8_t data[13] = {};
    PutBigEndian32(data, std::uint32_t(sheet.Width()));
    PutBigEndian32(data + 4, std::uint32_t(sheet.Height()));
    data[8] = std::uint8_t(form.bitDepth);
    data[9] = std::uint8_t(form.colorType);
    data[12] = interlaced ? 1 : 0;
    WriteChunk(file, kIhdrName, data, sizeof data);
}

void WritePalette(Bytes& file, const PngSheetForm& form)
{
    Bytes colors, alphas;
    for (Rgba c : form.palette) {
        colors.insert(colors.end(), {RedOf(c), GreenOf(c), BlueOf(c)});
        alphas.push_back(AlphaOf(c));
    }
    WriteChunk(file, kPlteName, colors.data(), std::uint32_t(colors.size()));
    if (form.translucentEntries > 0)
        WriteChunk(file, kTrnsName, alphas.data(), std::uint32_t(form.translucentEntries));
}

}  // namespace

Bytes EncodeOptimizedPng(const Bitmap& sheet, bool interlaced)
{
    if (sheet.Empty())
        return {};
    PngSheetForm form = ChooseSheetForm(sheet);
    Bytes packed = Compress(FilteredImage(sheet, form, interlaced));

    Bytes file(kPngSignature, kPngSignature + 8);
    WriteHeader(file, sheet, form, interlaced);
    if (form.colorType == kColorPalette)
        WritePalette(file, form);
    for (std::size_t at = 0; at < packed.size(); at += kMaxIdatData) {
        std::size_t size = std::min(kMaxIdatData, packed.size() - at);
        WriteChunk(file, kIdatName, packed.data() + at, std::uint32_t(size));
    }
    WriteChunk(file, kIendName, nullptr, 0);
    return file;
}

}  // namespace tessolo
