// The stylesheet: one CSS rule per placed image, each on its own line ended
// by CR LF, written as the images are placed.
#pragma once

#include "platform/output_set.h"

#include <array>
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

// The units of the rules, as stored in CssUnits: pixels, or percentages that
// scale each image with its element.
enum StylesheetUnits : std::int32_t { kUnitsPixels = 0, kUnitsPercent = 1 };

struct StylesheetUnitsInfo {
    StylesheetUnits units;
    std::string_view commandWord;
};
inline constexpr std::array<StylesheetUnitsInfo, 2> kStylesheetUnits{{
    {kUnitsPixels, "px"},
    {kUnitsPercent, "percent"},
}};

// The row of stored units, or nullptr for a value outside the table.
const StylesheetUnitsInfo* FindStylesheetUnits(std::int32_t stored);

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

// An image's place and size in percent: background-position as a share of
// the room the sheet leaves beside the image (x / (sheet width - width)),
// background-size as the sheet's size over the image's, each 0 where its
// divisor is. An element of any size with the image's aspect ratio then
// shows exactly the image.
struct PercentPlace {
    double x = 0, y = 0, sheetWidth = 0, sheetHeight = 0;
};
PercentPlace PercentPlaceOf(std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, std::int32_t sheetWidth,
                            std::int32_t sheetHeight);

// A percentage as rules write it: at most four decimals, which keeps every
// image on its pixels on sheets far larger than any screen, without
// trailing zeros, and 0 rather than -0 ("12.5", "33.3333", "0").
std::string PercentText(double percent);

// The rule in percent, without its line end. The position-only style gives
// the aspect ratio instead of the size, so the page sets only one side:
//   .sprite-home { background-position: 33.3333% 0%; background-size: 400% 100%; aspect-ratio: 32 / 32 }
//   .sprite-home { background-position: 33.3333% 0%; background-size: 400% 100%; width: 32px;
//   height: 32px; }
std::string PercentStylesheetLine(std::string_view selector, const PercentPlace& place,
                                  std::int32_t width, std::int32_t height, LineStyle lineStyle);

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
