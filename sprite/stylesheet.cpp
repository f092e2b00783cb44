#include "sprite/stylesheet.h"

#include "platform/error.h"

namespace tessolo {

const char* const kLineStyleTexts[2] = {
    ".class { background-position: -Xpx -Ypx }",
    ".class { background-position: -Xpx -Ypx; width: Wpx; height: Hpx; }",
};

namespace {

// The CSS offset for an image at `offset`: negated, and 0 rather than -0.
std::string Negated(std::int32_t offset)
{
    return std::to_string(-std::int64_t(offset));
}

}  // namespace

std::string StylesheetLine(std::string_view classText, std::string_view name,
                           std::int32_t x, std::int32_t y, std::int32_t width,
                           std::int32_t height, int lineStyle)
{
    std::string line;
    line.append(classText).append("-").append(name);
    line.append(" { background-position: ").append(Negated(x)).append("px ").append(Negated(y));
    if (lineStyle == kPositionAndSize)
        line.append("px; width: ").append(std::to_string(width))
            .append("px; height: ").append(std::to_string(height)).append("px; }");
    else
        line.append("px }");
    return line;
}

std::string StylesheetFile::Open(const std::string& path)
{
    try {
        file_.emplace(path);
    } catch (const FileCreateError& error) {
        return error.Reason();
    }
    return "";
}

void StylesheetFile::WriteLine(std::string_view line)
{
    std::string bytes(line);
    bytes += "\r\n";
    file_->Write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

void StylesheetFile::Finish() { file_->Finish(); }

void StylesheetFile::PutInPlace() { file_->PutInPlace(); }

}  // namespace tessolo
