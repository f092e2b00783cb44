// Deflate blocks merged after compression. libdeflate's strongest level ends
// a block every few hundred KB of input, and each block carries its own
// code tables: on rows that shrink a hundred times or more, as those of
// large icons on one background do, the tables are several percent of the
// stream. Merging neighbours that share their statistics well enough keeps
// every literal and match and drops most of the tables.
#pragma once

#include "platform/bytes.h"

#include <optional>
#include <span>
#include <vector>

namespace tessolo {

// Streams at most this many times smaller than their data are not merged:
// their tables weigh little, and the literals and matches held while they
// are rewritten (at most 8 a byte of stream, 4 bytes each) stay within the
// data's own size.
inline constexpr std::size_t kMergeMinRatio = 32;

// The zlib stream `stream` of `data`, its literals and matches unchanged,
// with adjacent blocks merged while one code for both, tables included,
// takes fewer bits than their two. Gives `stream` itself when that is not
// smaller, when the stream is not over kMergeMinRatio times smaller than
// `data`, or when it is not one it can read back to `data`.
Bytes MergeDeflateBlocks(const Bytes& stream, const Bytes& data);

// One zlib stream of `data` from the zlib streams of its consecutive parts,
// each compressed on its own (so at once): their literals and matches in one
// stream, its blocks merged as above. Nothing when a part cannot be read or
// the result does not inflate to `data`.
std::optional<Bytes> JoinDeflateParts(const std::vector<Bytes>& parts, const Bytes& data);

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
