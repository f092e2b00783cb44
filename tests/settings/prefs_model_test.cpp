#include "settings/prefs_model.h"

#include "settings/integer_text.h"
#include "settings_test_env.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tessolo {
namespace {

TEST(IntegerTextTest, AcceptsSignedDecimalsThatFit32Bits)
{
    EXPECT_EQ(ParseInt32("42"), 42);
    EXPECT_EQ(ParseInt32("+7"), 7);
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
    for (const char* bad : {"", "+", "-", "abc", "5x", " 5", "5 ", "+-5", "0x10", "2147483648"})
        EXPECT_EQ(ParseInt32(bad), std::nullopt) << bad;
}

TEST(ChoiceGroupTest, SelectionIsLimitedToNoneOrAnEntry)
{
    ChoiceGroup group(3);
    EXPECT_EQ(group.Selection(), -1);
    group.SetSelection(1);
    EXPECT_EQ(group.Selection(), 1);
    group.SetSelection(9);
    EXPECT_EQ(group.Selection(), 2);
    group.SetSelection(-5);
    EXPECT_EQ(group.Selection(), -1);
}

TEST(NumberSettingTest, KeepsTheStoredRange)
{
    NumberSetting quality(kJpegQualityRange);
    EXPECT_EQ(quality.Value(), 1);
    quality.Set(57);
    EXPECT_EQ(quality.Value(), 57);
    quality.Set(500);
    EXPECT_EQ(quality.Value(), 100);
    NumberSetting padding(RangeOf(&SheetOptions::HorizontalPadding));
    padding.Set(-70000);
    EXPECT_EQ(padding.Value(), -65535);
}

class PrefsModelTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ScopedEnv home{"HOME", dir / "home"};
    test::ScopedEnv config{"XDG_CONFIG_HOME", dir / "config"};
    FormatPrefsSet records;
    OrvaneRegistry settings{records, {.saveOnDestruction = false}};
    PrefsModel model;
};

TEST_F(PrefsModelTest, FirstRunShowsTheDefaults)
{
    EXPECT_EQ(model.BMP_PixelFormat.Selection(), 2);  // "16 bit" before the first showing
    model.CopyIn(settings, records);
    EXPECT_EQ(model.Orientation.Selection(), 0);
    EXPECT_EQ(model.gbResize.Selection(), 0);
    EXPECT_FALSE(model.gbResizeProportionallyVisible());
    EXPECT_FALSE(model.gbResizeExactlyVisible());
    EXPECT_EQ(model.ebProportionalResize.Value(), 100);
    EXPECT_EQ(model.ebSetWidth.Value(), 320);
    EXPECT_EQ(model.ebSetHeight.Value(), 240);
    EXPECT_EQ(model.ebHpad.Value(), 5);
    EXPECT_EQ(model.ebVpad.Value(), 5);
    EXPECT_EQ(model.JPEG_Progressive.Selection(), 0);
    EXPECT_FALSE(model.JPEG_SmoothingEnabled());
    EXPECT_EQ(model.JPEG_Quality.Value(), 100);
    EXPECT_EQ(model.PNG_Progressive.Selection(), 0);
    EXPECT_EQ(model.PNG_Quality.Value(), 9);
    EXPECT_EQ(model.GIF_CompressionType.Selection(), 0);
    EXPECT_EQ(model.BMP_PixelFormat.Selection(), 0);  // "4 bit"
    EXPECT_FALSE(model.cbDedupeImages);
}

TEST_F(PrefsModelTest, CopyInBringsStoredValuesIntoTheControlsRanges)
{
    settings.Orientation = 9;
    settings.ResizeMethod = 2;
    records.JPGprefs = {0, 1, 7, 500, 0, 0};
    records.PNGprefs.Quality = -3;
    model.CopyIn(settings, records);
    EXPECT_EQ(model.Orientation.Selection(), 3);  // the last entry, "Packed"
    EXPECT_TRUE(model.gbResizeExactlyVisible());
    EXPECT_FALSE(model.gbResizeProportionallyVisible());
    EXPECT_TRUE(model.JPEG_SmoothingEnabled());
    EXPECT_TRUE(model.JPEG_Smoothing);
    EXPECT_EQ(model.JPEG_Quality.Value(), 100);
    EXPECT_EQ(model.PNG_Quality.Value(), 0);

    model.Commit(settings, records);
    EXPECT_EQ(settings.Orientation, 3);
    EXPECT_EQ(records.JPGprefs, (TFormatPrefs{0, 1, 1, 100, 0, 0}));
}

TEST_F(PrefsModelTest, UnknownPixelFormatCodeKeepsTheSelectionAndCommitsItsCode)
{
    records.BMPprefs.PixelFormat = 4;
    model.CopyIn(settings, records);
    EXPECT_EQ(model.BMP_PixelFormat.Selection(), 2);
    model.Commit(settings, records);
    EXPECT_EQ(records.BMPprefs.PixelFormat, 5);

    model.BMP_PixelFormat.SetSelection(-1);
    records.BMPprefs.PixelFormat = 8;
    model.Commit(settings, records);
    EXPECT_EQ(records.BMPprefs.PixelFormat, 8);
}

TEST_F(PrefsModelTest, CommitStoresTheNumbersAndChoices)
{
    model.CopyIn(settings, records);
    model.JPEG_Quality.Set(57);
    model.PNG_Quality.Set(7);
    model.GIF_CompressionType.SetSelection(1);
    model.gbResize.SetSelection(1);
    model.ebProportionalResize.Set(0);
    model.ebHpad.Set(-4);
    model.ebVpad.Set(12);
    model.SheetBackground.SetSelection(1);
    model.Commit(settings, records);
    EXPECT_EQ(records.JPGprefs.Quality, 57);
    EXPECT_EQ(records.PNGprefs.Quality, 7);
    EXPECT_EQ(records.GIFprefs.Quality, 1);
    EXPECT_EQ(settings.ResizeMethod, 1);
    EXPECT_EQ(settings.ResizePercentage, 0);
    EXPECT_EQ(settings.HorizontalPadding, -4);
    EXPECT_EQ(settings.VerticalPadding, 12);
    EXPECT_EQ(settings.SheetBackground, 1);
    EXPECT_EQ(records.PNGprefs.Reserved, 9);  // fields without a control stay
    // The largest sheet: "WxH" within the stored ranges, else no limit.
    for (auto [text, width, height] : {std::tuple{"4096x2048", 4096, 2048}, {"", 0, 0},
                                       {"70000x10", 0, 0}, {"300x", 0, 0}}) {
        model.edMaxSheetSize = text;
        model.Commit(settings, records);
        EXPECT_EQ(std::pair(settings.MaxSheetWidth, settings.MaxSheetHeight),
                  std::pair(width, height))
            << text;
    }
    model.edMaxSheetSize = "64x32";
    model.Commit(settings, records);

    model.CopyIn(settings, records);
    EXPECT_EQ(model.JPEG_Quality.Value(), 57);
    EXPECT_EQ(model.PNG_Quality.Value(), 7);
    EXPECT_EQ(model.SheetBackground.Selection(), 1);
    EXPECT_EQ(model.edMaxSheetSize, "64x32");
}

TEST_F(PrefsModelTest, WebOptionsMapToTheirStoredValuesBothWays)
{
    model.CopyIn(settings, records);
    EXPECT_FALSE(model.cbBaseRule || model.cbScssData || model.cbLessData || model.cbJsonData ||
                 model.cbHtmlPreview);

    settings.BaseRule = 7;  // any value but 0 checks the box
    settings.DataFormats = 6;
    model.CopyIn(settings, records);
    EXPECT_TRUE(model.cbBaseRule);
    EXPECT_FALSE(model.cbScssData);
    EXPECT_TRUE(model.cbLessData);
    EXPECT_TRUE(model.cbJsonData);
    EXPECT_FALSE(model.cbHtmlPreview);

    model.cbScssData = true;
    model.cbJsonData = false;
    model.cbHtmlPreview = true;
    model.Commit(settings, records);
    EXPECT_EQ(settings.BaseRule, 1);
    EXPECT_EQ(settings.DataFormats, 3);
    EXPECT_EQ(settings.HtmlPreview, 1);
}

TEST_F(PrefsModelTest, PngOptimizeFollowsTheLowByteOfThePngSmoothingField)
{
    records.PNGprefs.Smoothing = 0x100;  // low byte 0: off
    records.JPGprefs.Smoothing = 1;
    model.CopyIn(settings, records);
    EXPECT_FALSE(model.PNG_Optimize);
    model.Commit(settings, records);
    EXPECT_EQ(records.PNGprefs.Smoothing, 0);

    records.PNGprefs.Smoothing = 0x201;
    model.CopyIn(settings, records);
    EXPECT_TRUE(model.PNG_Optimize);
    model.Commit(settings, records);
    EXPECT_EQ(records.PNGprefs, (TFormatPrefs{kOutputPng, 0, 1, 9, 9, 0}));
    EXPECT_EQ(records.JPGprefs.Smoothing, 1);  // the JPEG flag is its own
}

TEST_F(PrefsModelTest, DedupeAndRetinaBoxesShowAnyNonZeroValueAndCommitOne)
{
    settings.DedupeImages = 7;
    settings.Retina = 3;
    model.CopyIn(settings, records);
    EXPECT_TRUE(model.cbDedupeImages);
    EXPECT_TRUE(model.cbRetina);
    model.Commit(settings, records);
    EXPECT_EQ(settings.DedupeImages, 1);
    EXPECT_EQ(settings.Retina, 1);

    // Scales 1, 2 and 3 show as dense sheets too; kept while the box is,
    // and gone with it.
    settings.Retina = 0;
    settings.Scales = 0b1110;
    model.CopyIn(settings, records);
    EXPECT_TRUE(model.cbRetina);
    model.Commit(settings, records);
    EXPECT_EQ(settings.Scales, 0b1110);
    model.cbRetina = false;
    model.Commit(settings, records);
    EXPECT_EQ(std::pair(settings.Scales, settings.Retina), std::pair(0, 0));
}

}  // namespace
}  // namespace tessolo
