// The optional outputs for web pages beside the stylesheet: a base rule for
// the class itself, data files for style preprocessors and scripts, and a
// preview page. Each is built from the images as they were placed.
#pragma once

#include "settings/data_formats.h"
#include "sprite/class_names.h"
#include "sprite/stylesheet.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessolo {

// One image as it was placed on the sheet.
struct PlacedImage {
    std::string fileName;  // the listed file's name, without folder
    ClassName className;
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    std::size_t sheet = 0;  // among SheetFacts::split, when the images were split
};

// What every output says about the sheet.
struct SheetFacts {
    std::string fileName;         // "sprite.png"
    std::string stylesheetName;   // "sprite.css"
    std::string title;            // the project name
    std::int32_t width = 0, height = 0;
    std::int32_t scale = 1;               // device pixels per CSS pixel of this sheet
    std::string highDensityFileName;      // "sprite@2x.png" beside a half-size sheet, else empty
    // The URLs of the sheets as the outputs write them, unquoted: "sprite.png",
    // "../img/sprite.png?v=0123456789"; empty without the sheet.
    std::string url, highDensityUrl;
    // The sheets as the JSON frames name them: the URLs when an option gives
    // or changes them, else the paths from the stylesheet's folder, not
    // encoded ("sprite.png", "../img/my sprite.png").
    std::string jsonImage, highDensityJsonImage;
    // The numbered sheets that a size limit split the images over, each
    // with its own names, URLs and size, indexed by PlacedImage::sheet;
    // empty when they fit one.
    std::vector<SheetFacts> split;
    // The same sheet in the other types asked for, each with its names and
    // URLs; with them, rules offer every type through image-set(), best
    // first, after a plain url() for browsers without it.
    std::string mimeType;  // "image/png"; set only beside other types
    std::vector<SheetFacts> formats;
};

// The sheet that holds `image`: its numbered sheet, or the one sheet.
const SheetFacts& SheetOf(const SheetFacts& sheet, const PlacedImage& image);


// The declarations that show the sheet (`highDensity`: its double-size
// sheet), each ended by "; ":
//   background-image: url('sprite.png');
// and beside other types also
//   background-image: image-set(url('sprite.avif') type('image/avif'),
//                               url('sprite.png') type('image/png'));
std::string SheetImageDeclarations(const SheetFacts& sheet, bool highDensity);
// The second of those alone, without its space; empty without other types.
std::string ImageSetDeclaration(const SheetFacts& sheet, bool highDensity);

// The media query of high-density screens.
inline constexpr const char* kHighDensityMedia =
    "@media (-webkit-min-device-pixel-ratio: 2), (min-resolution: 192dpi)";

// The rule for the class itself that shows the sheet, without its line end:
//   .sprite { background-image: url('sprite.png'); background-repeat: no-repeat; display: inline-block; }
std::string BaseRule(const std::string& selector, const SheetFacts& sheet);

// The block that switches high-density screens to the double-size sheet,
// shown at the half-size sheet's size:
//   @media (-webkit-min-device-pixel-ratio: 2), (min-resolution: 192dpi) { .sprite {
//   background-image: url('sprite@2x.png'); background-size: 40px 20px; } }
// With rules in percent, each image rule sets the size, so the block does not:
//   @media (-webkit-min-device-pixel-ratio: 2), (min-resolution: 192dpi) { .sprite {
//   background-image: url('sprite@2x.png'); } }
std::string HighDensityRule(const std::string& selector, const SheetFacts& sheet,
                            StylesheetUnits units = kUnitsPixels);

// An image's rule that shows its own sheet, for split sheets without a
// base rule: `rule` with the sheet's image first:
//   .sprite-home { background-image: url('sprite-2.png'); background-position: -15px 0px }
std::string RuleWithSheet(std::string_view rule, const SheetFacts& sheet);

// One variable per image (x, y, offset-x, offset-y, width, height, sheet
// width, sheet height, sheet URL) and the mixins sprite-width,
// sprite-height, sprite-position, sprite-image and sprite; beside a
// double-size sheet also sprite-retina, which sprite includes.
std::string ScssData(const std::vector<PlacedImage>& images, const SheetFacts& sheet);
std::string LessData(const std::vector<PlacedImage>& images, const SheetFacts& sheet);

// The frames of the sheet by file name, in build order, with the sheet's
// file name and size.
std::string JsonFrames(const std::vector<PlacedImage>& images, const SheetFacts& sheet);
// The same frames on the double-size sheet beside a half-size `sheet`
// (NAME@2x.json): every place and size doubled, scale 2.
std::string DoubleSizeFrames(const std::vector<PlacedImage>& images, const SheetFacts& sheet);

// A page that links the stylesheet and shows every image by its classes on
// a checkerboard, with its class name beside it. Without a base rule in the
// stylesheet the page sets the sheet as background itself; in the
// position-only line style it gives each element its image's size.
struct PreviewStyle {
    const ClassName* baseClass = nullptr;  // whose base rule the stylesheet holds; null: none
    bool sizeInStylesheet = false;         // the line style writes width and height
};
std::string PreviewPage(const std::vector<PlacedImage>& images, const SheetFacts& sheet,
                        const PreviewStyle& style);

// A file to write beside the stylesheet: "NAME" + extension.
struct WebFile {
    std::string extension;  // ".scss", ".less", ".json", ".html"
    std::string text;
};
// The data files that the bits of `dataFormats` ask for, in the order of
// kDataFormats, then the preview page when asked for, then beside a
// half-size sheet the JSON frames of the double-size one when JSON is asked
// for ("@2x.json").
// Every extension that WebFiles gives a file.
std::vector<std::string> WebFileExtensions();
std::vector<WebFile> WebFiles(const std::vector<PlacedImage>& images, const SheetFacts& sheet,
                              std::int32_t dataFormats, bool htmlPreview,
                              const PreviewStyle& style);

}  // namespace tessolo
