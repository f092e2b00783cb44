// The stored options that every build reads: layout, resizing, paddings,
// background, merging, density, the outputs for web pages and the form of
// the rules. The settings
// store and a build's settings both hold them, so they pass from one to the
// other as a whole.
#pragma once

#include <cstdint>
#include <string>

namespace tessolo {

struct SheetOptions {
    // Every field its first-run value, from the store's table of values
    // (settings/stored_values.h).
    SheetOptions();

    std::int32_t Orientation;        // an Orientation of sprite/layout.h (one byte)
    std::int32_t ResizeMethod;       // a ResizeMode of sprite/build_settings.h (one byte)
    std::int32_t ResizePercentage;   // percent of the source's size, for kResizeByPercentage
    std::int32_t ResizeWidth;        // pixels, for kResizeToSize
    std::int32_t ResizeHeight;
    std::int32_t HorizontalPadding;  // pixels between neighbours; may be negative
    std::int32_t VerticalPadding;
    std::int32_t SheetBackground;    // a SheetBackground of sprite/build_settings.h (one byte)
    std::int32_t DedupeImages;       // non-zero: identical images share one place
    std::int32_t Retina;             // non-zero: NAME@2x.<ext> as drawn and NAME.<ext> at half size
    std::int32_t BaseRule;           // non-zero: a rule for the class itself opens the stylesheet
    std::int32_t DataFormats;        // DataFormat bits of settings/data_formats.h
    std::int32_t HtmlPreview;        // non-zero: a preview page beside the stylesheet
    std::int32_t PseudoClasses;      // non-zero: NAME_hover and the other states also rule NAME:hover
    std::int32_t CssUnits;           // a StylesheetUnits of sprite/stylesheet.h (one byte)
    std::int32_t PngColors;          // 2-256: a lossy palette of PNG sheets; 0: exact colours
    std::int32_t PngDither;          // non-zero: that palette dithered
    // Where the outputs go; a relative folder or template is taken from the
    // source folder, and empty texts keep everything there.
    std::string SheetFolder;
    std::string StylesheetFolder;  // empty: SheetFolder
    std::string SheetUrl;          // empty: the sheet's path from the stylesheet
    std::int32_t CacheBust;        // non-zero: a hash of the sheet's bytes in its URLs
    std::string Templates;         // Mustache templates as delimited text
    std::int32_t MaxSheetWidth;    // pixels a sheet may be wide; 0: no limit
    std::int32_t MaxSheetHeight;   // pixels a sheet may be high; 0: no limit
    std::int32_t AlsoFormats;      // bits 1 << OutputType: the sheet written in those types too
    std::int32_t GifQuantizer;     // non-zero: GIF sheets take the quantiser's colours
    std::int32_t SvgSize;          // pixels of an SVG source's longer side; 0: its own size
    std::int32_t Scales;           // bits 1 << N: a sheet at N device pixels per CSS pixel; 0: by Retina
};

}  // namespace tessolo
