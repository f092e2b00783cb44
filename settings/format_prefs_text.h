// A per-format record as stored text: its six fields as decimal integers
// joined by commas, in the order Kind, Progressive, Smoothing, Quality,
// Reserved, PixelFormat ("0,0,0,100,0,0" for the JPEG defaults).
#pragma once

#include "settings/format_prefs.h"

#include <optional>
#include <string>
#include <string_view>

namespace tessolo {

std::string FormatPrefsToText(const TFormatPrefs& record);

// Reads the text by the delimited-text rule, so blanks separate items as
// commas do. The first six items must be decimal integers (optional sign)
// that fit 32 bits; later items are ignored. Nothing when that fails.
std::optional<TFormatPrefs> FormatPrefsFromText(std::string_view text);

}  // namespace tessolo
