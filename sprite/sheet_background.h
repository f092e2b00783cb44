// The sheet's background choices, their words on the command line, and
// which output types can hold a transparent one.
#pragma once

#include "sprite/build_settings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessolo {

struct SheetBackgroundInfo {
    SheetBackground background;
    std::string_view commandWord;
};

inline constexpr std::array<SheetBackgroundInfo, 2> kSheetBackgrounds{{
    {kBackgroundWhite, "white"},
    {kBackgroundTransparent, "transparent"},
}};

// The row of a stored background, or nullptr for a value outside the table.
const SheetBackgroundInfo* FindSheetBackground(std::int32_t storedValue);

// Why a build cannot write its sheet of `outputType` on `background`, as
// text for a validation line; nothing when it can.
std::optional<std::string> BackgroundProblem(OutputType outputType, SheetBackground background);

}  // namespace tessolo
