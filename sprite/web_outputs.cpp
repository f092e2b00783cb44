#include "sprite/web_outputs.h"

#include "sprite/high_density.h"
#include "sprite/web_escapes.h"

#include <iterator>

namespace tessolo {

std::string BaseRule(const std::string& selector, const SheetFacts& sheet)
{
    return selector + " { background-image: url(" + CssString(sheet.url) +
           "); background-repeat: no-repeat; display: inline-block; }";
}

const SheetFacts& SheetOf(const SheetFacts& sheet, const PlacedImage& image)
{
    return sheet.split.empty() ? sheet : sheet.split.at(image.sheet);
}

std::string RuleWithSheet(std::string_view rule, const SheetFacts& sheet)
{
    // A selector holds no " { ": the build escapes every "{" in a name.
    const std::size_t body = rule.find(" { ") + 3;
    return std::string(rule.substr(0, body)) + "background-image: url(" + CssString(sheet.url) +
           "); " + std::string(rule.substr(body));
}

std::string HighDensityRule(const std::string& selector, const SheetFacts& sheet,
                            StylesheetUnits units)
{
    std::string rule = std::string(kHighDensityMedia) + " { " + selector +
                       " { background-image: url(" + CssString(sheet.highDensityUrl) + "); ";
    if (units == kUnitsPixels)
        rule += "background-size: " + std::to_string(sheet.width) + "px " +
                std::to_string(sheet.height) + "px; ";
    return rule + "} }";
}

std::vector<std::string> WebFileExtensions()
{
    std::vector<std::string> extensions;
    for (const DataFormatInfo& format : kDataFormats)
        extensions.push_back(std::string(".") + format.word);
    extensions.push_back(".html");
    extensions.push_back(std::string(kDoubleSizeSuffix) + ".json");
    return extensions;
}

std::vector<WebFile> WebFiles(const std::vector<PlacedImage>& images, const SheetFacts& sheet,
                              std::int32_t dataFormats, bool htmlPreview,
                              const PreviewStyle& style)
{
    using Writer = std::string (*)(const std::vector<PlacedImage>&, const SheetFacts&);
    constexpr Writer kWriters[] = {&ScssData, &LessData, &JsonFrames};
    static_assert(std::size(kWriters) == std::size(kDataFormats));
    std::vector<WebFile> files;
    for (std::size_t i = 0; i < std::size(kDataFormats); ++i)
        if (dataFormats & kDataFormats[i].format)
            files.push_back({std::string(".") + kDataFormats[i].word, kWriters[i](images, sheet)});
    if (htmlPreview)
        files.push_back({".html", PreviewPage(images, sheet, style)});
    if (!sheet.highDensityFileName.empty() && (dataFormats & kDataJson))
        files.push_back({std::string(kDoubleSizeSuffix) + ".json", DoubleSizeFrames(images, sheet)});
    return files;
}

}  // namespace tessolo
