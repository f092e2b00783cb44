// The stylesheet: one CSS rule per placed image, each on its own line ended
// by CR LF, written as the images are placed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessolo {

// The two line styles and the texts under which front ends offer them.
enum LineStyle : int { kPositionOnly = 0, kPositionAndSize = 1 };
extern const char* const kLineStyleTexts[2];

// One rule, without its line end. The offsets are negated, as a background
// position must be to show the image placed at (x, y):
//   .sprite-home { background-position: -15px 0px }
//   .sprite-home { background-position: -15px 0px; width: 32px; height: 32px; }
std::string StylesheetLine(std::string_view classText, std::string_view name,
                           std::int32_t x, std::int32_t y, std::int32_t width,
                           std::int32_t height, int lineStyle);

// The stylesheet file, held open with an exclusive lock for one build.
class StylesheetFile {
public:
    StylesheetFile() = default;
    ~StylesheetFile();
    StylesheetFile(const StylesheetFile&) = delete;
    StylesheetFile& operator=(const StylesheetFile&) = delete;

    // Creates or empties the file and locks it for this build. Returns false
    // when it cannot be created or someone else holds it; the file is then
    // left untouched.
    bool Open(const std::string& path);
    // Writes the line and its CR LF; throws Error when the write fails.
    void WriteLine(std::string_view line);
    // Closes the file; throws Error when the data could not be stored.
    void Close();

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace tessolo
