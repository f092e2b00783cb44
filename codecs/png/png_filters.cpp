#include "codecs/png/png_filters.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace tessolo {

namespace {

inline std::uint8_t Paeth(int left, int above, int upperLeft)
{
    int p = left + above - upperLeft;
    int pa = std::abs(p - left), pb = std::abs(p - above), pc = std::abs(p - upperLeft);
    if (pa <= pb && pa <= pc)
        return std::uint8_t(left);
    return std::uint8_t(pb <= pc ? above : upperLeft);
}

}  // namespace

void UnfilterRow(int filterType, std::uint8_t* row, const std::uint8_t* previous, std::size_t size,
                 int offset)
{
    std::size_t p = std::size_t(offset) < size ? std::size_t(offset) : size;
    switch (filterType) {
    case pfSub:
        for (std::size_t i = p; i < size; ++i)
            row[i] = std::uint8_t(row[i] + row[i - p]);
        break;
    case pfUp:
        for (std::size_t i = 0; i < size; ++i)
            row[i] = std::uint8_t(row[i] + previous[i]);
        break;
    case pfAverage:
        for (std::size_t i = 0; i < p; ++i)
            row[i] = std::uint8_t(row[i] + previous[i] / 2);
        for (std::size_t i = p; i < size; ++i)
            row[i] = std::uint8_t(row[i] + (row[i - p] + previous[i]) / 2);
        break;
    case pfPaeth:
        for (std::size_t i = 0; i < p; ++i)
            row[i] = std::uint8_t(row[i] + previous[i]);
        for (std::size_t i = p; i < size; ++i)
            row[i] = std::uint8_t(row[i] + Paeth(row[i - p], previous[i], previous[i - p]));
        break;
    default: break;
    }
}

void ApplyFilter(TFilter filter, const std::uint8_t* raw, const std::uint8_t* previous, std::uint8_t* out,
                 std::size_t size, int offset)
{
    std::size_t p = std::size_t(offset) < size ? std::size_t(offset) : size;
    switch (filter) {
    case pfNone:
        for (std::size_t i = 0; i < size; ++i)
            out[i] = raw[i];
        break;
    case pfSub:
        for (std::size_t i = 0; i < p; ++i)
            out[i] = raw[i];
        for (std::size_t i = p; i < size; ++i)
            out[i] = std::uint8_t(raw[i] - raw[i - p]);
        break;
    case pfUp:
        for (std::size_t i = 0; i < size; ++i)
            out[i] = std::uint8_t(raw[i] - previous[i]);
        break;
    case pfAverage:
        for (std::size_t i = 0; i < p; ++i)
            out[i] = std::uint8_t(raw[i] - previous[i] / 2);
        for (std::size_t i = p; i < size; ++i)
            out[i] = std::uint8_t(raw[i] - (raw[i - p] + previous[i]) / 2);
        break;
    case pfPaeth:
        for (std::size_t i = 0; i < p; ++i)
            out[i] = std::uint8_t(raw[i] - previous[i]);
        for (std::size_t i = p; i < size; ++i)
            out[i] = std::uint8_t(raw[i] - Paeth(raw[i - p], previous[i], previous[i - p]));
        break;
    }
}

int FilterScore(const std::uint8_t* row, std::size_t size)
{
    int score = 0;
    for (std::size_t k = 2; k < size; ++k)
        score += row[k] == row[k - 1] || row[k] == row[k - 2];
    return score;
}

std::uint64_t SignedMagnitudeSum(const std::uint8_t* row, std::size_t size)
{
    std::uint64_t sum = 0;
    for (std::size_t k = 0; k < size; ++k)
        sum += std::uint64_t(std::abs(int(std::int8_t(row[k]))));
    return sum;
}

EntropyBits::EntropyBits(std::size_t maxSize) : countBits_(maxSize + 1)
{
    for (std::size_t n = 2; n <= maxSize; ++n)
        countBits_[n] = double(n) * std::log2(double(n));
}

std::uint64_t EntropyBits::operator()(const std::uint8_t* row, std::size_t size) const
{
    // Four tables counted in turn, so that a run of one value does not wait
    // on its own count: filtered rows are mostly runs.
    std::array<std::array<std::uint32_t, 256>, 4> counts{};
    std::size_t k = 0;
    for (; k + 4 <= size; k += 4)
        for (std::size_t t = 0; t < 4; ++t)
            ++counts[t][row[k + t]];
    for (; k < size; ++k)
        ++counts[0][row[k]];
    double bits = countBits_[size];
    for (std::size_t v = 0; v < 256; ++v)
        bits -= countBits_[counts[0][v] + counts[1][v] + counts[2][v] + counts[3][v]];
    return std::uint64_t(bits * 16);
}

}  // namespace tessolo
