// The stored options that a build reads: layout, resizing, paddings, the
// merging of identical images and the four per-format records (inherited).
// Front ends fill it from the settings store and their own overrides.
#pragma once

#include "settings/format_prefs.h"

#include <cstdint>

namespace tessolo {

// How each image is resized before it is placed, as stored in ResizeMethod.
enum ResizeMode : std::int32_t { kResizeNone = 0, kResizeByPercentage = 1, kResizeToSize = 2 };

struct BuildSettings : FormatPrefsSet {
    std::int32_t Orientation = 0;  // an Orientation of sprite/layout.h
    std::int32_t ResizeMethod = kResizeNone;  // a ResizeMode
    std::int32_t ResizePercentage = 100;
    std::int32_t ResizeWidth = 320;
    std::int32_t ResizeHeight = 240;
    std::int32_t HorizontalPadding = 5;
    std::int32_t VerticalPadding = 5;
    std::int32_t DedupeImages = 0;  // non-zero: identical images share one place
};

}  // namespace tessolo
