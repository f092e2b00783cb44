// The stored options that a build reads: layout, resizing, paddings and the
// four per-format records (inherited). Front ends fill it from the settings store and
// their own overrides.
#pragma once

#include "settings/format_prefs.h"

#include <cstdint>

namespace tessolo {

struct BuildSettings : FormatPrefsSet {
    std::int32_t Orientation = 0;  // 0 horizontal, 1 vertical, 2 grid
    std::int32_t ResizeMethod = 0;  // 0 none, 1 by percentage, 2 to exact size
    std::int32_t ResizePercentage = 100;
    std::int32_t ResizeWidth = 320;
    std::int32_t ResizeHeight = 240;
    std::int32_t HorizontalPadding = 5;
    std::int32_t VerticalPadding = 5;
};

}  // namespace tessolo
