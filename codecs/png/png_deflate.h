// The zlib streams of the optimised encoder's image data.
#pragma once

#include "platform/bytes.h"

namespace tessolo {

// libdeflate's strongest level, and a quick one for comparing candidates.
inline constexpr int kStrongestDeflateLevel = 12;

// `data` compressed by libdeflate at `level` (1 to 12).
Bytes DeflateZlib(const Bytes& data, int level);

// `data` compressed by zopfli: slow, and some percent smaller.
Bytes DeflateZlibExhaustive(const Bytes& data);

}  // namespace tessolo
