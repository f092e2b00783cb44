// Every value of the settings store, one row each: its name in the store,
// the field that holds it, its kind, the numbers it may hold and its
// first-run value. The store's load, save and check of what it reads, the
// first-run values of the fields, the command line's ranges and
// --show-settings, and the preferences' slider ranges all come from here, so
// a new option is one row here (plus its controls).
#pragma once

#include "codecs/bmp/bmp_codec.h"
#include "settings/data_formats.h"
#include "settings/format_prefs.h"
#include "settings/settings_store.h"
#include "settings/sheet_options.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tessolo {

// How a value is kept in the store.
enum class StoredKind {
    String,  // text
    Byte,    // one binary byte, read as 0-255
    Switch,  // one binary byte, 0 off or 1 on
    Dword,   // a 32-bit integer
    Record,  // a TFormatPrefs as text (settings/format_prefs_text.h)
};

// The numbers a value may hold: min to max, or only the listed ones.
struct ValueRange {
    std::int32_t min = std::numeric_limits<std::int32_t>::min();
    std::int32_t max = std::numeric_limits<std::int32_t>::max();
    std::span<const std::int32_t> only{};  // when not empty, min and max are not used

    constexpr bool Holds(std::int32_t value) const
    {
        if (only.empty())
            return value >= min && value <= max;
        return std::ranges::find(only, value) != only.end();
    }
};

// The range in words: "from 0 to 9", "one of 2, 3, 5, 6 or 7".
std::string RangeText(const ValueRange& range);

inline constexpr ValueRange kAnyNumber{};
inline constexpr ValueRange kOffOrOn{0, 1};

// The BMP pixel codes that a sheet can be written in.
inline constexpr std::array<std::int32_t, kBmpPixelCodes.size()> kBmpPixelCodeValues = [] {
    std::array<std::int32_t, kBmpPixelCodes.size()> codes{};
    std::ranges::transform(kBmpPixelCodes, codes.begin(),
                           [](const BmpPixelCodeInfo& row) { return row.code; });
    return codes;
}();

struct StoredValue {
    std::string_view name;
    StoredKind kind;
    // The field, by kind: a number that builds read, a number or a text of
    // the store alone, or one of the four records.
    std::int32_t SheetOptions::*sheetField = nullptr;
    std::int32_t OrvaneRegistry::*storeField = nullptr;
    std::string OrvaneRegistry::*textField = nullptr;
    TFormatPrefs FormatPrefsSet::*record = nullptr;
    ValueRange range{};  // numbers
    std::array<ValueRange, kFormatPrefsFields.size()> fieldRanges{};  // records' fields, in order
    std::int32_t firstRun = 0;        // numbers; the records start as FormatPrefsSet{} does
    std::string_view firstRunText{};  // texts
    std::string_view commandOption{};  // what --show-settings lists it as; empty: not listed

    bool IsNumber() const
    {
        return kind == StoredKind::Byte || kind == StoredKind::Switch || kind == StoredKind::Dword;
    }
    std::int32_t& NumberIn(OrvaneRegistry& store) const
    {
        return sheetField ? store.*sheetField : store.*storeField;
    }
    std::int32_t NumberIn(const OrvaneRegistry& store) const
    {
        return sheetField ? store.*sheetField : store.*storeField;
    }
};

namespace stored_rows {

using RecordRanges = std::array<ValueRange, kFormatPrefsFields.size()>;

constexpr StoredValue Number(std::string_view name, StoredKind kind,
                             std::int32_t SheetOptions::*field, ValueRange range,
                             std::int32_t firstRun, std::string_view option = {})
{
    return {.name = name, .kind = kind, .sheetField = field, .range = range,
            .firstRun = firstRun, .commandOption = option};
}

constexpr StoredValue Number(std::string_view name, StoredKind kind,
                             std::int32_t OrvaneRegistry::*field, ValueRange range,
                             std::int32_t firstRun, std::string_view option)
{
    return {.name = name, .kind = kind, .storeField = field, .range = range,
            .firstRun = firstRun, .commandOption = option};
}

constexpr StoredValue Switch(std::string_view name, std::int32_t SheetOptions::*field,
                             std::string_view option)
{
    return Number(name, StoredKind::Switch, field, kOffOrOn, 0, option);
}

constexpr StoredValue Text(std::string_view name, std::string OrvaneRegistry::*field,
                           std::string_view firstRun, std::string_view option = {})
{
    return {.name = name, .kind = StoredKind::String, .textField = field,
            .firstRunText = firstRun, .commandOption = option};
}

constexpr StoredValue Record(const OutputTypeInfo& type, RecordRanges fieldRanges)
{
    return {.name = type.prefsValueName, .kind = StoredKind::Record, .record = type.prefs,
            .fieldRanges = fieldRanges, .commandOption = type.prefsValueName};
}

}  // namespace stored_rows

// In the order they are stored. The paddings, sizes and percentages have
// the ranges of the command line, which keep a build's arithmetic well
// inside 32 bits.
inline constexpr std::array kStoredValues{
    // The home folder at first: the store sets it, as it is not known here.
    stored_rows::Text("DefaultPath", &OrvaneRegistry::DefaultPath, ""),
    stored_rows::Number("TargetFileType", StoredKind::Byte, &OrvaneRegistry::TargetFileType,
                        {0, std::int32_t(kOutputTypes.size()) - 1}, kOutputJpeg, "--type"),
    stored_rows::Text("SpriteClass", &OrvaneRegistry::SpriteClass, ".sprite", "--class"),
    stored_rows::Number("ListType", StoredKind::Byte, &OrvaneRegistry::ListType, {0, 1}, 0,
                        "--style"),
    stored_rows::Number("Orientation", StoredKind::Byte, &SheetOptions::Orientation, {0, 3}, 0,
                        "--layout"),
    stored_rows::Number("ResizeMethod", StoredKind::Byte, &SheetOptions::ResizeMethod, {0, 2}, 0,
                        "--resize"),
    stored_rows::Number("ResizePercentage", StoredKind::Dword, &SheetOptions::ResizePercentage,
                        {0, 10000}, 100),
    stored_rows::Number("ResizeWidth", StoredKind::Dword, &SheetOptions::ResizeWidth,
                        {0, 65535}, 320),
    stored_rows::Number("ResizeHeight", StoredKind::Dword, &SheetOptions::ResizeHeight,
                        {0, 65535}, 240),
    stored_rows::Number("HorizontalPadding", StoredKind::Dword, &SheetOptions::HorizontalPadding,
                        {-65535, 65535}, 5, "--hpad"),
    stored_rows::Number("VerticalPadding", StoredKind::Dword, &SheetOptions::VerticalPadding,
                        {-65535, 65535}, 5, "--vpad"),
    stored_rows::Number("SheetBackground", StoredKind::Byte, &SheetOptions::SheetBackground,
                        {0, 1}, 0, "--background"),
    stored_rows::Switch("DedupeImages", &SheetOptions::DedupeImages, "--dedupe"),
    stored_rows::Switch("Retina", &SheetOptions::Retina, "--retina"),
    // Ranges of Kind, Progressive, Smoothing, Quality, Reserved and
    // PixelFormat; a field that no part reads takes any number.
    stored_rows::Record(kOutputTypes[kOutputJpeg], {kAnyNumber, kOffOrOn, kAnyNumber,
                                                    ValueRange{1, 100}, kAnyNumber, kAnyNumber}),
    stored_rows::Record(kOutputTypes[kOutputPng], {kAnyNumber, kOffOrOn, kOffOrOn,
                                                   ValueRange{0, 9}, kAnyNumber, kAnyNumber}),
    stored_rows::Record(kOutputTypes[kOutputGif], {kAnyNumber, kAnyNumber, kAnyNumber, kOffOrOn,
                                                   kAnyNumber, kAnyNumber}),
    stored_rows::Record(kOutputTypes[kOutputBmp], {kAnyNumber, kAnyNumber, kAnyNumber, kAnyNumber,
                                                   kAnyNumber,
                                                   ValueRange{.only = kBmpPixelCodeValues}}),
    stored_rows::Record(kOutputTypes[kOutputWebp], {kAnyNumber, kAnyNumber, kAnyNumber,
                                                    ValueRange{0, 100}, kAnyNumber, kAnyNumber}),
    stored_rows::Record(kOutputTypes[kOutputAvif], {kAnyNumber, kAnyNumber, kAnyNumber,
                                                    ValueRange{1, 100}, kAnyNumber, kAnyNumber}),
    stored_rows::Switch("BaseRule", &SheetOptions::BaseRule, "--base-rule"),
    stored_rows::Number("DataFormats", StoredKind::Byte, &SheetOptions::DataFormats,
                        {0, kDataScss | kDataLess | kDataJson}, 0, "--data"),
    stored_rows::Switch("HtmlPreview", &SheetOptions::HtmlPreview, "--html"),
    stored_rows::Switch("PseudoClasses", &SheetOptions::PseudoClasses, "--pseudo-classes"),
    stored_rows::Number("CssUnits", StoredKind::Byte, &SheetOptions::CssUnits, {0, 1}, 0,
                        "--units"),
    stored_rows::Number("PngColors", StoredKind::Dword, &SheetOptions::PngColors, {0, 256}, 0,
                        "--png-colors"),
    stored_rows::Switch("PngDither", &SheetOptions::PngDither, "--png-dither"),
    stored_rows::Text("SheetFolder", &SheetOptions::SheetFolder, "", "--out"),
    stored_rows::Text("StylesheetFolder", &SheetOptions::StylesheetFolder, "", "--css-out"),
    stored_rows::Text("SheetUrl", &SheetOptions::SheetUrl, "", "--url"),
    stored_rows::Switch("CacheBust", &SheetOptions::CacheBust, "--cache-bust"),
    stored_rows::Text("Templates", &SheetOptions::Templates, "", "--template"),
    // Where the windows were left; no build reads it.
    stored_rows::Text("ViewerGeometry", &OrvaneRegistry::ViewerGeometry, ""),
    stored_rows::Text("MainWindowGeometry", &OrvaneRegistry::MainWindowGeometry, ""),
    // The main window's state.
    stored_rows::Text("RecentFolders", &OrvaneRegistry::RecentFolders, ""),
    stored_rows::Number("ShowThumbnails", StoredKind::Switch, &OrvaneRegistry::ShowThumbnails,
                        kOffOrOn, 1, {}),
    // --show-settings lists both sides under --max-size.
    stored_rows::Number("MaxSheetWidth", StoredKind::Dword, &SheetOptions::MaxSheetWidth,
                        {0, 65535}, 0, "--max-size"),
    stored_rows::Number("MaxSheetHeight", StoredKind::Dword, &SheetOptions::MaxSheetHeight,
                        {0, 65535}, 0),
    stored_rows::Number("AlsoFormats", StoredKind::Dword, &SheetOptions::AlsoFormats,
                        {0, (1 << kOutputTypes.size()) - 1}, 0, "--also"),
    stored_rows::Switch("GifQuantizer", &SheetOptions::GifQuantizer, "--gif-quantizer"),
    stored_rows::Number("SvgSize", StoredKind::Dword, &SheetOptions::SvgSize, {0, 32767}, 0,
                        "--svg-size"),
    // Bits 1 << N of the scales, 1 <= N <= 4.
    stored_rows::Number("Scales", StoredKind::Dword, &SheetOptions::Scales, {0, 30}, 0, "--scales"),
};

// The row of a field; naming a field without a row does not compile where a
// constant is needed.
constexpr const StoredValue& StoredValueOf(std::int32_t SheetOptions::*field)
{
    for (const StoredValue& row : kStoredValues)
        if (row.sheetField == field)
            return row;
    throw std::logic_error("no stored value holds this field");
}

constexpr const StoredValue& StoredValueOf(std::int32_t OrvaneRegistry::*field)
{
    for (const StoredValue& row : kStoredValues)
        if (row.storeField == field)
            return row;
    throw std::logic_error("no stored value holds this field");
}

// The range of one field of an output type's record.
constexpr ValueRange RecordFieldRange(OutputType type, std::int32_t TFormatPrefs::*field)
{
    for (const StoredValue& row : kStoredValues)
        if (row.record == kOutputTypes[type].prefs)
            for (std::size_t i = 0; i < kFormatPrefsFields.size(); ++i)
                if (kFormatPrefsFields[i].member == field)
                    return row.fieldRanges[i];
    throw std::logic_error("no stored record holds this field");
}

}  // namespace tessolo
