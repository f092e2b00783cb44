// Where the settings store meets a build: the options that both hold, and
// the store's ranges for the choices that the build's tables define.
#pragma once

#include "settings/settings_store.h"
#include "settings/stored_values.h"
#include "sprite/build_settings.h"
#include "sprite/layout.h"
#include "sprite/sheet_background.h"
#include "sprite/stylesheet.h"

#include <iterator>

namespace tessolo {

// A stored choice takes exactly the values of its table.
constexpr bool RangeIsZeroTo(const ValueRange& range, std::size_t count)
{
    return range.only.empty() && range.min == 0 && range.max == std::int32_t(count) - 1;
}
static_assert(RangeIsZeroTo(StoredValueOf(&SheetOptions::Orientation).range, kOrientations.size()));
static_assert(RangeIsZeroTo(StoredValueOf(&SheetOptions::ResizeMethod).range, kResizeToSize + 1));
static_assert(RangeIsZeroTo(StoredValueOf(&SheetOptions::SheetBackground).range,
                            kSheetBackgrounds.size()));
static_assert(RangeIsZeroTo(StoredValueOf(&OrvaneRegistry::ListType).range,
                            std::size(kLineStyleTexts)));

// The options a build reads: the store's SheetOptions and the four records.
inline BuildSettings StoredBuildSettings(const OrvaneRegistry& store, const FormatPrefsSet& records)
{
    BuildSettings settings;
    static_cast<FormatPrefsSet&>(settings) = records;
    static_cast<SheetOptions&>(settings) = store;
    return settings;
}

}  // namespace tessolo
