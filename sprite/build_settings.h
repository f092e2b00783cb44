// The stored options that a build reads: layout, resizing, paddings, the
// merging of identical images and the four per-format records (inherited).
// Front ends fill it from the settings store and their own overrides.
#pragma once

#include "settings/format_prefs.h"

#include <cstdint>

namespace tessolo {

// How each image is resized before it is placed, as stored in ResizeMethod.
enum ResizeMode : std::int32_t { kResizeNone = 0, kResizeByPercentage = 1, kResizeToSize = 2 };

// What lies behind the images, as stored in SheetBackground: white, with
// every source blended over it, or transparent, keeping the sources' alpha.
enum SheetBackground : std::int32_t { kBackgroundWhite = 0, kBackgroundTransparent = 1 };

struct BuildSettings : FormatPrefsSet {
    std::int32_t Orientation = 0;  // an Orientation of sprite/layout.h
    std::int32_t ResizeMethod = kResizeNone;  // a ResizeMode
    std::int32_t ResizePercentage = 100;
    std::int32_t ResizeWidth = 320;
    std::int32_t ResizeHeight = 240;
    std::int32_t HorizontalPadding = 5;
    std::int32_t VerticalPadding = 5;
    // The outputs for web pages (sprite/web_outputs.h), all off by default.
    std::int32_t BaseRule = 0;     // 1: a rule for the class itself opens the stylesheet
    std::int32_t DataFormats = 0;  // DataFormat bits: SCSS, LESS and JSON files
    std::int32_t HtmlPreview = 0;  // 1: a preview page beside the stylesheet
    std::int32_t SheetBackground = kBackgroundWhite;  // a SheetBackground
    std::int32_t DedupeImages = 0;  // non-zero: identical images share one place
    std::int32_t Retina = 0;        // non-zero: NAME@2x.<ext> as drawn and NAME.<ext> at half size
};

}  // namespace tessolo
