// Where the settings store meets a build: the one conversion from the
// store's numbers and records to a build's typed options, its way back for
// saving them, and the store's ranges for the choices that the build's
// tables define.
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

// The options a build reads, from the store's SheetOptions and the four
// records. Switches are on when not 0. A record field counts by its low
// byte, as it always has (the JPEG progressive flag whole): a PNG level above
// 9 is 9, and GIF Quality 1 is RLE, any other LZW. A number outside a
// choice's table stays as it is, for ValidateInputs (or the BMP writer) to
// refuse.
BuildSettings StoredBuildSettings(const SheetOptions& store, const FormatPrefsSet& records);

// The store's form of `settings`, to save them: switches 0 or 1.
SheetOptions StoredSheetOptions(const BuildSettings& settings);
// `records` with the fields that the encoders read replaced by those of
// `encoding`; the others (Kind, Reserved, the JPEG smoothing flag) kept.
FormatPrefsSet StoredRecords(const SheetEncoding& encoding, FormatPrefsSet records);

}  // namespace tessolo
