// The options that a build reads: layout, resizing, paddings, background,
// merging, density, the outputs for web pages and the sheet encoders'
// options. Front ends fill it from the settings store
// (sprite/stored_build_settings.h) and their own overrides.
#pragma once

#include "sprite/image_formats.h"
#include "sprite/layout.h"
#include "sprite/sheet_limit.h"
#include "sprite/stylesheet.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessolo {

// How each image is resized before it is placed, as stored in ResizeMethod.
enum ResizeMode : std::int32_t { kResizeNone = 0, kResizeByPercentage = 1, kResizeToSize = 2 };

// What lies behind the images, as stored in SheetBackground: white, with
// every source blended over it, or transparent, keeping the sources' alpha.
enum SheetBackground : std::int32_t { kBackgroundWhite = 0, kBackgroundTransparent = 1 };

// Where a build writes its outputs and the URL by which they name the sheet.
// The defaults write everything into the source folder, as a plain build does.
struct OutputPlaces {
    std::string sheetFolder;       // the sheets; empty: the source folder
    std::string stylesheetFolder;  // the stylesheet, data files and preview page; empty: sheetFolder
    std::string sheetUrl;          // as written; empty: the sheet's path from stylesheetFolder
    bool cacheBust = false;        // "?v=" and a hash of the sheet's bytes after each sheet URL

    friend bool operator==(const OutputPlaces&, const OutputPlaces&) = default;
};

struct BuildSettings {
    // The first-run options, those of a store that holds none (defined with
    // the conversion from the store).
    BuildSettings();

    tessolo::Orientation Orientation = kHorizontal;
    ResizeMode ResizeMethod = kResizeNone;
    std::int32_t ResizePercentage = 0;   // percent of the source's size, for kResizeByPercentage
    std::int32_t ResizeWidth = 0;        // pixels, for kResizeToSize
    std::int32_t ResizeHeight = 0;
    std::int32_t HorizontalPadding = 0;  // pixels between neighbours; may be negative
    std::int32_t VerticalPadding = 0;
    tessolo::SheetBackground SheetBackground = kBackgroundWhite;
    bool DedupeImages = false;     // identical images share one place
    bool Retina = false;           // NAME@2x.<type> as drawn and NAME.<type> at half size
    // Bit 1 << N: a sheet NAME@Nx.<type> at N device pixels per CSS pixel,
    // 1 <= N <= 4, drawn at the largest; 0: the sheets that Retina asks for.
    std::int32_t Scales = 0;
    bool BaseRule = false;         // a rule for the class itself opens the stylesheet
    bool PseudoClasses = false;    // NAME_hover and the other states also rule NAME:hover
    StylesheetUnits Units = kUnitsPixels;  // of the rules' places and sizes
    std::int32_t DataFormats = 0;  // DataFormat bits of settings/data_formats.h
    bool HtmlPreview = false;      // a preview page beside the stylesheet
    std::vector<std::string> Templates;  // Mustache templates, each writing NAME.<its type>
    SheetEncoding Encoding;
    OutputPlaces Places;
    SheetLimit MaxSize;  // each sheet's largest size; beyond it, more sheets
    // Bits 1 << OutputType: the sheet also in those types, offered by image-set().
    std::int32_t AlsoFormats = 0;
    std::int32_t SvgSize = 0;  // SVG sources drawn with their longer side this long; 0: their own size
};

}  // namespace tessolo
