#include "sprite/sheet_background.h"

#include "platform/text_list.h"
#include "settings/format_prefs.h"

#include <vector>

namespace tessolo {

const SheetBackgroundInfo* FindSheetBackground(std::int32_t storedValue)
{
    for (const SheetBackgroundInfo& row : kSheetBackgrounds)
        if (row.background == storedValue)
            return &row;
    return nullptr;
}

std::optional<std::string> BackgroundProblem(OutputType outputType, SheetBackground background)
{
    if (!FindSheetBackground(background)) {
        std::vector<std::string> choices;
        for (const SheetBackgroundInfo& row : kSheetBackgrounds)
            choices.push_back(std::to_string(row.background) + " " + std::string(row.commandWord));
        return "No valid sheet background set (" + std::to_string(background) + "; use " +
               JoinAlternatives(choices, " or ") + ")";
    }
    if (background != kBackgroundTransparent)
        return std::nullopt;
    switch (OutputTypeFor(outputType).type) {
    case kOutputJpeg: return "A transparent background needs a PNG, GIF, WebP or AVIF sheet: JPEG cannot hold transparency";
    case kOutputBmp: return "A transparent background needs a PNG, GIF, WebP or AVIF sheet: BMP cannot hold transparency";
    default: return std::nullopt;
    }
}

}  // namespace tessolo
