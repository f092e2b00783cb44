// FNV-1a with 64 bits: a small, well-known hash of bytes for telling
// contents apart (identical images, a changed sheet, an output changed since
// a build wrote it). It is not meant to resist a deliberate collision.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tessolo {

inline constexpr std::uint64_t kByteHashStart = 0xcbf29ce484222325ULL;

inline std::uint64_t HashByte(std::uint64_t hash, std::uint8_t byte)
{
    return (hash ^ byte) * 0x100000001b3ULL;
}

inline std::uint64_t HashBytes(std::span<const std::uint8_t> bytes,
                               std::uint64_t hash = kByteHashStart)
{
    for (std::uint8_t byte : bytes)
        hash = HashByte(hash, byte);
    return hash;
}

// The hash as 16 lower-case hexadecimal digits, the most significant first.
inline std::string HashDigits(std::uint64_t hash)
{
    std::string digits(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        digits[i] = "0123456789abcdef"[hash & 15];
    return digits;
}

}  // namespace tessolo
