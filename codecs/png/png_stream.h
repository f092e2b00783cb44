// Byte streams of the codec: a reader over a file image in memory and
// big-endian helpers for the writer, which appends to a byte vector.
#pragma once

#include "platform/bytes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

namespace tessolo {

class PngReader {
public:
    explicit PngReader(std::span<const std::uint8_t> data) : data_(data) {}

    // Copies up to `size` bytes; returns how many were there.
    std::size_t Read(void* target, std::size_t size)
    {
        std::size_t n = std::min(size, Remaining());
        if (n > 0)
            std::memcpy(target, data_.data() + position_, n);
        position_ += n;
        return n;
    }
    // Moves forward, stopping at the end.
    void Skip(std::size_t size) { position_ += std::min(size, Remaining()); }
    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return data_.size() - position_; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
};

inline std::uint32_t GetBigEndian32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

inline std::uint16_t GetBigEndian16(const std::uint8_t* p) { return std::uint16_t(p[0] << 8 | p[1]); }

inline void PutBigEndian32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

inline void PutBigEndian16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v >> 8);
    p[1] = std::uint8_t(v);
}

inline void AppendBigEndian32(Bytes& out, std::uint32_t v)
{
    std::uint8_t b[4];
    PutBigEndian32(b, v);
    out.insert(out.end(), b, b + 4);
}

}  // namespace tessolo
