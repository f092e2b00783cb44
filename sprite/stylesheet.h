// The stylesheet: one CSS rule per placed image, each on its own line ended
// by CR LF, written as the images are placed.
#pragma once

#include "platform/output_set.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tessolo {

// The two line styles and the texts under which front ends offer them.
enum LineStyle : int { kPositionOnly = 0, kPositionAndSize = 1 };
extern const char* const kLineStyleTexts[2];

// The line style of a stored ListType; nothing for a number outside the
// list, which leaves no style selected.
std::optional<LineStyle> LineStyleOf(std::int32_t stored);

// One rule for the class `selector` (see class_names.h), without its line
// end. The offsets are negated, as a background position must be to show the
// image placed at (x, y):
//   .sprite-home { background-position: -15px 0px }
//   .sprite-home { background-position: -15px 0px; width: 32px; height: 32px; }
std::string StylesheetLine(std::string_view selector, std::int32_t x, std::int32_t y,
                           std::int32_t width, std::int32_t height, LineStyle lineStyle);

// The CSS offset that shows an image placed at `position`: negated, and 0
// rather than -0 ("-15", "0").
std::string CssOffset(std::int32_t position);

// The stylesheet of one build. Its lines go to a temporary file beside it as
// the images are placed; the file joins the build's other outputs at the
// end and replaces the previous stylesheet only together with them, so a
// build that fails leaves the old one as it was.
class StylesheetFile {
public:
    // Starts the temporary file beside `path`; throws FileCreateError.
    explicit StylesheetFile(const std::string& path);
    // Writes the line and its CR LF; throws Error when the write fails.
    void WriteLine(std::string_view line);
    // Stores every line on disk; throws Error when they cannot be stored.
    void Finish();
    // Adds the file to `outputs`, to be put in place with them.
    void JoinOutputs(OutputSet& outputs);

private:
    std::unique_ptr<ReplacementFile> file_;
};

}  // namespace tessolo
