// CRC-32 of chunk types and data (reflected polynomial 0xEDB88320).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessolo {

// The register value a chunk's CRC starts from.
constexpr std::uint32_t kCrcStart = 0xFFFFFFFFu;

// Runs `size` bytes through the register; complement the final register to
// get the stored CRC.
std::uint32_t UpdateCrc(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace tessolo
