#include "sprite/stylesheet.h"

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
