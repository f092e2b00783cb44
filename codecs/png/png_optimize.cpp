#include "codecs/png/png_optimize.h"

#include "codecs/png/png_deflate.h"
#include "codecs/png/png_deflate_blocks.h"
#include "codecs/png/png_scanlines.h"
#include "codecs/png/png_sheet_form.h"
#include "codecs/png/pngimage.h"

#include <algorithm>
#include <atomic>
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
// the strongest level when exhaustive), and its image data compressed again
// by StrongestDeflate, or by zopfli when exhaustive, if that is smaller.
// Only the compressed data of the best so far is kept: the winner's rows are
// filtered again for the second compression, which costs far less than
// holding another copy of the image.
struct Choice {
    PngSheetForm form;
    Bytes packed;
};

Choice SmallestCandidate(const Bitmap& sheet, const OptimizedPngOptions& options)
{
    const bool interlaced = options.interlaced, exhaustive = options.exhaustive;
    std::vector<PngSheetForm> forms = SheetFormCandidates(sheet, options.keepPalette);
    std::vector<Candidate> candidates = CandidatesOf(forms);
    const int level = exhaustive ? kStrongestDeflateLevel : kTrialLevel;
    std::mutex bestLock;
    std::size_t best = candidates.size(), bestSize = 0;
    Bytes bestPacked;
    RunInParallel(candidates.size(), [&](std::size_t i) {
        const Candidate& c = candidates[i];
        Bytes packed = DeflateZlib(FilteredImage(sheet, *c.form, interlaced, c.filter), level);
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
    const Bytes data = FilteredImage(sheet, *winner.form, interlaced, winner.filter);
    Bytes smaller = exhaustive ? DeflateZlibExhaustive(data) : StrongestDeflate(data);
    if (smaller.size() < choice.packed.size())
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
