#include "sprite/high_density.h"

#include "platform/alpha.h"
#include "sprite/half_size.h"

#include <string_view>
#include <utility>

namespace tessolo {

std::string WithoutDoubleSizeSuffix(const std::string& name)
{
    std::string_view suffix = kDoubleSizeSuffix;
    if (name.size() > suffix.size() && name.ends_with(suffix))
        return name.substr(0, name.size() - suffix.size());
    return name;
}

void PadToEvenSize(Bitmap& source, bool transparentBackground)
{
    const int width = EvenUp(source.Width());
    const int height = EvenUp(source.Height());
    if (width == source.Width() && height == source.Height())
        return;
    if (transparentBackground && !source.HasAlpha) {
        Bitmap padded = TransparentBitmap(width, height);
        padded.Draw(source, 0, 0);
        source = std::move(padded);
        return;
    }
    // New area is white, or transparent white on a bitmap with alpha.
    source.SetSize(width, height);
}

void SheetDensity::Adjust(BuildSettings& settings) const
{
    if (scale_ == 1)
        return;
    settings.BaseRule = true;
    settings.HorizontalPadding = EvenUp(settings.HorizontalPadding);
    settings.VerticalPadding = EvenUp(settings.VerticalPadding);
}

std::string SheetDensity::DoubleSizeFileName(const std::string& project,
                                             std::string_view extension) const
{
    if (scale_ == 1)
        return "";
    return project + kDoubleSizeSuffix + std::string(extension);
}

void SheetDensity::FitSource(Bitmap& source, bool transparentBackground) const
{
    if (scale_ == 2)
        PadToEvenSize(source, transparentBackground);
}

std::string SheetDensity::ClassBaseName(const std::string& sourceName) const
{
    return scale_ == 2 ? WithoutDoubleSizeSuffix(sourceName) : sourceName;
}

void SheetDensity::FinishSheet(Bitmap& sheet, SheetFacts& facts) const
{
    // Every place and size is even already on a double-size sheet.
    if (scale_ == 2)
        sheet.SetSize(EvenUp(sheet.Width()), EvenUp(sheet.Height()));
    facts.width = sheet.Width() / scale_;
    facts.height = sheet.Height() / scale_;
}

void SheetDensity::ForEachSheet(
    const Bitmap& sheet, const SheetFacts& facts,
    const std::function<void(const std::string& fileName, const Bitmap& pixels)>& write) const
{
    if (scale_ == 1) {
        write(facts.fileName, sheet);
        return;
    }
    write(facts.fileName, HalfSize(sheet));
    write(facts.highDensityFileName, sheet);
}

}  // namespace tessolo
