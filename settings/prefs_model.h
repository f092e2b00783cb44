// The preferences dialog without its widgets: what each control holds, the
// rules between the controls, and the copying of values between the
// controls, the settings object and the per-format records. The dialog
// forwards the user's input here and paints what the model holds.
#pragma once

#include <string>

#include "settings/format_prefs.h"
#include "settings/settings_store.h"
#include "settings/stored_values.h"

namespace tessolo {

// A group of exclusive choices. The selection is -1 for none, else the
// index of the chosen entry.
class ChoiceGroup {
public:
    explicit ChoiceGroup(int count, int selection = -1);
    int Count() const { return count_; }
    int Selection() const { return selection_; }
    // A value below -1 selects nothing; one past the last entry selects the last.
    void SetSelection(int value);

private:
    int count_;
    int selection_;
};

// The numbers a spin box or a slider takes: those the store allows.
struct NumberRange {
    int min;
    int max;
};
constexpr NumberRange RangeOf(const ValueRange& stored) { return {stored.min, stored.max}; }
constexpr NumberRange RangeOf(std::int32_t SheetOptions::*field)
{
    return RangeOf(StoredValueOf(field).range);
}
inline constexpr NumberRange kJpegQualityRange =
    RangeOf(RecordFieldRange(kOutputJpeg, &TFormatPrefs::Quality));
inline constexpr NumberRange kPngLevelRange =
    RangeOf(RecordFieldRange(kOutputPng, &TFormatPrefs::Quality));
inline constexpr NumberRange kWebpQualityRange =
    RangeOf(RecordFieldRange(kOutputWebp, &TFormatPrefs::Quality));
inline constexpr NumberRange kAvifQualityRange =
    RangeOf(RecordFieldRange(kOutputAvif, &TFormatPrefs::Quality));

// A number within its range: a value outside is taken as the nearer end.
class NumberSetting {
public:
    explicit constexpr NumberSetting(NumberRange range) : range_(range), value_(range.min) {}
    NumberRange Range() const { return range_; }
    int Value() const { return value_; }
    void Set(int value);

private:
    NumberRange range_;
    int value_;
};

class PrefsModel {
public:
    // Page "General".
    ChoiceGroup Orientation{4};  // horizontal, vertical, grid, packed
    ChoiceGroup gbResize{3};
    NumberSetting ebProportionalResize{RangeOf(&SheetOptions::ResizePercentage)};
    NumberSetting ebSetWidth{RangeOf(&SheetOptions::ResizeWidth)};
    NumberSetting ebSetHeight{RangeOf(&SheetOptions::ResizeHeight)};
    NumberSetting ebHpad{RangeOf(&SheetOptions::HorizontalPadding)};
    NumberSetting ebVpad{RangeOf(&SheetOptions::VerticalPadding)};
    ChoiceGroup SheetBackground{2};  // 0 white, 1 transparent
    bool cbDedupeImages = false;  // identical images placed once
    bool cbRetina = false;        // a double-size sheet for high-density screens as well
    // The largest sheet as "WIDTHxHEIGHT"; empty, or any other text: no limit.
    std::string edMaxSheetSize;
    // Page "JPEG".
    ChoiceGroup JPEG_Progressive{2};
    bool JPEG_Smoothing = false;
    NumberSetting JPEG_Quality{kJpegQualityRange};  // its box ebJPEGQuality and its slider
    // Page "PNG".
    ChoiceGroup PNG_Progressive{2};
    NumberSetting PNG_Quality{kPngLevelRange};  // its box ebPNGQuality and its slider
    bool PNG_Optimize = false;                  // PngOptimizeOf(PNGprefs)
    NumberSetting ebPngColors{RangeOf(&SheetOptions::PngColors)};  // 0: exact colours
    bool cbPngDither = false;
    // Page "GIF": 0 LZW, 1 RLE.
    ChoiceGroup GIF_CompressionType{2};
    bool cbGifQuantizer = false;  // the quantiser's colours rather than the web palette
    // Page "BMP": entries in the order of kBmpPixelCodes; "16 bit"
    // until the first showing sets it.
    ChoiceGroup BMP_PixelFormat;
    // Page "WebP/AVIF".
    NumberSetting ebWebpQuality{kWebpQualityRange};  // 0: lossless
    NumberSetting ebAvifQuality{kAvifQualityRange};
    // The sheet also written as PNG, WebP, AVIF or JPEG (AlsoFormats).
    bool cbAlsoPng = false;
    bool cbAlsoWebp = false;
    bool cbAlsoAvif = false;
    bool cbAlsoJpeg = false;
    // Page "Web": the optional outputs for web pages.
    bool cbBaseRule = false;
    bool cbPseudoClasses = false;  // state images also rule their base class's pseudo-class
    bool cbPercentUnits = false;   // CssUnits 1, percent, rather than 0, px
    bool cbScssData = false;
    bool cbLessData = false;
    bool cbJsonData = false;
    bool cbHtmlPreview = false;
    // Where the files go; relative folders and templates are taken from the
    // source folder, templates are a list as delimited text.
    std::string edSheetFolder;
    std::string edStylesheetFolder;
    std::string edSheetUrl;
    std::string edTemplates;
    bool cbCacheBust = false;

    PrefsModel();

    // The dialog becomes visible: every control takes its value from the
    // settings and the records, a number brought into its range. A BMP code
    // without an entry leaves the pixel-format selection as it was.
    void CopyIn(const OrvaneRegistry& settings, const FormatPrefsSet& records);

    // The dialog is hidden: the controls go back into the records and the
    // settings. Every number is within the range the store allows.
    void Commit(OrvaneRegistry& settings, FormatPrefsSet& records) const;

    bool JPEG_SmoothingEnabled() const { return JPEG_Progressive.Selection() == 1; }
    bool gbResizeProportionallyVisible() const { return gbResize.Selection() == 1; }
    bool gbResizeExactlyVisible() const { return gbResize.Selection() == 2; }
};

}  // namespace tessolo
