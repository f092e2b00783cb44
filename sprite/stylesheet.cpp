#include "sprite/stylesheet.h"

#include <charconv>

namespace tessolo {

const char* const kLineStyleTexts[2] = {
    ".class { background-position: -Xpx -Ypx }",
    ".class { background-position: -Xpx -Ypx; width: Wpx; height: Hpx; }",
};

std::optional<LineStyle> LineStyleOf(std::int32_t stored)
{
    if (stored == kPositionOnly || stored == kPositionAndSize)
        return LineStyle(stored);
    return std::nullopt;
}

const StylesheetUnitsInfo* FindStylesheetUnits(std::int32_t stored)
{
    for (const StylesheetUnitsInfo& row : kStylesheetUnits)
        if (row.units == stored)
            return &row;
    return nullptr;
}

std::string CssOffset(std::int32_t position) { return std::to_string(-std::int64_t(position)); }

std::string StylesheetLine(std::string_view selector, std::int32_t x, std::int32_t y,
                           std::int32_t width, std::int32_t height, LineStyle lineStyle)
{
    std::string line(selector);
    line.append(" { background-position: ").append(CssOffset(x)).append("px ").append(CssOffset(y));
    if (lineStyle == kPositionAndSize)
        line.append("px; width: ").append(std::to_string(width))
            .append("px; height: ").append(std::to_string(height)).append("px; }");
    else
        line.append("px }");
    return line;
}

namespace {

// `part` of `whole` in percent; 0 when `whole` is 0.
double Percent(double part, double whole) { return whole == 0 ? 0 : part / whole * 100; }

}  // namespace

PercentPlace PercentPlaceOf(std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, std::int32_t sheetWidth, std::int32_t sheetHeight)
{
    return {Percent(x, double(sheetWidth) - width), Percent(y, double(sheetHeight) - height),
            Percent(sheetWidth, width), Percent(sheetHeight, height)};
}

std::string PercentText(double percent)
{
    char text[400];  // room for any double in fixed notation
    char* end = std::to_chars(text, text + sizeof text, percent, std::chars_format::fixed, 4).ptr;
    std::string written(text, end);
    while (written.back() == '0')
        written.pop_back();
    if (written.back() == '.')
        written.pop_back();
    return written == "-0" ? "0" : written;
}

std::string PercentStylesheetLine(std::string_view selector, const PercentPlace& place,
                                  std::int32_t width, std::int32_t height, LineStyle lineStyle)
{
    std::string line(selector);
    line.append(" { background-position: ").append(PercentText(place.x)).append("% ")
        .append(PercentText(place.y)).append("%; background-size: ")
        .append(PercentText(place.sheetWidth)).append("% ")
        .append(PercentText(place.sheetHeight)).append("%; ");
    if (lineStyle == kPositionAndSize)
        line.append("width: ").append(std::to_string(width)).append("px; height: ")
            .append(std::to_string(height)).append("px; }");
    else
        line.append("aspect-ratio: ").append(std::to_string(width)).append(" / ")
            .append(std::to_string(height)).append(" }");
    return line;
}

StylesheetFile::StylesheetFile(const std::string& path)
    : file_(std::make_unique<ReplacementFile>(path))
{
}

void StylesheetFile::WriteLine(std::string_view line)
{
    std::string bytes(line);
    bytes += "\r\n";
    file_->Write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

void StylesheetFile::Finish() { file_->Finish(); }

void StylesheetFile::JoinOutputs(OutputSet& outputs) { outputs.Add(std::move(file_)); }

}  // namespace tessolo
