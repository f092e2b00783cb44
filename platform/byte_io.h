// Little-endian integers in byte buffers, as the BMP format stores them.
#pragma once

#include "platform/bytes.h"

#include <cstdint>

namespace tessolo {

inline std::uint16_t ReadLe16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

inline std::uint32_t ReadLe32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

inline void AppendLe16(Bytes& out, std::uint32_t value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

inline void AppendLe32(Bytes& out, std::uint32_t value)
{
    AppendLe16(out, value);
    AppendLe16(out, value >> 16);
}

}  // namespace tessolo
