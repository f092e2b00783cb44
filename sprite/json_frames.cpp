// The JSON frame data: a hash of frames by file name, then the sheet.
#include "info/version_strings.h"
#include "sprite/text_append.h"
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

void AppendSize(std::string& text, std::int32_t width, std::int32_t height)
{
    Append(text, "{\"w\": ", width, ", \"h\": ", height, '}');
}

void AppendRect(std::string& text, std::int32_t x, std::int32_t y, std::int32_t width,
                std::int32_t height)
{
    Append(text, "{\"x\": ", x, ", \"y\": ", y, ", \"w\": ", width, ", \"h\": ", height, '}');
}

}  // namespace

std::string JsonFrames(const std::vector<PlacedImage>& images, const SheetFacts& sheet)
{
    std::string text = "{\"frames\": {";
    ReserveFor(text, images.size(), 256);
    std::string_view separator = "\n";
    for (const PlacedImage& image : images) {
        Append(text, separator, "  ", JsonString(image.fileName), ": {\"frame\": ");
        AppendRect(text, image.x, image.y, image.width, image.height);
        Append(text, ", \"rotated\": false, \"trimmed\": false, \"spriteSourceSize\": ");
        AppendRect(text, 0, 0, image.width, image.height);
        Append(text, ", \"sourceSize\": ");
        AppendSize(text, image.width, image.height);
        Append(text, '}');
        separator = ",\n";
    }
    Append(text, "\n},\n\"meta\": {\"app\": ", JsonString(ProgramValue("ProductName")),
           ", \"version\": ", JsonString(ProgramFileVersion()), ", \"image\": ",
           JsonString(sheet.fileName), ", \"format\": \"RGBA8888\", \"size\": ");
    AppendSize(text, sheet.width, sheet.height);
    Append(text, ", \"scale\": \"1\"}\n}\n");
    return text;
}

}  // namespace tessolo
