// The zlib streams of the optimised encoder's image data.
#pragma once

#include "platform/bytes.h"

#include <cstdint>
#include <span>

namespace tessolo {

// The Adler-32 checksum of a zlib stream's data, continuing from `adler`
// (1 for the first bytes).
std::uint32_t Adler32(std::span<const std::uint8_t> data, std::uint32_t adler = 1);

// libdeflate's strongest level, and a quick one for comparing candidates.
inline constexpr int kStrongestDeflateLevel = 12;

// `data` compressed by libdeflate at `level` (1 to 12).
Bytes DeflateZlib(std::span<const std::uint8_t> data, int level);

// `data` compressed by zlib's level 9 (lazy matching along hash chains):
// larger than libdeflate's level 12 on most data, but on the rows of large
// icons on one background, which shrink some 200 times, up to 6 % smaller
// and many times faster (bench/README.md). `filtered` is zlib's strategy for
// filtered rows, which takes fewer short matches: often some bytes smaller.
Bytes DeflateZlibLazy(const Bytes& data, bool filtered);

// `data` compressed by zopfli: slow, and some percent smaller.
Bytes DeflateZlibExhaustive(const Bytes& data);

}  // namespace tessolo
