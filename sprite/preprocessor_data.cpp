// The SCSS and LESS data files. Both hold one list per image, in the same
// order of values, and the same five mixins. The SCSS file takes the
// functions it calls from the module system, so it can be loaded with
// `@use` as well as `@import`.
#include "sprite/data_names.h"
#include "sprite/stylesheet.h"
#include "sprite/text_append.h"
#include "sprite/web_escapes.h"
#include "sprite/web_outputs.h"

namespace tessolo {

namespace {

constexpr const char* kHeader =
    "// Sprite data: x, y, offset-x, offset-y, width, height, sheet width,\n"
    "// sheet height and sheet URL of each image.\n";
// Split sheets of double size add each image's double-size sheet.
constexpr const char* kSplitDoubleSizeHeader =
    "// Sprite data: x, y, offset-x, offset-y, width, height, sheet width,\n"
    "// sheet height, sheet URL and double-size sheet URL of each image.\n";

// Whether each image's values end in its own double-size sheet's URL, which
// the retina mixin then reads.
bool ListsDoubleSizeSheets(const SheetFacts& sheet)
{
    return !sheet.split.empty() && !sheet.highDensityFileName.empty();
}

// The values of one image after its variable name, in the order the mixins
// read them, with its own sheet's size and quoted URL.
void AppendValues(std::string& text, const PlacedImage& image, const SheetFacts& sheet,
                  std::string_view separator)
{
    const SheetFacts& own = SheetOf(sheet, image);
    Append(text, image.x, "px", separator, image.y, "px", separator);
    Append(text, CssOffset(image.x), "px", separator, CssOffset(image.y), "px", separator);
    Append(text, image.width, "px", separator, image.height, "px", separator);
    Append(text, own.width, "px", separator, own.height, "px", separator, CssString(own.url));
    if (ListsDoubleSizeSheets(sheet))
        Append(text, separator, CssString(own.highDensityUrl));
}

// The image-set() declaration that the image mixins add after their url(),
// with its space before: the one sheet's other types; split sheets keep the
// url() of each image's own sheet only.
std::string ImageSetAfter(const SheetFacts& sheet, bool highDensity)
{
    const std::string declaration = sheet.split.empty() ? ImageSetDeclaration(sheet, highDensity) : "";
    return declaration.empty() ? "" : " " + declaration;
}

// The double-size sheet's URL in the retina mixin: the one sheet's, or the
// tenth value, the image's own.
std::string DoubleSizeUrlValue(const SheetFacts& sheet, std::string_view tenthValue)
{
    return ListsDoubleSizeSheets(sheet) ? std::string(tenthValue) : CssString(sheet.highDensityUrl);
}

}  // namespace

std::string ScssData(const std::vector<PlacedImage>& images, const SheetFacts& sheet)
{
    std::string text = ListsDoubleSizeSheets(sheet) ? kSplitDoubleSizeHeader : kHeader;
    text += "@use 'sass:list';\n\n";
    ReserveFor(text, images.size(), 128);
    const std::vector<std::string> names = ScssVariables(images).names;
    for (std::size_t i = 0; i < images.size(); ++i) {
        Append(text, names[i], ": (");
        AppendValues(text, images[i], sheet, ", ");
        Append(text, ");\n");
    }
    text += "\n"
            "@mixin sprite-width($sprite) { width: list.nth($sprite, 5); }\n"
            "@mixin sprite-height($sprite) { height: list.nth($sprite, 6); }\n"
            "@mixin sprite-position($sprite) { background-position: list.nth($sprite, 3) list.nth($sprite, 4); }\n"
            "@mixin sprite-image($sprite) { background-image: url(list.nth($sprite, 9));" +
            ImageSetAfter(sheet, false) +
            " }\n"
            "@mixin sprite($sprite) {\n"
            "  @include sprite-image($sprite);\n"
            "  @include sprite-position($sprite);\n"
            "  @include sprite-width($sprite);\n"
            "  @include sprite-height($sprite);\n";
    if (sheet.highDensityFileName.empty())
        return text + "}\n";
    Append(text, "  @include sprite-retina($sprite);\n}\n",
           "@mixin sprite-retina($sprite) {\n  ", kHighDensityMedia, " {\n    background-image: url(",
           DoubleSizeUrlValue(sheet, "list.nth($sprite, 10)"), ");", ImageSetAfter(sheet, true), "\n",
           "    background-size: list.nth($sprite, 7) list.nth($sprite, 8);\n  }\n}\n");
    return text;
}

std::string LessData(const std::vector<PlacedImage>& images, const SheetFacts& sheet)
{
    std::string text = ListsDoubleSizeSheets(sheet) ? kSplitDoubleSizeHeader : kHeader;
    ReserveFor(text, images.size(), 128);
    const std::vector<std::string> names = LessVariables(images).names;
    for (std::size_t i = 0; i < images.size(); ++i) {
        Append(text, names[i], ": ");
        AppendValues(text, images[i], sheet, " ");
        Append(text, ";\n");
    }
    text += "\n"
            ".sprite-width(@sprite) { width: extract(@sprite, 5); }\n"
            ".sprite-height(@sprite) { height: extract(@sprite, 6); }\n"
            ".sprite-position(@sprite) { background-position: extract(@sprite, 3) extract(@sprite, 4); }\n"
            ".sprite-image(@sprite) { @sprite-url: extract(@sprite, 9); background-image: url(@sprite-url);" +
            ImageSetAfter(sheet, false) +
            " }\n"
            ".sprite(@sprite) {\n"
            "  .sprite-image(@sprite);\n"
            "  .sprite-position(@sprite);\n"
            "  .sprite-width(@sprite);\n"
            "  .sprite-height(@sprite);\n";
    if (sheet.highDensityFileName.empty())
        return text + "}\n";
    Append(text, "  .sprite-retina(@sprite);\n}\n",
           ".sprite-retina(@sprite) {\n  ", kHighDensityMedia, " {\n    ",
           ListsDoubleSizeSheets(sheet)
               ? "@sprite-url-2x: extract(@sprite, 10); background-image: url(@sprite-url-2x);\n"
               : "background-image: url(" + CssString(sheet.highDensityUrl) + ");" +
                     ImageSetAfter(sheet, true) + "\n",
           "    background-size: extract(@sprite, 7) extract(@sprite, 8);\n  }\n}\n");
    return text;
}

}  // namespace tessolo
