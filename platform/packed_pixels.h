// Rows of 1, 2, 4 or 8-bit values packed from the most significant bit
// down, as bitmaps, BMP files and PNG scanlines hold palette indexes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessolo {

// Value `x` of the row.
inline unsigned PackedIndex(const std::uint8_t* row, std::size_t x, int bits)
{
    const std::size_t bit = x * std::size_t(bits);
    return (row[bit / 8] >> (8 - bits - int(bit % 8))) & ((1u << bits) - 1);
}

// ORs `value` into value `x` of a row that was zero there.
inline void OrPackedIndex(std::uint8_t* row, std::size_t x, int bits, unsigned value)
{
    const std::size_t bit = x * std::size_t(bits);
    row[bit / 8] |= std::uint8_t((value & ((1u << bits) - 1)) << (8 - bits - int(bit % 8)));
}

// Sets value `x` to the low `bits` bits of `value`, keeping its neighbours.
inline void SetPackedIndex(std::uint8_t* row, std::size_t x, int bits, unsigned value)
{
    const std::size_t bit = x * std::size_t(bits);
    const int shift = 8 - bits - int(bit % 8);
    const unsigned mask = ((1u << bits) - 1) << shift;
    row[bit / 8] = std::uint8_t((row[bit / 8] & ~mask) | ((value << shift) & mask));
}

}  // namespace tessolo
