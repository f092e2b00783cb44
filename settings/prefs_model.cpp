#include "settings/prefs_model.h"

#include "codecs/bmp/bmp_codec.h"
#include "platform/error.h"
#include "settings/data_formats.h"
#include "settings/integer_text.h"

#include <algorithm>

namespace tessolo {

namespace {

constexpr int kSixteenBitEntry = 2;

// A text box's value; the error names the text as the user typed it.
std::int32_t IntegerFromBox(const std::string& text)
{
    std::optional<std::int32_t> value = ParseInt32(text);
    if (!value)
        throw Error("'" + text + "' is not a valid integer value");
    return *value;
}

}  // namespace

ChoiceGroup::ChoiceGroup(int count, int selection) : count_(count), selection_(-1)
{
    SetSelection(selection);
}

void ChoiceGroup::SetSelection(int value)
{
    selection_ = std::clamp(value, -1, count_ - 1);
}

void QualitySetting::Load(int value)
{
    position_ = std::clamp(value, range_.min, range_.max);
    text = std::to_string(position_);
}

void QualitySetting::MoveSlider(int value)
{
    const int limited = std::clamp(value, range_.min, range_.max);
    if (limited == position_)
        return;
    position_ = limited;
    text = std::to_string(position_);
}

void QualitySetting::Enter()
{
    MoveSlider(IntegerFromBox(text));
}

PrefsModel::PrefsModel() : BMP_PixelFormat(int(kBmpPixelCodes.size()), kSixteenBitEntry) {}

void PrefsModel::CopyIn(const OrvaneRegistry& settings, const FormatPrefsSet& records)
{
    JPEG_Progressive.SetSelection(records.JPGprefs.Progressive);
    JPEG_Smoothing = records.JPGprefs.Smoothing != 0;
    JPEG_Quality.Load(records.JPGprefs.Quality);
    PNG_Progressive.SetSelection(records.PNGprefs.Progressive);
    PNG_Quality.Load(records.PNGprefs.Quality);
    PNG_Optimize = PngOptimizeOf(records.PNGprefs);
    GIF_CompressionType.SetSelection(records.GIFprefs.Quality);
    Orientation.SetSelection(settings.Orientation);
    gbResize.SetSelection(settings.ResizeMethod);
    ebProportionalResize = std::to_string(settings.ResizePercentage);
    ebSetWidth = std::to_string(settings.ResizeWidth);
    ebSetHeight = std::to_string(settings.ResizeHeight);
    ebHpad = std::to_string(settings.HorizontalPadding);
    ebVpad = std::to_string(settings.VerticalPadding);
    SheetBackground.SetSelection(settings.SheetBackground);
    cbDedupeImages = settings.DedupeImages != 0;
    cbRetina = settings.Retina != 0;
    for (std::size_t entry = 0; entry < kBmpPixelCodes.size(); ++entry)
        if (kBmpPixelCodes[entry].code == records.BMPprefs.PixelFormat)
            BMP_PixelFormat.SetSelection(int(entry));
    cbBaseRule = settings.BaseRule != 0;
    cbScssData = (settings.DataFormats & kDataScss) != 0;
    cbLessData = (settings.DataFormats & kDataLess) != 0;
    cbJsonData = (settings.DataFormats & kDataJson) != 0;
    cbHtmlPreview = settings.HtmlPreview != 0;
}

void PrefsModel::Commit(OrvaneRegistry& settings, FormatPrefsSet& records) const
{
    settings.DedupeImages = cbDedupeImages ? 1 : 0;
    settings.Retina = cbRetina ? 1 : 0;
    records.JPGprefs.Progressive = JPEG_Progressive.Selection();
    records.JPGprefs.Smoothing = JPEG_Smoothing ? 1 : 0;
    records.JPGprefs.Quality = IntegerFromBox(JPEG_Quality.text);
    records.PNGprefs.Progressive = PNG_Progressive.Selection();
    records.PNGprefs.Quality = IntegerFromBox(PNG_Quality.text);
    records.PNGprefs.Smoothing = PNG_Optimize ? 1 : 0;
    records.GIFprefs.Quality = GIF_CompressionType.Selection();
    settings.Orientation = Orientation.Selection();
    settings.ResizeMethod = gbResize.Selection();
    settings.ResizePercentage = IntegerFromBox(ebProportionalResize);
    settings.ResizeWidth = IntegerFromBox(ebSetWidth);
    settings.ResizeHeight = IntegerFromBox(ebSetHeight);
    settings.HorizontalPadding = IntegerFromBox(ebHpad);
    settings.VerticalPadding = IntegerFromBox(ebVpad);
    settings.SheetBackground = SheetBackground.Selection();
    if (BMP_PixelFormat.Selection() >= 0)
        records.BMPprefs.PixelFormat = kBmpPixelCodes[BMP_PixelFormat.Selection()].code;
    settings.BaseRule = cbBaseRule ? 1 : 0;
    settings.DataFormats = (cbScssData ? kDataScss : 0) | (cbLessData ? kDataLess : 0) |
                           (cbJsonData ? kDataJson : 0);
    settings.HtmlPreview = cbHtmlPreview ? 1 : 0;
}

}  // namespace tessolo
