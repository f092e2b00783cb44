// Deflate blocks merged after compression. libdeflate's strongest level ends
// a block every few hundred KB of input, and each block carries its own
// code tables: on rows that shrink a hundred times or more, as those of
// large icons on one background do, the tables are several percent of the
// stream. Merging neighbours that share their statistics well enough keeps
// every literal and match and drops most of the tables.
#pragma once

#include "codecs/png/png_deflate.h"
#include "platform/bytes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tessolo {

// Streams at most this many times smaller than their data are not merged:
// their tables weigh little, and the literals and matches held while they
// are rewritten (at most 8 a byte of stream, 4 bytes each) stay within the
// data's own size.
inline constexpr std::size_t kMergeMinRatio = 32;

// The literals and matches of deflate data, where each block ends among
// them, the zlib header of the stream they were read from, and the checksum
// and number of the bytes they make.
struct DeflateSymbol {
    std::uint16_t litLen;    // a literal, or a match's length
    std::uint16_t distance;  // 0 for a literal
};
struct DeflateBlocks {
    std::vector<DeflateSymbol> symbols;
    std::vector<std::size_t> ends;
    std::array<std::uint8_t, 2> header{};
    std::uint32_t adler = 1;
    std::size_t bytes = 0;
    DeflateBits written;  // see WriteOnItsOwn
};

// The zlib stream `stream` of `data`, its literals and matches unchanged,
// with adjacent blocks merged while one code for both, tables included,
// takes fewer bits than their two. Gives `stream` itself when that is not
// smaller, when the stream is not over kMergeMinRatio times smaller than
// `data`, or when it is not one it can read back to `data`.
Bytes MergeDeflateBlocks(const Bytes& stream, const DeflateInput& data);

// The blocks of a part of some data, read from the zlib stream of `data`:
// the `lead` bytes before the part (at most the deflate window), then the
// part. The literals and matches that make the lead are dropped, and a match
// that ends in the part keeps its bytes there, so that the part's matches
// reach back as far as they would in one stream of the whole. Nothing when
// the stream cannot be read or does not make as many bytes as `data`.
std::optional<DeflateBlocks> ReadPartBlocks(const Bytes& stream, std::span<const std::uint8_t> data,
                                            std::size_t lead);

// Writes the blocks of a part on their own, merged among themselves, its
// last block the stream's last when `last`, and drops its literals and
// matches: for data that shrinks too little for the code tables of the
// blocks to weigh much, and whose symbols would take much memory.
void WriteOnItsOwn(DeflateBlocks& part, bool last);

// One zlib stream of the data of consecutive parts from their blocks, with
// the first part's header: their blocks merged as above, or, when every part
// was written on its own, their deflate data one after another. Nothing when
// it does not inflate to as many bytes as the parts make with the checksum
// of their bytes (which zlib checks as it inflates).
std::optional<Bytes> JoinDeflateParts(std::vector<DeflateBlocks> parts);

// The size of the deflate window: how far back a match reaches.
inline constexpr std::size_t kDeflateWindow = 32768;

// Where the header of the first stored block of raw deflate data ends, in
// bits from its start: what follows is aligned to the bytes of the stream.
// Nothing when there is none (or the data cannot be read).
std::optional<std::size_t> FirstStoredHeaderEnd(const DeflateBits& raw);

// Whether the zlib stream `stream` inflates to `size` bytes that match its
// checksum (which zlib checks as it inflates).
bool InflatesToItsChecksum(const Bytes& stream, std::size_t size);

// The deflate data of a zlib stream: all but its two bytes of header and
// four of checksum (empty for a shorter stream).
std::span<const std::uint8_t> DeflateDataOf(const Bytes& stream);

// The raw deflate data of the zlib stream `stream` with its last block
// marked as not the last and followed by an empty stored block, so that the
// deflate data of what comes next in the same stream can follow from the
// next byte on: parts compressed apart, joined for 4 or 5 bytes each without
// reading their symbols back. Throws Error when `stream` cannot be read.
Bytes OpenEndedDeflate(const Bytes& stream);

}  // namespace tessolo
