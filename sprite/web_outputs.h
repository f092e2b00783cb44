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

// The sheet for denser screens: "sprite@2x.png" at scale 2.
struct DenseSheet {
    std::int32_t scale = 2;  // device pixels per CSS pixel
    std::string fileName;
    std::string url, jsonImage;  // as SheetFacts' own
};

// What every output says about the sheet.
struct SheetFacts {
    std::string fileName;         // "sprite.png"
    std::string stylesheetName;   // "sprite.css"
    std::string title;            // the project name
    std::int32_t width = 0, height = 0;
    std::int32_t scale = 1;  // device pixels per CSS pixel of this sheet
    // The URL of the sheet as the outputs write it, unquoted: "sprite.png",
    // "../img/sprite.png?v=0123456789"; empty without the sheet.
    std::string url;
    // The sheet as the JSON frames name it: the URL when an option gives or
    // changes it, else the path from the stylesheet's folder, not encoded
    // ("sprite.png", "../img/my sprite.png").
    std::string jsonImage;
    // The same sheet for denser screens, by scale ascending; empty at one
    // density.
    std::vector<DenseSheet> densities;
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


// One choice that image-set() offers the browser.
struct ImageOption {
    std::string url;
    std::int32_t scale = 0;  // its "2x"; 0: none written
    std::string mimeType;    // its type("image/avif"); empty: none written
};
// What a rule shows: url() for every browser, then for those that read it
// image-set() of the options (none: no image-set() is written).
struct RuleImage {
    std::string url;
    std::vector<ImageOption> options;
};

// What the rules of `sheet` at `scale` show: that sheet's URL, and beside
// other types or dense sheets every type at every scale, each scale's
// types best first; without dense sheets no scale is written.
RuleImage RuleImageOf(const SheetFacts& sheet, std::int32_t scale);

// The declarations that show `image`, each ended by "; ":
//   background-image: url('sprite.png');
// and with options also
//   background-image: image-set(url('sprite.avif') 1x type('image/avif'),
//                               url('sprite.png') 1x type('image/png'), ...);
std::string SheetImageDeclarations(const RuleImage& image);
// The second of those alone, without its space; empty without options.
std::string ImageSetDeclaration(const RuleImage& image);

// The media query of screens of at least `scale` device pixels per CSS pixel:
//   @media (-webkit-min-device-pixel-ratio: 2), (min-resolution: 192dpi)
std::string DensityMedia(std::int32_t scale);

// The rule for the class itself that shows the sheet, without its line end:
//   .sprite { background-image: url('sprite.png'); background-repeat: no-repeat; display: inline-block; }
std::string BaseRule(const std::string& selector, const RuleImage& image);

// The block that switches screens of `scale` to that sheet, shown at the
// described sheet's size `width` x `height`:
//   @media (-webkit-min-device-pixel-ratio: 2), (min-resolution: 192dpi) { .sprite {
//   background-image: url('sprite@2x.png'); background-size: 40px 20px; } }
// With rules in percent, each image rule sets the size, so the block does not:
//   @media (-webkit-min-device-pixel-ratio: 2), (min-resolution: 192dpi) { .sprite {
//   background-image: url('sprite@2x.png'); } }
std::string DensityRule(const std::string& selector, std::int32_t scale, const RuleImage& image,
                        std::int32_t width, std::int32_t height, StylesheetUnits units = kUnitsPixels);

// An image's rule that shows its own sheet, for split sheets without a
// base rule: `rule` with the sheet's image first:
//   .sprite-home { background-image: url('sprite-2.png'); background-position: -15px 0px }
std::string RuleWithSheet(std::string_view rule, const RuleImage& image);

// One variable per image (x, y, offset-x, offset-y, width, height, sheet
// width, sheet height, sheet URL) and the mixins sprite-width,
// sprite-height, sprite-position, sprite-image and sprite; beside a
// dense sheets also sprite-retina, which sprite includes.
std::string ScssData(const std::vector<PlacedImage>& images, const SheetFacts& sheet);
std::string LessData(const std::vector<PlacedImage>& images, const SheetFacts& sheet);

// The frames of the sheet by file name, in build order, with the sheet's
// file name and size.
std::string JsonFrames(const std::vector<PlacedImage>& images, const SheetFacts& sheet);
// The same frames on the dense sheet of `scale` beside `sheet`
// (NAME@2x.json): every place and size times the scale.
std::string DenseFrames(const std::vector<PlacedImage>& images, const SheetFacts& sheet,
                        std::int32_t scale);

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
// kDataFormats, then the preview page when asked for, then beside dense
// sheets the JSON frames of each when JSON is asked for ("@2x.json").
// Every extension that WebFiles gives a file.
std::vector<std::string> WebFileExtensions();
std::vector<WebFile> WebFiles(const std::vector<PlacedImage>& images, const SheetFacts& sheet,
                              std::int32_t dataFormats, bool htmlPreview,
                              const PreviewStyle& style);

}  // namespace tessolo
