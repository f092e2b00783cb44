#include "codecs/png/png_optimize.h"

#include "codecs/png/png_deflate.h"
#include "codecs/png/png_deflate_blocks.h"
#include "codecs/png/png_parallel.h"
#include "codecs/png/png_scanlines.h"
#include "codecs/png/png_sheet_form.h"
#include "codecs/png/pngimage.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
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

// Sheets of more 32-bit pixel bytes than this, without interlacing and not
// exhaustive, are filtered, compressed and written a piece of rows at a
// time, kPartsAtOnce pieces at once: beyond the sheet the encoder then
// holds a few pieces whatever the sheet's size, for 4 or 5 bytes a piece and
// the matches the start of a piece would have found in the one before.
// Every sheet above it compares its candidates on bands of together one
// piece. Smaller sheets, every benchmark sheet among them, are written as
// one stream.
constexpr std::size_t kPiecewiseAbove = std::size_t(64) << 20;
constexpr std::size_t kPieceBytes = std::size_t(4) << 20;

// Level 12 compresses the image data of such a sheet in parts of at most
// this, kPartsAtOnce at once, each after the window of data before it (see
// Level12InParts). Parts of 1.5 to 16 MiB gave files within 0.3 % of each
// other and of two halves on the large benchmark sheets; of 2 MiB, the
// shortest builds (bench/README.md).
constexpr std::size_t kPartBytes = std::size_t(2) << 20;

// The bytes of image data, from the middle, on which the final compressors
// are compared first when there are more than kSampledAbove (see
// StrongestDeflate). A quarter of a MiB chose as one MiB did on every
// benchmark sheet, in a quarter of the time.
constexpr std::size_t kSampleBytes = std::size_t(1) << 18;
constexpr std::size_t kSampledAbove = std::size_t(4) << 20;

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

// Rows [first, end) of the sheet.
struct RowBand {
    int first, end;
};

// Whether the sheet is written a piece at a time (see kPiecewiseAbove).
bool Piecewise(const Bitmap& sheet, const OptimizedPngOptions& options)
{
    return !options.interlaced && !options.exhaustive &&
           std::size_t(sheet.Width()) * 4 * std::size_t(sheet.Height()) > kPiecewiseAbove;
}

// The bands of rows a large sheet compares its candidates on; none (the
// whole sheet) for a smaller one.
std::vector<RowBand> TrialBands(const Bitmap& sheet)
{
    const std::size_t rowBytes = std::size_t(sheet.Width()) * 4;
    int rows = sheet.Height() / (kTrialBands * kTrialShareOfRows);
    if (rows == 0 || rowBytes * std::size_t(sheet.Height()) <= kBandedTrialsAbove)
        return {};
    if (rowBytes * std::size_t(sheet.Height()) > kPiecewiseAbove)
        rows = std::min(rows, int(std::max<std::size_t>(1, kPieceBytes / kTrialBands / rowBytes)));
    std::vector<RowBand> bands;
    for (int i = 0; i < kTrialBands; ++i) {
        const int first = int(std::int64_t(sheet.Height() - rows) * i / (kTrialBands - 1));
        bands.push_back({first, first + rows});
    }
    return bands;
}

// The image data of a candidate, its rows filtered when asked for:
// FilterPassRows gives any range of a pass's rows as the whole image holds it.
class FilteredRows final : public DeflateInput {
public:
    FilteredRows(const Bitmap& sheet, const Candidate& candidate, bool interlaced)
        : sheet_(sheet), candidate_(candidate), passes_(ScanlinePasses(sheet, *candidate.form, interlaced))
    {
    }
    std::size_t Size() const override
    {
        return passes_.empty() ? 0 : passes_.back().End();
    }

    // The rows of each pass that hold part of the range, cut to it; in two
    // halves at once when they are more than two parts' worth.
    InputBytes Range(std::size_t begin, std::size_t end) const override
    {
        Bytes range(end - begin);
        for (const ScanlinePass& pass : passes_) {
            const std::size_t from = std::max(begin, pass.offset);
            const std::size_t to = std::min(end, pass.End());
            if (from >= to)
                continue;
            const int first = int((from - pass.offset) / pass.rowBytes);
            const int last = int((to - pass.offset + pass.rowBytes - 1) / pass.rowBytes);
            Bytes rows(std::size_t(last - first) * pass.rowBytes);
            const int middle = rows.size() > 2 * kPartBytes ? first + (last - first) / 2 : last;
            RunInParallel(middle < last ? 2 : 1, [&](std::size_t i) {
                const int from = i == 0 ? first : middle;
                FilterPassRows(sheet_, *candidate_.form, candidate_.filter, pass, from, i == 0 ? middle : last,
                               rows.data() + std::size_t(from - first) * pass.rowBytes);
            });
            const std::size_t skip = from - pass.offset - std::size_t(first) * pass.rowBytes;
            std::copy_n(rows.begin() + std::ptrdiff_t(skip), to - from, range.begin() + std::ptrdiff_t(from - begin));
        }
        return InputBytes(std::move(range));
    }

private:
    const Bitmap& sheet_;
    const Candidate& candidate_;
    std::vector<ScanlinePass> passes_;
};

// The image data of the bands, one after another: for each band the same
// share of the data as of the rows (its very rows without interlacing).
Bytes FilteredBands(const Bitmap& sheet, const Candidate& candidate, bool interlaced,
                    const std::vector<RowBand>& bands)
{
    const FilteredRows data(sheet, candidate, interlaced);
    const std::size_t size = data.Size(), height = std::size_t(sheet.Height());
    auto at = [&](int row) { return size * std::size_t(row) / height; };
    std::size_t total = 0;
    for (const RowBand& band : bands)
        total += at(band.end) - at(band.first);
    Bytes out;
    out.reserve(total);
    for (const RowBand& band : bands) {
        const InputBytes bytes = data.Range(at(band.first), at(band.end));
        out.insert(out.end(), bytes.View().begin(), bytes.View().end());
    }
    return out;
}

// The final compressors: libdeflate's level 12, and zlib's level 9 with
// either strategy, each with its blocks merged.
enum class Compressor { kLevel12, kLazy, kLazyFiltered };

Bytes Compressed(Compressor compressor, const DeflateInput& data)
{
    Bytes packed = compressor == Compressor::kLevel12
                       ? DeflateZlib(data.Range(0, data.Size()).View(), kStrongestDeflateLevel)
                       : DeflateZlibLazy(data, compressor == Compressor::kLazyFiltered);
    return MergeDeflateBlocks(packed, data);
}

// libdeflate's level 12 on parts of the data of at most kPartBytes,
// kPartsAtOnce at once (and a multiple of it, so that no part is left to
// one core at the end), each compressed after the window of data before it:
// its matches reach back as they would in one stream. Only the part's own
// literals and matches are kept and joined into one stream, its blocks
// merged across the parts when `mergeAcross`, else each part written on
// its own. Only the parts being compressed are held, and the literals and
// matches of all only when merged across. How the data is parted does not
// depend on the cores, so neither does the file.
Bytes Level12InParts(const DeflateInput& data, bool mergeAcross, const Checkpoint& checkpoint)
{
    const std::size_t size = data.Size();
    std::size_t parts = std::max<std::size_t>(2, (size + kPartBytes - 1) / kPartBytes);
    parts += (kPartsAtOnce - parts % kPartsAtOnce) % kPartsAtOnce;
    std::vector<DeflateBlocks> blocks(parts);
    std::atomic<bool> unreadable{false};
    RunInParallel(
        parts,
        [&](std::size_t i) {
            const std::size_t begin = size * i / parts, end = size * (i + 1) / parts;
            const std::size_t lead = std::min(begin, kDeflateWindow);
            const InputBytes bytes = data.Range(begin - lead, end);
            std::optional<DeflateBlocks> read =
                ReadPartBlocks(DeflateZlib(bytes.View(), kStrongestDeflateLevel), bytes.View(), lead);
            if (!read) {
                unreadable = true;
                return;
            }
            if (!mergeAcross)
                WriteOnItsOwn(*read, i + 1 == parts);
            blocks[i] = std::move(*read);
        },
        kPartsAtOnce, checkpoint);
    if (!unreadable)
        if (std::optional<Bytes> joined = JoinDeflateParts(std::move(blocks)))
            return std::move(*joined);
    return Compressed(Compressor::kLevel12, data);
}

// The sizes of `sample` compressed by level 12 and by zlib's filtered
// strategy, at once; level 12 is worth its time when it wins by over 2 %.
std::pair<std::size_t, std::size_t> SampleSizes(std::span<const std::uint8_t> sample)
{
    std::size_t sizes[2] = {};
    const HeldInput held(sample);
    RunInParallel(2, [&](std::size_t i) {
        sizes[i] = Compressed(i == 0 ? Compressor::kLevel12 : Compressor::kLazyFiltered, held).size();
    });
    return {sizes[0], sizes[1]};
}

bool Level12Wins(std::pair<std::size_t, std::size_t> sizes) { return sizes.first * 50 < sizes.second * 49; }

// The smallest of `jobs` on `data`, all at once; the first of equal sizes,
// so that the file does not depend on timing.
Bytes SmallestOf(const std::vector<Compressor>& jobs, const DeflateInput& data, const Checkpoint& checkpoint)
{
    std::vector<Bytes> packed(jobs.size());
    RunInParallel(
        jobs.size(), [&](std::size_t i) { packed[i] = Compressed(jobs[i], data); }, SIZE_MAX, checkpoint);
    return std::move(*std::min_element(packed.begin(), packed.end(), [](const Bytes& a, const Bytes& b) {
        return a.size() < b.size();
    }));
}

// The smallest of the final compressors on `data`. Level 12 finds the
// better matches but ends a block every few hundred KB; on the rows of large
// icons on one background, which shrink some 200 times, its code tables
// made it 3 to 6 % larger than zlib's until they were merged, and it takes
// several times as long (bench/README.md).
// So on data of more than a few MiB both compress a sample first, and
// level 12 runs alone on parts, two at a time, their blocks merged across
// the parts when the data shrinks enough for that to matter, when it won
// there by more than 2 %; else zlib with both strategies, reading the data
// a piece at a time. Smaller data is held whole, as the three compressors
// read it at once.
Bytes StrongestDeflate(const DeflateInput& data, const Checkpoint& checkpoint)
{
    if (data.Size() > kSampledAbove) {
        const std::size_t begin = (data.Size() - kSampleBytes) / 2;
        const auto sizes = SampleSizes(data.Range(begin, begin + kSampleBytes).View());
        if (Level12Wins(sizes))
            return Level12InParts(data, sizes.first * kMergeMinRatio < kSampleBytes, checkpoint);
        return SmallestOf({Compressor::kLazy, Compressor::kLazyFiltered}, data, checkpoint);
    }
    const InputBytes whole = data.Range(0, data.Size());
    return SmallestOf({Compressor::kLevel12, Compressor::kLazy, Compressor::kLazyFiltered},  // the slowest first
                      HeldInput(whole.View()), checkpoint);
}

// The candidate whose image data is smallest compressed at kTrialLevel (at
// the strongest level when exhaustive), on the whole image data or on bands
// of a large sheet's rows, and that compressed data. Only the compressed
// data of the best so far is kept: the winner's rows are filtered again for
// the final compression, which costs far less than holding another copy of
// the image.
struct Trial {
    const Candidate* winner = nullptr;
    Bytes packed;
};

Trial TrialWinner(const Bitmap& sheet, const std::vector<Candidate>& candidates, const std::vector<RowBand>& bands,
                  const OptimizedPngOptions& options, const Checkpoint& checkpoint)
{
    const int level = options.exhaustive ? kStrongestDeflateLevel : kTrialLevel;
    std::mutex bestLock;
    std::size_t best = candidates.size(), bestSize = 0;
    Trial trial;
    RunInParallel(
        candidates.size(),
        [&](std::size_t i) {
            const Candidate& c = candidates[i];
            Bytes packed = DeflateZlib(bands.empty() ? FilteredImage(sheet, *c.form, options.interlaced, c.filter)
                                                     : FilteredBands(sheet, c, options.interlaced, bands),
                                       level);
            std::size_t size = packed.size() + TableBytesOf(*c.form);
            std::lock_guard lock(bestLock);
            // Ties go to the earlier candidate, so the file does not depend on timing.
            if (best == candidates.size() || std::pair(size, i) < std::pair(bestSize, best)) {
                best = i;
                bestSize = size;
                trial.packed = std::move(packed);
            }
        },
        SIZE_MAX, checkpoint);
    trial.winner = &candidates[best];
    return trial;
}

// The winner's image data compressed again by StrongestDeflate, or by zopfli
// when exhaustive: that, or the trial's own compressed data if it is smaller.
Bytes FinalImageData(const Bitmap& sheet, Trial trial, const std::vector<RowBand>& bands,
                     const OptimizedPngOptions& options, const Checkpoint& checkpoint)
{
    const Candidate& winner = *trial.winner;
    const FilteredRows data(sheet, winner, options.interlaced);
    Bytes smaller = options.exhaustive ? DeflateZlibExhaustive(data, checkpoint) : StrongestDeflate(data, checkpoint);
    // A trial on bands compressed only part of the data.
    if (!bands.empty() || smaller.size() < trial.packed.size())
        return smaller;
    return std::move(trial.packed);
}

// Writes the winner's image data a piece of rows at a time (see
// kPiecewiseAbove), in an IDAT chunk each: the compressor that a sample from
// the middle chooses, as for a sheet written whole, compresses each piece on
// its own, and the pieces are joined into one zlib stream.
void WriteImageDataInPieces(const Bitmap& sheet, const Candidate& winner, const ByteSink& write)
{
    const std::size_t rowBytes = FilteredRowBytes(sheet, *winner.form);
    const int height = sheet.Height();
    auto filtered = [&](int first, int end) {
        Bytes rows(std::size_t(end - first) * rowBytes);
        FilterRows(sheet, *winner.form, winner.filter, first, end, rows.data());
        return rows;
    };
    const int sampleRows = int(std::clamp<std::size_t>(kSampleBytes / rowBytes, 1, std::size_t(height)));
    const int sampleFirst = (height - sampleRows) / 2;
    const bool level12 = Level12Wins(SampleSizes(filtered(sampleFirst, sampleFirst + sampleRows)));

    const int pieceRows = int(std::clamp<std::size_t>(kPieceBytes / rowBytes, 1, std::size_t(height)));
    const std::size_t pieces = (std::size_t(height) + std::size_t(pieceRows) - 1) / std::size_t(pieceRows);
    std::uint32_t adler = 1;
    for (std::size_t start = 0; start < pieces; start += kPartsAtOnce) {
        struct Piece {
            Bytes deflate;
            std::uint32_t adler = 1;
            std::size_t bytes = 0;
        };
        std::vector<Piece> round(std::min(kPartsAtOnce, pieces - start));
        Bytes header;
        RunInParallel(round.size(), [&](std::size_t i) {
            const std::size_t piece = start + i;
            const int first = int(piece) * pieceRows;
            Bytes rows = filtered(first, std::min(height, first + pieceRows));
            round[i].adler = Adler32(rows);
            round[i].bytes = rows.size();
            const HeldInput held(rows);
            Bytes stream = Compressed(level12 ? Compressor::kLevel12 : Compressor::kLazy, held);
            if (!level12) {
                Bytes other = Compressed(Compressor::kLazyFiltered, held);
                if (other.size() < stream.size())
                    stream = std::move(other);
            }
            rows = Bytes();
            if (piece == 0)
                header.assign(stream.begin(), stream.begin() + 2);
            // The last piece ends the stream: its deflate data as it is.
            const std::span<const std::uint8_t> last = DeflateDataOf(stream);
            round[i].deflate = piece + 1 < pieces ? OpenEndedDeflate(stream) : Bytes(last.begin(), last.end());
        });
        for (std::size_t i = 0; i < round.size(); ++i) {
            Bytes data = std::move(header);
            data.insert(data.end(), round[i].deflate.begin(), round[i].deflate.end());
            adler = std::uint32_t(adler32_combine(adler, round[i].adler, z_off_t(round[i].bytes)));
            if (start + i + 1 == pieces)
                AppendBigEndian32(data, adler);
            Bytes chunk;
            WriteChunk(chunk, kIdatName, data.data(), std::uint32_t(data.size()));
            write(chunk);
        }
    }
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

void WriteOptimizedPng(const Bitmap& sheet, const OptimizedPngOptions& options, const ByteSink& write)
{
    if (sheet.Empty())
        return;
    const std::vector<PngSheetForm> forms = SheetFormCandidates(sheet, options.keepPalette);
    const std::vector<Candidate> candidates = CandidatesOf(forms);
    const std::vector<RowBand> bands = TrialBands(sheet);
    // The caller may stop the encode at the sink between pieces of work.
    const Checkpoint checkpoint = [&write] { write({}); };
    Trial trial = TrialWinner(sheet, candidates, bands, options, checkpoint);
    const Candidate& winner = *trial.winner;

    Bytes file(kPngSignature, kPngSignature + 8);
    WriteHeader(file, sheet, *winner.form, options.interlaced);
    if (winner.form->colorType == kColorPalette)
        WritePalette(file, *winner.form);
    if (Piecewise(sheet, options)) {
        write(file);
        file.clear();
        WriteImageDataInPieces(sheet, winner, write);
    } else {
        const Bytes packed = FinalImageData(sheet, std::move(trial), bands, options, checkpoint);
        for (std::size_t at = 0; at < packed.size(); at += kMaxIdatData) {
            std::size_t size = std::min(kMaxIdatData, packed.size() - at);
            WriteChunk(file, kIdatName, packed.data() + at, std::uint32_t(size));
        }
    }
    WriteChunk(file, kIendName, nullptr, 0);
    write(file);
}

Bytes EncodeOptimizedPng(const Bitmap& sheet, const OptimizedPngOptions& options)
{
    Bytes file;
    WriteOptimizedPng(sheet, options, AppendingTo(file));
    return file;
}

}  // namespace tessolo
