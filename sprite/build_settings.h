// The stored options that a build reads: layout, resizing, paddings, the
// outputs for web pages and the rest of SheetOptions, and the four
// per-format records. Front ends fill it from the settings store and their
// own overrides.
#pragma once

#include "settings/format_prefs.h"
#include "settings/sheet_options.h"

#include <cstdint>

namespace tessolo {

// How each image is resized before it is placed, as stored in ResizeMethod.
enum ResizeMode : std::int32_t { kResizeNone = 0, kResizeByPercentage = 1, kResizeToSize = 2 };

// What lies behind the images, as stored in SheetBackground: white, with
// every source blended over it, or transparent, keeping the sources' alpha.
enum SheetBackground : std::int32_t { kBackgroundWhite = 0, kBackgroundTransparent = 1 };

struct BuildSettings : FormatPrefsSet, SheetOptions {};

}  // namespace tessolo
