// A run of bytes: file contents, encoded images, stream buffers.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace tessolo {

using Bytes = std::vector<std::uint8_t>;

// Takes a file's bytes piece by piece, in order, as they are made. A writer
// that works long between pieces may also pass it no bytes now and then, on
// the thread that called it, so that the caller can stop the work by
// throwing.
using ByteSink = std::function<void(std::span<const std::uint8_t>)>;

// A sink that appends every piece to `bytes`: a whole file from a writer
// that hands it on in pieces.
inline ByteSink AppendingTo(Bytes& bytes)
{
    return [&bytes](std::span<const std::uint8_t> piece) { bytes.insert(bytes.end(), piece.begin(), piece.end()); };
}

}  // namespace tessolo
