// A run of bytes: file contents, encoded images, stream buffers.
#pragma once

#include <cstdint>
#include <vector>

namespace tessolo {

using Bytes = std::vector<std::uint8_t>;

}  // namespace tessolo
