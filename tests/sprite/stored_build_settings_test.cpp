// The one conversion between the settings store's numbers and a build's
// typed options.
#include "sprite/stored_build_settings.h"

#include <gtest/gtest.h>

#include <functional>

namespace tessolo {
namespace {

TEST(StoredBuildSettings, FirstRunRecordsGiveTheEncodersTheirOwnDefaults)
{
    EXPECT_EQ(BuildSettings().Encoding, SheetEncoding{});
}

// The encoders read the low byte of a record field, as they always have;
// the JPEG progressive flag is read whole.
struct RecordCase {
    const char* label;
    std::function<void(FormatPrefsSet&)> store;
    std::function<void(SheetEncoding&)> expect;
};

class RecordFields : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecordFields, GiveTheEncodersTheirOptions)
{
    FormatPrefsSet records;
    GetParam().store(records);
    SheetEncoding expected;
    GetParam().expect(expected);
    EXPECT_EQ(StoredBuildSettings(SheetOptions(), records).Encoding, expected);
}

INSTANTIATE_TEST_SUITE_P(
    LowBytes, RecordFields,
    ::testing::Values(
        RecordCase{"JpegQuality", [](auto& r) { r.JPGprefs.Quality = 256 + 90; },
                   [](auto& e) { e.jpeg.quality = 90; }},
        RecordCase{"JpegProgressive", [](auto& r) { r.JPGprefs.Progressive = 0x100; },
                   [](auto& e) { e.jpeg.progressive = true; }},
        RecordCase{"PngLevelAboveNine", [](auto& r) { r.PNGprefs.Quality = 0x10F; },
                   [](auto& e) { e.png.level = 9; }},
        RecordCase{"PngLevel", [](auto& r) { r.PNGprefs.Quality = 0x103; },
                   [](auto& e) { e.png.level = 3; }},
        RecordCase{"PngInterlace", [](auto& r) { r.PNGprefs.Progressive = 0x100; },
                   [](auto&) {}},
        RecordCase{"PngOptimize", [](auto& r) { r.PNGprefs.Smoothing = 0x201; },
                   [](auto& e) { e.png.optimize = true; }},
        RecordCase{"PngOptimizeMax", [](auto& r) { r.PNGprefs.Smoothing = 0x102; },
                   [](auto& e) { e.png.optimize = e.png.exhaustive = true; }},
        RecordCase{"GifRle", [](auto& r) { r.GIFprefs.Quality = 0x101; },
                   [](auto& e) { e.gif.compression = gcRLE; }},
        RecordCase{"GifOtherThanOneIsLzw", [](auto& r) { r.GIFprefs.Quality = 2; },
                   [](auto&) {}},
        RecordCase{"BmpPixelFormat", [](auto& r) { r.BMPprefs.PixelFormat = 0x100 + kBmp24Bits; },
                   [](auto& e) { e.bmp.pixelFormat = kBmp24Bits; }}),
    [](const auto& info) { return std::string(info.param.label); });

// What the store allows comes back unchanged from a build's options, so that
// saving the options of a run changes nothing it did not set.
TEST(StoredBuildSettings, StoredValuesComeBackUnchanged)
{
    SheetOptions store;
    for (const StoredValue& row : kStoredValues)
        if (row.sheetField)
            store.*row.sheetField = row.range.max;
    const SheetOptions back = StoredSheetOptions(StoredBuildSettings(store, FormatPrefsSet()));
    for (const StoredValue& row : kStoredValues) {
        if (row.sheetField) {
            EXPECT_EQ(back.*row.sheetField, store.*row.sheetField) << row.name;
        }
    }

    // Every field that an encoder reads differs from its first-run value;
    // the others keep theirs.
    FormatPrefsSet records;
    records.JPGprefs = {kOutputJpeg, 1, 0, 80, 0, 0};
    records.PNGprefs = {kOutputPng, 1, 1, 4, 9, 0};
    records.GIFprefs = {kOutputGif, 0, 0, 1, 9, 0};
    records.BMPprefs = {kOutputBmp, 0, 0, 0, 0, kBmp16Bits};
    const FormatPrefsSet recordsBack =
        StoredRecords(StoredBuildSettings(SheetOptions(), records).Encoding, FormatPrefsSet());
    for (const OutputTypeInfo& type : kOutputTypes)
        EXPECT_EQ(recordsBack.*type.prefs, records.*type.prefs) << type.prefsValueName;
}

}  // namespace
}  // namespace tessolo
