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

// Whether each image's values end in the URLs of its own dense sheets,
// which the retina mixin then reads.
bool ListsDenseSheets(const SheetFacts& sheet)
{
    return !sheet.split.empty() && !sheet.densities.empty();
}

// The values listed of each image; split dense sheets add their URLs.
std::string Header(const SheetFacts& sheet)
{
    if (!ListsDenseSheets(sheet))
        return kHeader;
    std::string dense;
    for (const DenseSheet& at : sheet.densities)
        dense += ", " + std::to_string(at.scale) + "x sheet URL";
    return "// Sprite data: x, y, offset-x, offset-y, width, height, sheet width,\n"
           "// sheet height, sheet URL" + dense + " of each image.\n";
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
    if (ListsDenseSheets(sheet))
        for (const DenseSheet& dense : own.densities)
            Append(text, separator, CssString(dense.url));
}

// The image-set() declaration that the image mixins add after their url(),
// with its space before: the one sheet's other types and scales; split
// sheets keep the url() of each image's own sheet only.
std::string ImageSetAfter(const SheetFacts& sheet)
{
    const std::string declaration = sheet.split.empty() ? ImageSetDeclaration(RuleImageOf(sheet, 1)) : "";
    return declaration.empty() ? "" : " " + declaration;
}

// The dense sheet's URL in the retina mixin: the one sheet's, or the
// image's own, the value at `place` (10 for the first dense sheet).
std::string DenseUrlValue(const SheetFacts& sheet, std::size_t dense, std::string_view valueAt,
                          std::size_t place)
{
    return ListsDenseSheets(sheet) ? std::string(valueAt) + std::to_string(place) + ")"
                                   : CssString(sheet.densities[dense].url);
}

}  // namespace

std::string ScssData(const std::vector<PlacedImage>& images, const SheetFacts& sheet)
{
    std::string text = Header(sheet);
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
            ImageSetAfter(sheet) +
            " }\n"
            "@mixin sprite($sprite) {\n"
            "  @include sprite-image($sprite);\n"
            "  @include sprite-position($sprite);\n"
            "  @include sprite-width($sprite);\n"
            "  @include sprite-height($sprite);\n";
    if (sheet.densities.empty())
        return text + "}\n";
    Append(text, "  @include sprite-retina($sprite);\n}\n@mixin sprite-retina($sprite) {\n");
    for (std::size_t i = 0; i < sheet.densities.size(); ++i)
        Append(text, "  ", DensityMedia(sheet.densities[i].scale), " {\n    background-image: url(",
               DenseUrlValue(sheet, i, "list.nth($sprite, ", 10 + i), ");", ImageSetAfter(sheet), "\n",
               "    background-size: list.nth($sprite, 7) list.nth($sprite, 8);\n  }\n");
    return text + "}\n";
}

std::string LessData(const std::vector<PlacedImage>& images, const SheetFacts& sheet)
{
    std::string text = Header(sheet);
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
            ImageSetAfter(sheet) +
            " }\n"
            ".sprite(@sprite) {\n"
            "  .sprite-image(@sprite);\n"
            "  .sprite-position(@sprite);\n"
            "  .sprite-width(@sprite);\n"
            "  .sprite-height(@sprite);\n";
    if (sheet.densities.empty())
        return text + "}\n";
    Append(text, "  .sprite-retina(@sprite);\n}\n.sprite-retina(@sprite) {\n");
    for (std::size_t i = 0; i < sheet.densities.size(); ++i) {
        const std::string scale = std::to_string(sheet.densities[i].scale);
        Append(text, "  ", DensityMedia(sheet.densities[i].scale), " {\n    ",
               ListsDenseSheets(sheet)
                   ? "@sprite-url-" + scale + "x: extract(@sprite, " + std::to_string(10 + i) +
                         "); background-image: url(@sprite-url-" + scale + "x);\n"
                   : "background-image: url(" + CssString(sheet.densities[i].url) + ");" +
                         ImageSetAfter(sheet) + "\n",
               "    background-size: extract(@sprite, 7) extract(@sprite, 8);\n  }\n");
    }
    return text + "}\n";
}

}  // namespace tessolo
