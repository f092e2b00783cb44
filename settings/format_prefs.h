// The per-output-format option record: six signed 32-bit integers.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tessolo {

struct TFormatPrefs {
    std::int32_t Kind = 0;         // 0 JPEG, 1 PNG, 2 GIF, 3 BMP; stored, read by nobody
    std::int32_t Progressive = 0;  // JPEG: progressive file; PNG: 1 = Adam7 interlace
    std::int32_t Smoothing = 0;    // JPEG smoothing flag; carried, not applied
    std::int32_t Quality = 0;      // JPEG quality, PNG level, GIF 0 LZW / 1 RLE
    std::int32_t Reserved = 0;     // stored and restored unchanged
    std::int32_t PixelFormat = 0;  // BMP pixel-format code 2, 3, 5, 6, 7

    friend bool operator==(const TFormatPrefs&, const TFormatPrefs&) = default;
};

// The first-run records, in the order JPEG, PNG, GIF, BMP.
constexpr TFormatPrefs kDefaultJPGprefs{0, 0, 0, 100, 0, 0};
constexpr TFormatPrefs kDefaultPNGprefs{1, 0, 0, 9, 9, 0};
constexpr TFormatPrefs kDefaultGIFprefs{2, 0, 0, 0, 9, 0};
constexpr TFormatPrefs kDefaultBMPprefs{3, 0, 0, 0, 0, 2};

// The low byte of a record field, as the consumers read it.
constexpr int LowByte(std::int32_t value) { return int(std::uint32_t(value) & 0xFF); }

// The six fields in their stored order.
inline constexpr std::array<std::int32_t TFormatPrefs::*, 6> kFormatPrefsFields{
    &TFormatPrefs::Kind,    &TFormatPrefs::Progressive, &TFormatPrefs::Smoothing,
    &TFormatPrefs::Quality, &TFormatPrefs::Reserved,    &TFormatPrefs::PixelFormat};

// The four records, one per output format, created with their first-run
// defaults. The preferences dialog edits them and the settings store loads
// and saves them. The store keeps a reference to the set it was given, so a
// set must outlive its store: a dialog owns one (or wraps one owned by the
// program) and is destroyed after the store, as at shutdown.
struct FormatPrefsSet {
    TFormatPrefs JPGprefs = kDefaultJPGprefs;
    TFormatPrefs PNGprefs = kDefaultPNGprefs;
    TFormatPrefs GIFprefs = kDefaultGIFprefs;
    TFormatPrefs BMPprefs = kDefaultBMPprefs;
};

// Each record with the name of the stored value that holds it, in the
// order of the output-type codes 0 JPEG, 1 PNG, 2 GIF, 3 BMP.
struct FormatPrefsSlot {
    std::string_view valueName;
    TFormatPrefs FormatPrefsSet::*record;
};
inline constexpr std::array<FormatPrefsSlot, 4> kFormatPrefsSlots{{
    {"JPGprefs", &FormatPrefsSet::JPGprefs},
    {"PNGprefs", &FormatPrefsSet::PNGprefs},
    {"GIFprefs", &FormatPrefsSet::GIFprefs},
    {"BMPprefs", &FormatPrefsSet::BMPprefs},
}};

}  // namespace tessolo
