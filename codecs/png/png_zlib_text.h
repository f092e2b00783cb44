// Whole-buffer zlib helpers for compressed text chunks.
#pragma once

#include "platform/bytes.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tessolo {

// Most text the zTXt chunks of one file may inflate to, all together.
constexpr std::size_t kMaxInflatedText = std::size_t(16) << 20;

// Inflates a complete zlib stream; nothing when it is damaged or incomplete.
// Every byte inflated is taken from `allowance`, kept or not, and output
// beyond it is refused the same way: chunks that share an allowance cannot
// claim unbounded memory or time together.
std::optional<Bytes> InflateAll(std::span<const std::uint8_t> input, std::size_t& allowance);

// Deflates `input` at `level` (0..9) into a complete zlib stream.
Bytes DeflateAll(std::span<const std::uint8_t> input, int level);

}  // namespace tessolo
