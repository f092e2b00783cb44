#include "codecs/png/png_optimize.h"

#include "codecs/png/png_deflate.h"
#include "codecs/png/png_deflate_blocks.h"
#include "codecs/png/png_scanlines.h"
#include "codecs/png/png_sheet_form.h"
#include "codecs/png/pngimage.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <utility>
#include <vector>

namespace tessolo {

namespace {

// Candidates are compared compressed at a quick level, and the smallest
// compressed again at the strongest (figures in bench/README.md).
constexpr int kTrialLevel = 6;

// Sheets of more 32-bit pixel bytes than this compare their candidates on
// kTrialBands bands of rows spread evenly over the sheet, together a
// quarter of its rows: the same winner on every large benchmark sheet in
// about a quarter of the time (bench/README.md). Thinner bands, of a few
// rows each, misled: the candidates differ by 1 % or less on such sheets.
constexpr std::size_t kBandedTrialsAbove = std::size_t(16) << 20;
constexpr int kTrialBands = 12;
constexpr int kTrialShareOfRows = 4;  // one in four

// The bytes of image data, from the middle, on which the final compressors
// are compared first (see StrongestDeflate).
constexpr std::size_t kSampleBytes = std::size_t(1) << 20;

// The image data goes in one IDAT chunk (of at most 2^31 - 1 bytes, the
// most a chunk holds): each further chunk would cost 12 bytes.
constexpr std::size_t kMaxIdatData = 0x7FFFFFFF;

constexpr TChunkName kIhdrName = {'I', 'H', 'D', 'R'};
constexpr TChunkName kPlteName = {'P', 'L', 'T', 'E'};
constexpr TChunkName kTrnsName = {'t', 'R', 'N', 'S'};
constexpr TChunkName kIdatName = {'I', 'D', 'A', 'T'};
constexpr TChunkName kIendName = {'I', 'E', 'N', 'D'};

// One way to write the image: a form and how its rows are filtered.
struct Candidate {
    const PngSheetForm* form;
    RowFilterChoice filter;
};

std::vector<Candidate> CandidatesOf(const std::vector<PngSheetForm>& forms)
{
    std::vector<Candidate> candidates;
    for (const PngSheetForm& form : forms)
        for (RowFilterChoice filter : kRowFilterChoices)
            candidates.push_back({&form, filter});
    return candidates;
}

// The bytes a form adds besides the image data: its PLTE and tRNS chunks.
std::size_t TableBytesOf(const PngSheetForm& form)
{
    if (form.colorType != kColorPalette)
        return 0;
    const std::size_t alphas = std::size_t(form.translucentEntries);
    return 12 + 3 * form.palette.size() + (alphas > 0 ? 12 + alphas : 0);
}

// Runs job(0) ... job(count - 1) on as many threads as there are cores;
// rethrows the first exception a job threw.
template <typename Job>
void RunInParallel(std::size_t count, const Job& job)
{
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&] {
        for (std::size_t i; (i = next++) < count;) {
            try {
                job(i);
            } catch (...) {
                std::lock_guard lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
            }
        }
    };
    std::size_t threads = std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), count);
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

// Rows [first, end) of the sheet.
struct RowBand {
    int first, end;
};

// The bands of rows a large sheet without interlacing compares its
// candidates on; none (the whole sheet) for a smaller one.
std::vector<RowBand> TrialBands(const Bitmap& sheet, bool interlaced)
{
    const std::size_t rowBytes = std::size_t(sheet.Width()) * 4;
    const int rows = sheet.Height() / (kTrialBands * kTrialShareOfRows);
    if (interlaced || rows == 0 || rowBytes * std::size_t(sheet.Height()) <= kBandedTrialsAbove)
        return {};
    std::vector<RowBand> bands;
    for (int i = 0; i < kTrialBands; ++i) {
        const int first = int(std::int64_t(sheet.Height() - rows) * i / (kTrialBands - 1));
        bands.push_back({first, first + rows});
    }
    return bands;
}

// The filtered rows of the bands, one after another.
Bytes FilteredBands(const Bitmap& sheet, const Candidate& candidate, const std::vector<RowBand>& bands)
{
    const std::size_t rowBytes = FilteredRowBytes(sheet, *candidate.form);
    std::size_t rows = 0;
    for (const RowBand& band : bands)
        rows += std::size_t(band.end - band.first);
    Bytes out(rows * rowBytes);
    std::uint8_t* at = out.data();
    for (const RowBand& band : bands) {
        FilterRows(sheet, *candidate.form, candidate.filter, band.first, band.end, at);
        at += std::size_t(band.end - band.first) * rowBytes;
    }
    return out;
}

// FilteredImage, the two halves of the rows filtered at once when not
// interlaced: the same bytes.
Bytes FilteredInHalves(const Bitmap& sheet, const Candidate& candidate, bool interlaced)
{
    if (interlaced)
        return FilteredImage(sheet, *candidate.form, true, candidate.filter);
    const std::size_t rowBytes = FilteredRowBytes(sheet, *candidate.form);
    const int height = sheet.Height(), half = height / 2;
    Bytes out(rowBytes * std::size_t(height));
    RunInParallel(2, [&](std::size_t i) {
        const int first = i == 0 ? 0 : half;
        FilterRows(sheet, *candidate.form, candidate.filter, first, i == 0 ? half : height,
                   out.data() + std::size_t(first) * rowBytes);
    });
    return out;
}

// libdeflate's level 12 on `data` in two halves compressed at once, joined
// into one stream: a half loses only the matches its first bytes would have
// found in the other. Always two, so the file does not depend on the cores.
Bytes Level12InHalves(const Bytes& data)
{
    const std::span<const std::uint8_t> all(data);
    const std::size_t half = data.size() / 2;
    std::vector<Bytes> halves(2);
    RunInParallel(2, [&](std::size_t i) {
        halves[i] = DeflateZlib(i == 0 ? all.first(half) : all.subspan(half), kStrongestDeflateLevel);
    });
    if (std::optional<Bytes> joined = JoinDeflateParts(halves, data))
        return std::move(*joined);
    return MergeDeflateBlocks(DeflateZlib(data, kStrongestDeflateLevel), data);
}

// The smallest of libdeflate's level 12 and zlib's level 9 with either
// strategy on `data`, each with its blocks merged. Level 12 finds the better
// matches but ends a block every few hundred KB; on the rows of large icons
// on one background, which shrink some 200 times, its code tables made it 3
// to 6 % larger than zlib's until they were merged, and it takes several
// times as long (bench/README.md).
// So on data of more than a few MiB both compress the middle MiB first, and
// level 12 runs alone, in two halves at once when the data shrinks enough
// for its blocks to be merged, when it won there by more than 2 %; else zlib
// with both strategies.
Bytes StrongestDeflate(const Bytes& data)
{
    enum Job { kLevel12, kLazy, kLazyFiltered };
    std::vector<Job> jobs = {kLevel12, kLazy, kLazyFiltered};  // the slowest first
    auto compress = [](Job job, const Bytes& bytes) {
        Bytes packed = job == kLevel12 ? DeflateZlib(bytes, kStrongestDeflateLevel)
                                       : DeflateZlibLazy(bytes, job == kLazyFiltered);
        return MergeDeflateBlocks(packed, bytes);
    };
    if (data.size() > 4 * kSampleBytes) {
        const auto middle = data.begin() + std::ptrdiff_t((data.size() - kSampleBytes) / 2);
        const Bytes sample(middle, middle + std::ptrdiff_t(kSampleBytes));
        std::size_t sizes[2] = {};
        RunInParallel(2, [&](std::size_t i) {
            sizes[i] = compress(i == 0 ? kLevel12 : kLazyFiltered, sample).size();
        });
        if (sizes[0] * 50 < sizes[1] * 49)
            return sizes[0] * kMergeMinRatio < kSampleBytes ? Level12InHalves(data)
                                                            : compress(kLevel12, data);
        jobs = {kLazy, kLazyFiltered};
    }
    std::vector<Bytes> packed(jobs.size());
    RunInParallel(jobs.size(), [&](std::size_t i) { packed[i] = compress(jobs[i], data); });
    // The first of equal sizes, so that the file does not depend on timing.
    return std::move(*std::min_element(packed.begin(), packed.end(), [](const Bytes& a, const Bytes& b) {
        return a.size() < b.size();
    }));
}

// The smallest of the candidates, compared compressed at kTrialLevel (at
// the strongest level when exhaustive) on the whole image data or on bands
// of a large sheet's rows, and its image data compressed again by
// StrongestDeflate, or by zopfli when exhaustive: that result, or the
// candidate's own compressed data if it is smaller. Only the compressed data
// of the best so far is kept: the winner's rows are filtered again for the
// second compression, which costs far less than holding another copy of the
// image.
struct Choice {
    PngSheetForm form;
    Bytes packed;
};

Choice SmallestCandidate(const Bitmap& sheet, const OptimizedPngOptions& options)
{
    const bool interlaced = options.interlaced, exhaustive = options.exhaustive;
    std::vector<PngSheetForm> forms = SheetFormCandidates(sheet, options.keepPalette);
    std::vector<Candidate> candidates = CandidatesOf(forms);
    const std::vector<RowBand> bands = TrialBands(sheet, interlaced);
    const int level = exhaustive ? kStrongestDeflateLevel : kTrialLevel;
    std::mutex bestLock;
    std::size_t best = candidates.size(), bestSize = 0;
    Bytes bestPacked;
    RunInParallel(candidates.size(), [&](std::size_t i) {
        const Candidate& c = candidates[i];
        Bytes packed = DeflateZlib(bands.empty() ? FilteredImage(sheet, *c.form, interlaced, c.filter)
                                                 : FilteredBands(sheet, c, bands),
                                   level);
        std::size_t size = packed.size() + TableBytesOf(*c.form);
        std::lock_guard lock(bestLock);
        // Ties go to the earlier candidate, so the file does not depend on timing.
        if (best == candidates.size() || std::pair(size, i) < std::pair(bestSize, best)) {
            best = i;
            bestSize = size;
            bestPacked = std::move(packed);
        }
    });
    const Candidate& winner = candidates[best];
    Choice choice{*winner.form, std::move(bestPacked)};
    const Bytes data = FilteredInHalves(sheet, winner, interlaced);
    Bytes smaller = exhaustive ? DeflateZlibExhaustive(data) : StrongestDeflate(data);
    // A trial on bands compressed only part of the data.
    if (!bands.empty() || smaller.size() < choice.packed.size())
        choice.packed = std::move(smaller);
    return choice;
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

Bytes EncodeOptimizedPng(const Bitmap& sheet, const OptimizedPngOptions& options)
{
    if (sheet.Empty())
        return {};
    const bool interlaced = options.interlaced;
    Choice choice = SmallestCandidate(sheet, options);
    const PngSheetForm& form = choice.form;
    const Bytes& packed = choice.packed;

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
