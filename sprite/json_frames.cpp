// The JSON frame data: a hash of frames by file name, then the sheet.
#include "info/version_strings.h"
#include "sprite/web_escapes.h"
#include "sprite/web_outputs.h"

namespace tessolo {

namespace {

std::string ProgramValue(std::string_view key)
{
    for (const VersionValue& value : ProgramVersionResource())
        if (value.key == key)
            return std::string(value.value);
    return "";
}

std::string Size(std::int32_t width, std::int32_t height)
{
    return "{\"w\": " + std::to_string(width) + ", \"h\": " + std::to_string(height) + "}";
}

std::string Rect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    return "{\"x\": " + std::to_string(x) + ", \"y\": " + std::to_string(y) +
           ", \"w\": " + std::to_string(width) + ", \"h\": " + std::to_string(height) + "}";
}

}  // namespace

std::string JsonFrames(const std::vector<PlacedImage>& images, const SheetFacts& sheet)
{
    std::string text = "{\"frames\": {";
    const char* separator = "\n";
    for (const PlacedImage& image : images) {
        text += separator;
        separator = ",\n";
        text += "  " + JsonString(image.fileName) + ": {\"frame\": " +
                Rect(image.x, image.y, image.width, image.height) +
                ", \"rotated\": false, \"trimmed\": false, \"spriteSourceSize\": " +
                Rect(0, 0, image.width, image.height) +
                ", \"sourceSize\": " + Size(image.width, image.height) + "}";
    }
    text += "\n},\n\"meta\": {\"app\": " + JsonString(ProgramValue("ProductName")) +
            ", \"version\": " + JsonString(ProgramFileVersion()) +
            ", \"image\": " + JsonString(sheet.fileName) +
            ", \"format\": \"RGBA8888\", \"size\": " + Size(sheet.width, sheet.height) +
            ", \"scale\": \"1\"}\n}\n";
    return text;
}

}  // namespace tessolo
