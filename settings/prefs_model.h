// The preferences dialog without its widgets: what each control holds, the
// rules between the controls, and the copying of values between the
// controls, the settings object and the four per-format records. The dialog
// forwards the user's input here and paints what the model holds.
#pragma once

#include "settings/format_prefs.h"
#include "settings/settings_store.h"
#include "settings/stored_values.h"

#include <string>

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

struct SliderRange {
    int min;
    int max;
};
// The two sliders cover the numbers that the store allows.
constexpr SliderRange SliderFor(const ValueRange& stored) { return {stored.min, stored.max}; }
inline constexpr SliderRange kJpegQualityRange =
    SliderFor(RecordFieldRange(kOutputJpeg, &TFormatPrefs::Quality));
inline constexpr SliderRange kPngLevelRange =
    SliderFor(RecordFieldRange(kOutputPng, &TFormatPrefs::Quality));

// A slider with the text box that shows its position. The box can also hold
// a number typed without Enter; that text is what a commit stores.
class QualitySetting {
public:
    explicit QualitySetting(SliderRange range) : range_(range), position_(range.min) {}
    SliderRange Range() const { return range_; }
    int Position() const { return position_; }
    std::string text;

    // Puts the slider at `value`, limited to the range, and the box then
    // shows the slider's position.
    void Load(int value);
    // The user moves the slider: the position is limited to the range, and
    // only an actual change of position puts the new position in the box.
    void MoveSlider(int value);
    // Enter in the box: moves the slider to the box's number. Throws Error
    // naming the text when it is not a whole number; the slider then stays.
    void Enter();

private:
    SliderRange range_;
    int position_;
};

class PrefsModel {
public:
    // Page "General".
    ChoiceGroup Orientation{4};  // horizontal, vertical, grid, packed
    ChoiceGroup gbResize{3};
    std::string ebProportionalResize;
    std::string ebSetWidth;
    std::string ebSetHeight;
    std::string ebHpad;
    std::string ebVpad;
    ChoiceGroup SheetBackground{2};  // 0 white, 1 transparent
    bool cbDedupeImages = false;  // identical images placed once
    bool cbRetina = false;        // a double-size sheet for high-density screens as well
    // Page "JPEG".
    ChoiceGroup JPEG_Progressive{2};
    bool JPEG_Smoothing = false;
    QualitySetting JPEG_Quality{kJpegQualityRange};  // with its box ebJPEGQuality
    // Page "PNG".
    ChoiceGroup PNG_Progressive{2};
    QualitySetting PNG_Quality{kPngLevelRange};  // with its box ebPNGQuality
    bool PNG_Optimize = false;                   // PngOptimizeOf(PNGprefs)
    // Page "GIF": 0 LZW, 1 RLE.
    ChoiceGroup GIF_CompressionType{2};
    // Page "BMP": entries in the order of kBmpPixelCodes; "16 bit"
    // until the first showing sets it.
    ChoiceGroup BMP_PixelFormat;
    // Page "Web": the optional outputs for web pages.
    bool cbBaseRule = false;
    bool cbScssData = false;
    bool cbLessData = false;
    bool cbJsonData = false;
    bool cbHtmlPreview = false;

    PrefsModel();

    // The dialog becomes visible: every control takes its value from the
    // settings and the records. A BMP code without an entry leaves the
    // pixel-format selection as it was.
    void CopyIn(const OrvaneRegistry& settings, const FormatPrefsSet& records);

    // The dialog is hidden: the controls go back into the records and the
    // settings, in a fixed order, without range checks. A text box that
    // does not hold a whole number throws Error naming its text; the values
    // before it are then committed and the later ones keep their old values.
    // cbDedupeImages and cbRetina, which cannot fail, go first so they are never lost.
    void Commit(OrvaneRegistry& settings, FormatPrefsSet& records) const;

    bool JPEG_SmoothingEnabled() const { return JPEG_Progressive.Selection() == 1; }
    bool gbResizeProportionallyVisible() const { return gbResize.Selection() == 1; }
    bool gbResizeExactlyVisible() const { return gbResize.Selection() == 2; }
};

}  // namespace tessolo
