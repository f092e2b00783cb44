#include "sprite/high_density.h"

#include "platform/alpha.h"
#include "sprite/sheet_reduction.h"

#include <algorithm>
#include <map>
#include <utility>

namespace tessolo {

std::string ScaleSuffix(std::int32_t scale)
{
    return scale == 1 ? "" : "@" + std::to_string(scale) + "x";
}

std::vector<std::int32_t> SheetScales(const BuildSettings& settings)
{
    std::vector<std::int32_t> scales{1};
    for (std::int32_t scale = 2; scale <= kMaxScale; ++scale)
        if (settings.Scales ? (settings.Scales >> scale) & 1 : settings.Retina && scale == 2)
            scales.push_back(scale);
    return scales;
}

std::string ScalesText(const BuildSettings& settings)
{
    std::string text;
    for (std::int32_t scale : SheetScales(settings))
        text += (text.empty() ? "" : ",") + std::to_string(scale);
    return text;
}

std::string WithoutScaleSuffix(const std::string& name, std::int32_t* scale)
{
    for (std::int32_t n = 2; n <= kMaxScale; ++n) {
        const std::string suffix = ScaleSuffix(n);
        if (name.size() > suffix.size() && name.ends_with(suffix)) {
            if (scale)
                *scale = n;
            return name.substr(0, name.size() - suffix.size());
        }
    }
    if (scale)
        *scale = 1;
    return name;
}

std::vector<std::string> LargestScaleFiles(const std::vector<std::string>& files,
                                           std::int32_t largest, std::vector<std::string>& left)
{
    // The scale of each file and the best one of its name (without suffix
    // and extension): the largest up to `largest`, else the smallest above.
    auto better = [largest](std::int32_t scale, std::int32_t than) {
        if ((scale <= largest) != (than <= largest))
            return scale <= largest;
        return scale <= largest ? scale > than : scale < than;
    };
    std::vector<std::pair<std::string, std::int32_t>> named;
    std::map<std::string, std::int32_t> best;
    for (const std::string& file : files) {
        std::int32_t scale = 1;
        std::string name = WithoutScaleSuffix(file.substr(0, file.rfind('.')), &scale);
        auto [at, added] = best.try_emplace(name, scale);
        if (!added && better(scale, at->second))
            at->second = scale;
        named.emplace_back(std::move(name), scale);
    }
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < files.size(); ++i)
        (named[i].second == best[named[i].first] ? kept : left).push_back(files[i]);
    return kept;
}

void PadTo(Bitmap& source, int width, int height, bool transparentBackground)
{
    if (transparentBackground && !source.HasAlpha) {
        Bitmap padded = TransparentBitmap(width, height);
        padded.Draw(source, 0, 0);
        source = std::move(padded);
        return;
    }
    source.SetSize(width, height);
}

void PadToMultipleSize(Bitmap& source, std::int32_t step, bool transparentBackground)
{
    const int width = UpToMultiple(source.Width(), step);
    const int height = UpToMultiple(source.Height(), step);
    if (width != source.Width() || height != source.Height())
        PadTo(source, width, height, transparentBackground);
}

void SheetDensity::Adjust(BuildSettings& settings) const
{
    if (Scale() == 1)
        return;
    settings.BaseRule = true;
    settings.HorizontalPadding = UpToMultiple(settings.HorizontalPadding, Scale());
    settings.VerticalPadding = UpToMultiple(settings.VerticalPadding, Scale());
}

std::vector<DenseSheet> SheetDensity::DenseSheets(const std::string& project,
                                                  std::string_view extension) const
{
    std::vector<DenseSheet> sheets;
    for (std::int32_t scale : scales_)
        if (scale > 1)
            sheets.push_back({scale, project + ScaleSuffix(scale) + std::string(extension), {}, {}});
    return sheets;
}

void SheetDensity::FitSource(Bitmap& source, bool transparentBackground) const
{
    if (Scale() > 1)
        PadToMultipleSize(source, Scale(), transparentBackground);
}

std::string SheetDensity::ClassBaseName(const std::string& sourceName) const
{
    return Scale() > 1 ? WithoutScaleSuffix(sourceName) : sourceName;
}

void SheetDensity::FinishSheet(Bitmap& sheet, SheetFacts& facts) const
{
    if (Scale() > 1)
        sheet.SetSize(UpToMultiple(sheet.Width(), Scale()), UpToMultiple(sheet.Height(), Scale()));
    facts.width = sheet.Width() / Scale();
    facts.height = sheet.Height() / Scale();
}

void SheetDensity::ForEachScale(
    const Bitmap& sheet, const std::function<void(std::int32_t scale, Bitmap& pixels)>& touchUp,
    const std::function<void(std::int32_t scale, const Bitmap& pixels)>& write) const
{
    for (std::int32_t scale : scales_) {
        if (scale == Scale()) {
            write(scale, sheet);
            continue;
        }
        Bitmap reduced = ReducedSheet(sheet, Scale(), scale);
        touchUp(scale, reduced);
        write(scale, reduced);
    }
}

}  // namespace tessolo
