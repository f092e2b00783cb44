// Whole-buffer zlib helpers for compressed text chunks.
#pragma once

#include "platform/files.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tessolo {

// Inflates a complete zlib stream; nothing when it is damaged or incomplete.
// Output beyond `limit` bytes is refused the same way, so a tiny chunk cannot
// claim unbounded memory.
std::optional<Bytes> InflateAll(std::span<const std::uint8_t> input, std::size_t limit);

// Deflates `input` at `level` (0..9) into a complete zlib stream.
Bytes DeflateAll(std::span<const std::uint8_t> input, int level);

}  // namespace tessolo
