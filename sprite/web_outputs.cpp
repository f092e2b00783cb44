#include "sprite/web_outputs.h"

#include "sprite/high_density.h"
#include "sprite/web_escapes.h"

#include <algorithm>
#include <iterator>

namespace tessolo {

namespace {

// The types image-set() offers, best first: the smallest files for the
// same pixels come first, so a browser takes the best type it can decode.
constexpr std::string_view kImageSetOrder[] = {"image/avif", "image/webp", "image/png",
                                               "image/gif",  "image/jpeg", "image/bmp"};

std::size_t ImageSetRank(std::string_view mimeType)
{
    return std::size_t(std::ranges::find(kImageSetOrder, mimeType) - std::begin(kImageSetOrder));
}

}  // namespace

std::string ImageSetDeclaration(const SheetFacts& sheet, bool highDensity)
{
    if (sheet.formats.empty())
        return {};
    auto urlOf = [highDensity](const SheetFacts& facts) {
        return "url(" + CssString(highDensity ? facts.highDensityUrl : facts.url) + ")";
    };
    std::vector<const SheetFacts*> offered{&sheet};
    for (const SheetFacts& format : sheet.formats)
        offered.push_back(&format);
    std::ranges::stable_sort(offered, {}, [](const SheetFacts* f) { return ImageSetRank(f->mimeType); });
    std::string text = "background-image: image-set(";
    for (std::size_t i = 0; i < offered.size(); ++i)
        text += (i ? ", " : "") + urlOf(*offered[i]) + " type(" + CssString(offered[i]->mimeType) + ")";
    return text + ");";
}

std::string SheetImageDeclarations(const SheetFacts& sheet, bool highDensity)
{
    const std::string& url = highDensity ? sheet.highDensityUrl : sheet.url;
    const std::string imageSet = ImageSetDeclaration(sheet, highDensity);
    return "background-image: url(" + CssString(url) + "); " +
           (imageSet.empty() ? "" : imageSet + " ");
}

std::string BaseRule(const std::string& selector, const SheetFacts& sheet)
{
    return selector + " { " + SheetImageDeclarations(sheet, false) +
           "background-repeat: no-repeat; display: inline-block; }";
}

const SheetFacts& SheetOf(const SheetFacts& sheet, const PlacedImage& image)
{
    return sheet.split.empty() ? sheet : sheet.split.at(image.sheet);
}

std::string RuleWithSheet(std::string_view rule, const SheetFacts& sheet)
{
    // A selector holds no " { ": the build escapes every "{" in a name.
    const std::size_t body = rule.find(" { ") + 3;
    return std::string(rule.substr(0, body)) + SheetImageDeclarations(sheet, false) +
           std::string(rule.substr(body));
}

std::string HighDensityRule(const std::string& selector, const SheetFacts& sheet,
                            StylesheetUnits units)
{
    std::string rule =
        std::string(kHighDensityMedia) + " { " + selector + " { " + SheetImageDeclarations(sheet, true);
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
