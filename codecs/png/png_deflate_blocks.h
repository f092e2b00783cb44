// Deflate blocks merged after compression. libdeflate's strongest level ends
// a block every few hundred KB of input, and each block carries its own
// code tables: on rows that shrink a hundred times or more, as those of
// large icons on one background do, the tables are several percent of the
// stream. Merging neighbours that share their statistics well enough keeps
// every literal and match and drops most of the tables.
#pragma once

#include "platform/bytes.h"

namespace tessolo {

// The zlib stream `stream` of `data`, its literals and matches unchanged,
// with adjacent blocks merged while one code for both, tables included,
// takes fewer bits than their two. Gives `stream` itself when that is not
// smaller, when the stream is not over 32 times smaller than `data` (its
// tables then weigh little), or when it is not one it can read back to
// `data`.
Bytes MergeDeflateBlocks(const Bytes& stream, const Bytes& data);

}  // namespace tessolo
