// The SCSS and LESS data files. Both hold one list per image, in the same
// order of values, and the same five mixins.
#include "sprite/stylesheet.h"
#include "sprite/web_escapes.h"
#include "sprite/web_outputs.h"

#include <cstdio>

namespace tessolo {

namespace {

constexpr const char* kHeader =
    "// Sprite data: x, y, offset-x, offset-y, width, height, sheet width,\n"
    "// sheet height and sheet URL of each image.\n";

std::string Px(std::int64_t value) { return std::to_string(value) + "px"; }

// The values of one image, in the order the mixins read them.
std::vector<std::string> ValuesOf(const PlacedImage& image, const SheetFacts& sheet)
{
    return {Px(image.x),     Px(image.y),      CssOffset(image.x) + "px", CssOffset(image.y) + "px",
            Px(image.width), Px(image.height), Px(sheet.width),           Px(sheet.height),
            CssString(UrlEncoded(sheet.fileName))};
}

std::string Joined(const std::vector<std::string>& values, const char* separator)
{
    std::string text;
    for (const std::string& value : values)
        text += (text.empty() ? "" : separator) + value;
    return text;
}

// LESS variable names allow ASCII letters, digits, "-" and "_" only; every
// other byte of the class name is written as "_" and its two hex digits.
std::string LessVariable(const std::string& className)
{
    std::string name = "@";
    for (char c : className) {
        const auto code = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_') {
            name += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "_%02x", code);
            name += hex;
        }
    }
    return name;
}

}  // namespace

std::string ScssData(const std::vector<PlacedImage>& images, const SheetFacts& sheet)
{
    std::string text = kHeader;
    for (const PlacedImage& image : images)
        text += "$" + CssIdentifier(image.className.attribute) + ": (" +
                Joined(ValuesOf(image, sheet), ", ") + ");\n";
    text += "\n"
            "@mixin sprite-width($sprite) { width: nth($sprite, 5); }\n"
            "@mixin sprite-height($sprite) { height: nth($sprite, 6); }\n"
            "@mixin sprite-position($sprite) { background-position: nth($sprite, 3) nth($sprite, 4); }\n"
            "@mixin sprite-image($sprite) { background-image: url(nth($sprite, 9)); }\n"
            "@mixin sprite($sprite) {\n"
            "  @include sprite-image($sprite);\n"
            "  @include sprite-position($sprite);\n"
            "  @include sprite-width($sprite);\n"
            "  @include sprite-height($sprite);\n"
            "}\n";
    return text;
}

std::string LessData(const std::vector<PlacedImage>& images, const SheetFacts& sheet)
{
    std::string text = kHeader;
    for (const PlacedImage& image : images)
        text += LessVariable(image.className.attribute) + ": " +
                Joined(ValuesOf(image, sheet), " ") + ";\n";
    text += "\n"
            ".sprite-width(@sprite) { width: extract(@sprite, 5); }\n"
            ".sprite-height(@sprite) { height: extract(@sprite, 6); }\n"
            ".sprite-position(@sprite) { background-position: extract(@sprite, 3) extract(@sprite, 4); }\n"
            ".sprite-image(@sprite) { @sprite-url: extract(@sprite, 9); background-image: url(@sprite-url); }\n"
            ".sprite(@sprite) {\n"
            "  .sprite-image(@sprite);\n"
            "  .sprite-position(@sprite);\n"
            "  .sprite-width(@sprite);\n"
            "  .sprite-height(@sprite);\n"
            "}\n";
    return text;
}

}  // namespace tessolo
