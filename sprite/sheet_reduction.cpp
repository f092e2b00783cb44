#include "sprite/sheet_reduction.h"

#include "platform/error.h"

#include <algorithm>
#include <vector>

namespace tessolo {

namespace {

// The source pixels one output pixel covers along one side, with the
// length each covers in units of 1 / to of a source pixel; the lengths of
// one output pixel add up to `from`.
struct Span {
    int first = 0;
    std::vector<unsigned> weights;
};

std::vector<Span> SpansOf(int outLength, int from, int to)
{
    std::vector<Span> spans(static_cast<std::size_t>(outLength));
    for (int i = 0; i < outLength; ++i) {
        // The output pixel covers [i * from, (i + 1) * from) in units where
        // source pixel j covers [j * to, (j + 1) * to).
        const long start = long(i) * from, end = start + from;
        Span& span = spans[std::size_t(i)];
        span.first = int(start / to);
        for (long j = span.first; j * to < end; ++j)
            span.weights.push_back(unsigned(std::min(end, (j + 1) * to) - std::max(start, j * to)));
    }
    return spans;
}

}  // namespace

Bitmap ReducedSheet(const Bitmap& sheet, std::int32_t from, std::int32_t to)
{
    const bool alpha = sheet.Format() == PixelFormat::Bits32 && sheet.HasAlpha;
    if (!alpha && sheet.Format() != PixelFormat::Bits24)
        throw Error("Only 24-bit sheets and sheets with alpha can be reduced");
    if (to < 1 || from <= to || std::int64_t(sheet.Width()) * to % from != 0 ||
        std::int64_t(sheet.Height()) * to % from != 0)
        throw Error("A sheet is reduced only to a smaller scale that divides its sides");
    const int bytes = alpha ? 4 : 3;
    Bitmap reduced(int(std::int64_t(sheet.Width()) * to / from),
                   int(std::int64_t(sheet.Height()) * to / from), sheet.Format());
    reduced.HasAlpha = alpha;
    const std::vector<Span> columns = SpansOf(reduced.Width(), from, to);
    const std::vector<Span> rows = SpansOf(reduced.Height(), from, to);
    // Every weight is at most `to` a side, and the weights of one pixel add
    // up to from * from, at most 255 * 255 * from * from in all.
    const unsigned total = unsigned(from) * unsigned(from);
    for (int y = 0; y < reduced.Height(); ++y) {
        const Span& row = rows[std::size_t(y)];
        std::uint8_t* out = reduced.ScanLine(y);
        for (int x = 0; x < reduced.Width(); ++x, out += bytes) {
            const Span& column = columns[std::size_t(x)];
            unsigned sums[4] = {0, 0, 0, 0};  // alpha: colours weighted by alpha, then alpha
            for (std::size_t dy = 0; dy < row.weights.size(); ++dy) {
                const std::uint8_t* line = sheet.ScanLine(row.first + int(dy));
                for (std::size_t dx = 0; dx < column.weights.size(); ++dx) {
                    const std::uint8_t* p = line + std::size_t(column.first + int(dx)) * bytes;
                    const unsigned weight = row.weights[dy] * column.weights[dx];
                    const unsigned colourWeight = alpha ? weight * p[3] : weight;
                    for (int c = 0; c < 3; ++c)
                        sums[c] += colourWeight * p[c];
                    sums[3] += colourWeight;
                }
            }
            const unsigned colourTotal = alpha ? sums[3] : total;
            for (int c = 0; c < 3; ++c)
                out[c] = colourTotal == 0 ? 0 : std::uint8_t((sums[c] + colourTotal / 2) / colourTotal);
            if (alpha)
                out[3] = std::uint8_t((sums[3] + total / 2) / total);
        }
    }
    return reduced;
}

}  // namespace tessolo
