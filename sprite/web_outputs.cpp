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

RuleImage RuleImageOf(const SheetFacts& sheet, std::int32_t scale)
{
    auto urlAt = [](const SheetFacts& facts, std::int32_t at) -> const std::string& {
        if (at == 1)
            return facts.url;
        return std::ranges::find(facts.densities, at, &DenseSheet::scale)->url;
    };
    RuleImage image{urlAt(sheet, scale), {}};
    std::vector<const SheetFacts*> offered{&sheet};
    for (const SheetFacts& format : sheet.formats)
        offered.push_back(&format);
    std::ranges::stable_sort(offered, {}, [](const SheetFacts* f) { return ImageSetRank(f->mimeType); });
    std::vector<std::int32_t> scales{1};
    for (const DenseSheet& dense : sheet.densities)
        scales.push_back(dense.scale);
    const bool typed = !sheet.formats.empty(), dense = !sheet.densities.empty();
    if (typed || dense)
        for (std::int32_t at : scales)
            for (const SheetFacts* facts : offered)
                image.options.push_back(
                    {urlAt(*facts, at), dense ? at : 0, typed ? facts->mimeType : ""});
    return image;
}

std::string ImageSetDeclaration(const RuleImage& image)
{
    if (image.options.empty())
        return {};
    std::string text = "background-image: image-set(";
    for (std::size_t i = 0; i < image.options.size(); ++i) {
        const ImageOption& option = image.options[i];
        text += (i ? ", url(" : "url(") + CssString(option.url) + ")";
        if (option.scale)
            text += " " + std::to_string(option.scale) + "x";
        if (!option.mimeType.empty())
            text += " type(" + CssString(option.mimeType) + ")";
    }
    return text + ");";
}

std::string SheetImageDeclarations(const RuleImage& image)
{
    const std::string imageSet = ImageSetDeclaration(image);
    return "background-image: url(" + CssString(image.url) + "); " +
           (imageSet.empty() ? "" : imageSet + " ");
}

std::string DensityMedia(std::int32_t scale)
{
    return "@media (-webkit-min-device-pixel-ratio: " + std::to_string(scale) +
           "), (min-resolution: " + std::to_string(96 * scale) + "dpi)";
}

std::string BaseRule(const std::string& selector, const RuleImage& image)
{
    return selector + " { " + SheetImageDeclarations(image) +
           "background-repeat: no-repeat; display: inline-block; }";
}

const SheetFacts& SheetOf(const SheetFacts& sheet, const PlacedImage& image)
{
    return sheet.split.empty() ? sheet : sheet.split.at(image.sheet);
}

std::string RuleWithSheet(std::string_view rule, const RuleImage& image)
{
    // A selector holds no " { ": the build escapes every "{" in a name.
    const std::size_t body = rule.find(" { ") + 3;
    return std::string(rule.substr(0, body)) + SheetImageDeclarations(image) +
           std::string(rule.substr(body));
}

std::string DensityRule(const std::string& selector, std::int32_t scale, const RuleImage& image,
                        std::int32_t width, std::int32_t height, StylesheetUnits units)
{
    std::string rule = DensityMedia(scale) + " { " + selector + " { " + SheetImageDeclarations(image);
    if (units == kUnitsPixels)
        rule += "background-size: " + std::to_string(width) + "px " + std::to_string(height) + "px; ";
    return rule + "} }";
}

std::vector<std::string> WebFileExtensions()
{
    std::vector<std::string> extensions;
    for (const DataFormatInfo& format : kDataFormats)
        extensions.push_back(std::string(".") + format.word);
    extensions.push_back(".html");
    for (std::int32_t scale = 2; scale <= kMaxScale; ++scale)
        extensions.push_back(ScaleSuffix(scale) + ".json");
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
    if (dataFormats & kDataJson)
        for (const DenseSheet& dense : sheet.densities)
            files.push_back({ScaleSuffix(dense.scale) + ".json", DenseFrames(images, sheet, dense.scale)});
    return files;
}

}  // namespace tessolo
