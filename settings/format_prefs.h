// The sheet's output types and their option records of six signed 32-bit
// integers each.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tessolo {

// The sheet's file type, as stored in TargetFileType and
// BuildInputs::OutputFileType.
enum OutputType : std::int32_t {
    kOutputJpeg = 0,
    kOutputPng = 1,
    kOutputGif = 2,
    kOutputBmp = 3,
    kOutputWebp = 4,
    kOutputAvif = 5,
};

struct TFormatPrefs {
    std::int32_t Kind = 0;         // the record's OutputType; stored, read by nobody
    std::int32_t Progressive = 0;  // JPEG: progressive file; PNG: 1 = Adam7 interlace
    std::int32_t Smoothing = 0;    // JPEG smoothing flag, carried, not applied; PNG: optimise
    std::int32_t Quality = 0;      // JPEG quality, PNG level, GIF 0 LZW / 1 RLE,
                                   // WebP 0 lossless / 1-100 lossy, AVIF quality
    std::int32_t Reserved = 0;     // stored and restored unchanged
    std::int32_t PixelFormat = 0;  // BMP: a BmpPixelCode

    friend bool operator==(const TFormatPrefs&, const TFormatPrefs&) = default;
};

// The first-run records, in the order JPEG, PNG, GIF, BMP, WebP, AVIF.
constexpr TFormatPrefs kDefaultJPGprefs{kOutputJpeg, 0, 0, 100, 0, 0};
constexpr TFormatPrefs kDefaultPNGprefs{kOutputPng, 0, 0, 9, 9, 0};
constexpr TFormatPrefs kDefaultGIFprefs{kOutputGif, 0, 0, 0, 9, 0};
constexpr TFormatPrefs kDefaultBMPprefs{kOutputBmp, 0, 0, 0, 0, 2};  // 4 bits per pixel
constexpr TFormatPrefs kDefaultWEBPprefs{kOutputWebp, 0, 0, 0, 0, 0};  // lossless
constexpr TFormatPrefs kDefaultAVIFprefs{kOutputAvif, 0, 0, 80, 0, 0};

// The low byte of a record field, as the consumers read it.
constexpr int LowByte(std::int32_t value) { return int(std::uint32_t(value) & 0xFF); }

// The PNG record keeps its optimise flag in Smoothing, a field that PNG never
// used and whose stored first-run value is 0: a non-zero low byte writes the
// sheet with the optimised encoder, 0 with the default one, and 2 asks it
// for its slowest, smallest file (--png-optimize=max). Reserved is not
// taken, as it is stored and restored unchanged.
constexpr int kPngOptimizeMax = 2;
constexpr bool PngOptimizeOf(const TFormatPrefs& png) { return LowByte(png.Smoothing) != 0; }
constexpr bool PngOptimizeMaxOf(const TFormatPrefs& png) { return LowByte(png.Smoothing) == kPngOptimizeMax; }

// The six fields in their stored order, with their names for messages.
struct FormatPrefsField {
    std::int32_t TFormatPrefs::*member;
    std::string_view name;
};
inline constexpr std::array<FormatPrefsField, 6> kFormatPrefsFields{{
    {&TFormatPrefs::Kind, "Kind"},
    {&TFormatPrefs::Progressive, "Progressive"},
    {&TFormatPrefs::Smoothing, "Smoothing"},
    {&TFormatPrefs::Quality, "Quality"},
    {&TFormatPrefs::Reserved, "Reserved"},
    {&TFormatPrefs::PixelFormat, "PixelFormat"},
}};

// The records, one per output format, created with their first-run
// defaults. The preferences dialog edits them and the settings store loads
// and saves them. The store keeps a reference to the set it was given, so a
// set must outlive its store: a dialog owns one (or wraps one owned by the
// program) and is destroyed after the store, as at shutdown.
struct FormatPrefsSet {
    TFormatPrefs JPGprefs = kDefaultJPGprefs;
    TFormatPrefs PNGprefs = kDefaultPNGprefs;
    TFormatPrefs GIFprefs = kDefaultGIFprefs;
    TFormatPrefs BMPprefs = kDefaultBMPprefs;
    TFormatPrefs WEBPprefs = kDefaultWEBPprefs;
    TFormatPrefs AVIFprefs = kDefaultAVIFprefs;
};

// What each output type brings with it: the sheet's extension, its word on
// the command line, and its option record with the stored value that holds it.
struct OutputTypeInfo {
    OutputType type;
    std::string_view extension;  // lower case, with the dot
    std::string_view commandWord;
    std::string_view prefsValueName;
    TFormatPrefs FormatPrefsSet::*prefs;
    std::string_view mimeType;  // as a stylesheet's image-set() names it
};

// One row per output type, in the order of their stored values.
inline constexpr std::array<OutputTypeInfo, 6> kOutputTypes{{
    {kOutputJpeg, ".jpg", "jpeg", "JPGprefs", &FormatPrefsSet::JPGprefs, "image/jpeg"},
    {kOutputPng, ".png", "png", "PNGprefs", &FormatPrefsSet::PNGprefs, "image/png"},
    {kOutputGif, ".gif", "gif", "GIFprefs", &FormatPrefsSet::GIFprefs, "image/gif"},
    {kOutputBmp, ".bmp", "bmp", "BMPprefs", &FormatPrefsSet::BMPprefs, "image/bmp"},
    {kOutputWebp, ".webp", "webp", "WEBPprefs", &FormatPrefsSet::WEBPprefs, "image/webp"},
    {kOutputAvif, ".avif", "avif", "AVIFprefs", &FormatPrefsSet::AVIFprefs, "image/avif"},
}};

// The row of a stored type; a value outside the table means BMP, as it
// always has for a sheet.
constexpr const OutputTypeInfo& OutputTypeFor(std::int32_t storedValue)
{
    for (const OutputTypeInfo& row : kOutputTypes)
        if (row.type == storedValue)
            return row;
    return kOutputTypes[kOutputBmp];
}

}  // namespace tessolo
