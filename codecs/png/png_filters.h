// The five row filters: removing them when decoding, applying them and
// scoring their output when encoding. `offset` is the number of bytes per
// complete pixel (at least 1); bytes left of the row and the previous row of
// the first row count as 0.
#pragma once

#include "codecs/png/png_types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessolo {

// Reconstructs `row` in place. Types above 4 leave the row as it is.
void UnfilterRow(int filterType, std::uint8_t* row, const std::uint8_t* previous, std::size_t size,
                 int offset);

// Writes the output of `filter` for `raw` into `out`.
void ApplyFilter(TFilter filter, const std::uint8_t* raw, const std::uint8_t* previous, std::uint8_t* out,
                 std::size_t size, int offset);

// The number of positions k >= 2 at which byte k repeats byte k - 1 or k - 2;
// the encoder prefers the filter whose output repeats most.
int FilterScore(const std::uint8_t* row, std::size_t size);

// The sum of the bytes' magnitudes read as signed values (b for 0..127,
// 256 - b above): the optimised encoder prefers the filter whose output
// sums least, as its values lie closest to 0.
std::uint64_t SignedMagnitudeSum(const std::uint8_t* row, std::size_t size);

// The bits the bytes of a row would take coded by their own frequencies
// (in 1/16 bit): fewer when fewer values repeat more; another score of the
// filters. Rows are of at most `maxSize` bytes; n log2 n is looked up in a
// table, as the score is taken five times a row.
class EntropyBits {
public:
    explicit EntropyBits(std::size_t maxSize);
    std::uint64_t operator()(const std::uint8_t* row, std::size_t size) const;

private:
    std::vector<double> countBits_;  // n log2 n for n = 0 .. maxSize
};

}  // namespace tessolo
