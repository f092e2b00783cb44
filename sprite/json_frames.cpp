// The JSON frame data: a hash of frames by file name, then the sheet, or
// for split sheets each frame's sheet and then every sheet.
#include "info/version_strings.h"
#include "sprite/data_names.h"
#include "sprite/text_append.h"
#include "sprite/web_escapes.h"
#include "sprite/web_outputs.h"

#include <algorithm>

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

// The sheet in the other types asked for, when there are any:
//   , "formats": [{"image": "sprite.avif", "type": "image/avif"}, ...]
void AppendFormats(std::string& text, const SheetFacts& sheet)
{
    if (sheet.formats.empty())
        return;
    Append(text, ", \"formats\": [");
    for (std::size_t i = 0; i < sheet.formats.size(); ++i)
        Append(text, i ? ", " : "", "{\"image\": ", JsonString(sheet.formats[i].jsonImage),
               ", \"type\": ", JsonString(sheet.formats[i].mimeType), '}');
    Append(text, ']');
}

// The sheets of split frames, each file with its size:
//   "sheets": [{"image": "sprite-1.png", "size": {"w": 64, "h": 32}}, ...]
void AppendSheets(std::string& text, const std::vector<SheetFacts>& sheets)
{
    Append(text, "\"sheets\": [");
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        Append(text, i ? ", " : "", "{\"image\": ", JsonString(sheets[i].jsonImage),
               ", \"size\": ");
        AppendSize(text, sheets[i].width, sheets[i].height);
        AppendFormats(text, sheets[i]);
        Append(text, '}');
    }
    Append(text, ']');
}

// The same sheet at `scale`, for the frames of NAME@2x.json.
SheetFacts DenseFacts(const SheetFacts& sheet, std::int32_t scale)
{
    SheetFacts dense = sheet;
    const DenseSheet& at = *std::ranges::find(sheet.densities, scale, &DenseSheet::scale);
    dense.fileName = at.fileName;
    dense.url = at.url;
    dense.jsonImage = at.jsonImage;
    dense.densities.clear();
    dense.width *= scale;
    dense.height *= scale;
    dense.scale = scale;
    for (SheetFacts& part : dense.split)
        part = DenseFacts(part, scale);
    for (SheetFacts& format : dense.formats)
        format = DenseFacts(format, scale);
    return dense;
}

}  // namespace

std::string JsonFrames(const std::vector<PlacedImage>& images, const SheetFacts& sheet)
{
    std::string text = "{\"frames\": {";
    ReserveFor(text, images.size(), 256);
    std::string_view separator = "\n";
    const std::vector<std::string> names = JsonFrameNames(images).names;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const PlacedImage& image = images[i];
        Append(text, separator, "  ", JsonString(names[i]), ": {\"frame\": ");
        AppendRect(text, image.x, image.y, image.width, image.height);
        Append(text, ", \"rotated\": false, \"trimmed\": false, \"spriteSourceSize\": ");
        AppendRect(text, 0, 0, image.width, image.height);
        Append(text, ", \"sourceSize\": ");
        AppendSize(text, image.width, image.height);
        if (!sheet.split.empty())
            Append(text, ", \"image\": ", JsonString(SheetOf(sheet, image).jsonImage));
        Append(text, '}');
        separator = ",\n";
    }
    Append(text, "\n},\n\"meta\": {\"app\": ", JsonString(ProgramValue("ProductName")),
           ", \"version\": ", JsonString(ProgramFileVersion()));
    if (sheet.split.empty()) {
        Append(text, ", \"image\": ", JsonString(sheet.jsonImage),
               ", \"format\": \"RGBA8888\", \"size\": ");
        AppendSize(text, sheet.width, sheet.height);
        AppendFormats(text, sheet);
    } else {
        Append(text, ", \"format\": \"RGBA8888\", ");
        AppendSheets(text, sheet.split);
    }
    Append(text, ", \"scale\": ", JsonString(std::to_string(sheet.scale)), "}\n}\n");
    return text;
}

std::string DenseFrames(const std::vector<PlacedImage>& images, const SheetFacts& sheet,
                        std::int32_t scale)
{
    std::vector<PlacedImage> scaled = images;
    for (PlacedImage& image : scaled) {
        image.x *= scale;
        image.y *= scale;
        image.width *= scale;
        image.height *= scale;
    }
    return JsonFrames(scaled, DenseFacts(sheet, scale));
}

}  // namespace tessolo
