// Places and sizes on a sheet are worked out in 64 bits, whatever the
// settings hold; this is the one check that a result still fits the 32 bits
// of a sheet coordinate.
#pragma once

#include "platform/error.h"

#include <cstdint>
#include <limits>

namespace tessolo {

// `value` as a sheet coordinate. Throws Error when it leaves the 32-bit range.
inline std::int32_t SheetValue(std::int64_t value)
{
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        throw Error("The sprite sheet would be too large");
    return std::int32_t(value);
}

}  // namespace tessolo
