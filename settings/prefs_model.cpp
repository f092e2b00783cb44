#include "settings/prefs_model.h"

#include "codecs/bmp/bmp_codec.h"
#include "settings/data_formats.h"
#include "settings/integer_text.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace tessolo {

namespace {

// Whether the options ask for sheets beyond the plain one: --retina, or
// --scales with more than 1 (bits 1 << N, N from 2).
bool DenseSheetsAsked(const SheetOptions& settings)
{
    return settings.Scales ? (settings.Scales & ~3) != 0 : settings.Retina != 0;
}

constexpr int kSixteenBitEntry = 2;

}  // namespace

ChoiceGroup::ChoiceGroup(int count, int selection) : count_(count), selection_(-1)
{
    SetSelection(selection);
}

void ChoiceGroup::SetSelection(int value)
{
    selection_ = std::clamp(value, -1, count_ - 1);
}

void NumberSetting::Set(int value)
{
    value_ = std::clamp(value, range_.min, range_.max);
}

namespace {

// The boxes of the other types a sheet is also written as.
std::array<std::pair<bool PrefsModel::*, OutputType>, 4> AlsoBoxes()
{
    return {{{&PrefsModel::cbAlsoPng, kOutputPng},
             {&PrefsModel::cbAlsoWebp, kOutputWebp},
             {&PrefsModel::cbAlsoAvif, kOutputAvif},
             {&PrefsModel::cbAlsoJpeg, kOutputJpeg}}};
}

}  // namespace

PrefsModel::PrefsModel() : BMP_PixelFormat(int(kBmpPixelCodes.size()), kSixteenBitEntry) {}

namespace {

std::string MaxSheetSizeText(std::int32_t width, std::int32_t height)
{
    if (width == 0 && height == 0)
        return "";
    return std::to_string(width) + "x" + std::to_string(height);
}

// The sides of "WIDTHxHEIGHT", each within its stored range; 0 and 0 for
// any other text.
void ReadMaxSheetSize(const std::string& text, std::int32_t& width, std::int32_t& height)
{
    width = height = 0;
    const std::size_t x = text.find('x');
    if (x == std::string::npos)
        return;
    const std::optional<std::int32_t> w = ParseInt32(std::string_view(text).substr(0, x));
    const std::optional<std::int32_t> h = ParseInt32(std::string_view(text).substr(x + 1));
    if (w && h && StoredValueOf(&SheetOptions::MaxSheetWidth).range.Holds(*w) &&
        StoredValueOf(&SheetOptions::MaxSheetHeight).range.Holds(*h)) {
        width = *w;
        height = *h;
    }
}

}  // namespace

void PrefsModel::CopyIn(const OrvaneRegistry& settings, const FormatPrefsSet& records)
{
    JPEG_Progressive.SetSelection(records.JPGprefs.Progressive);
    JPEG_Smoothing = records.JPGprefs.Smoothing != 0;
    JPEG_Quality.Set(records.JPGprefs.Quality);
    PNG_Progressive.SetSelection(records.PNGprefs.Progressive);
    PNG_Quality.Set(records.PNGprefs.Quality);
    PNG_Optimize = PngOptimizeOf(records.PNGprefs);
    GIF_CompressionType.SetSelection(records.GIFprefs.Quality);
    cbGifQuantizer = settings.GifQuantizer != 0;
    ebWebpQuality.Set(records.WEBPprefs.Quality);
    ebAvifQuality.Set(records.AVIFprefs.Quality);
    for (auto [box, type] : AlsoBoxes())
        this->*box = (settings.AlsoFormats & (1 << type)) != 0;
    Orientation.SetSelection(settings.Orientation);
    gbResize.SetSelection(settings.ResizeMethod);
    ebProportionalResize.Set(settings.ResizePercentage);
    ebSetWidth.Set(settings.ResizeWidth);
    ebSetHeight.Set(settings.ResizeHeight);
    ebHpad.Set(settings.HorizontalPadding);
    ebVpad.Set(settings.VerticalPadding);
    SheetBackground.SetSelection(settings.SheetBackground);
    cbDedupeImages = settings.DedupeImages != 0;
    cbRetina = DenseSheetsAsked(settings);
    edMaxSheetSize = MaxSheetSizeText(settings.MaxSheetWidth, settings.MaxSheetHeight);
    for (std::size_t entry = 0; entry < kBmpPixelCodes.size(); ++entry)
        if (kBmpPixelCodes[entry].code == records.BMPprefs.PixelFormat)
            BMP_PixelFormat.SetSelection(int(entry));
    ebPngColors.Set(settings.PngColors);
    cbPngDither = settings.PngDither != 0;
    cbBaseRule = settings.BaseRule != 0;
    cbPseudoClasses = settings.PseudoClasses != 0;
    cbPercentUnits = settings.CssUnits == 1;
    cbScssData = (settings.DataFormats & kDataScss) != 0;
    cbLessData = (settings.DataFormats & kDataLess) != 0;
    cbJsonData = (settings.DataFormats & kDataJson) != 0;
    cbHtmlPreview = settings.HtmlPreview != 0;
    edSheetFolder = settings.SheetFolder;
    edStylesheetFolder = settings.StylesheetFolder;
    edSheetUrl = settings.SheetUrl;
    edTemplates = settings.Templates;
    cbCacheBust = settings.CacheBust != 0;
}

void PrefsModel::Commit(OrvaneRegistry& settings, FormatPrefsSet& records) const
{
    records.JPGprefs.Progressive = JPEG_Progressive.Selection();
    records.JPGprefs.Smoothing = JPEG_Smoothing ? 1 : 0;
    records.JPGprefs.Quality = JPEG_Quality.Value();
    records.PNGprefs.Progressive = PNG_Progressive.Selection();
    records.PNGprefs.Quality = PNG_Quality.Value();
    // The dialog has no control for max (--png-optimize=max): a stored max
    // stays while the box is ticked.
    records.PNGprefs.Smoothing =
        PNG_Optimize ? (PngOptimizeMaxOf(records.PNGprefs) ? kPngOptimizeMax : 1) : 0;
    records.GIFprefs.Quality = GIF_CompressionType.Selection();
    settings.GifQuantizer = cbGifQuantizer ? 1 : 0;
    records.WEBPprefs.Quality = ebWebpQuality.Value();
    records.AVIFprefs.Quality = ebAvifQuality.Value();
    settings.AlsoFormats = 0;
    for (auto [box, type] : AlsoBoxes())
        settings.AlsoFormats |= this->*box ? 1 << type : 0;
    settings.Orientation = Orientation.Selection();
    settings.ResizeMethod = gbResize.Selection();
    settings.ResizePercentage = ebProportionalResize.Value();
    settings.ResizeWidth = ebSetWidth.Value();
    settings.ResizeHeight = ebSetHeight.Value();
    settings.HorizontalPadding = ebHpad.Value();
    settings.VerticalPadding = ebVpad.Value();
    settings.SheetBackground = SheetBackground.Selection();
    settings.DedupeImages = cbDedupeImages ? 1 : 0;
    // The box shows whether dense sheets are asked for; turned on it asks
    // for the scales 1 and 2, turned off for none, replacing other scales.
    if (cbRetina != DenseSheetsAsked(settings))
        settings.Scales = 0;
    settings.Retina = cbRetina ? 1 : 0;
    ReadMaxSheetSize(edMaxSheetSize, settings.MaxSheetWidth, settings.MaxSheetHeight);
    if (BMP_PixelFormat.Selection() >= 0)
        records.BMPprefs.PixelFormat = kBmpPixelCodes[BMP_PixelFormat.Selection()].code;
    settings.PngColors = ebPngColors.Value();
    settings.PngDither = cbPngDither ? 1 : 0;
    settings.BaseRule = cbBaseRule ? 1 : 0;
    settings.PseudoClasses = cbPseudoClasses ? 1 : 0;
    settings.CssUnits = cbPercentUnits ? 1 : 0;
    settings.DataFormats = (cbScssData ? kDataScss : 0) | (cbLessData ? kDataLess : 0) |
                           (cbJsonData ? kDataJson : 0);
    settings.HtmlPreview = cbHtmlPreview ? 1 : 0;
    settings.SheetFolder = edSheetFolder;
    settings.StylesheetFolder = edStylesheetFolder;
    settings.SheetUrl = edSheetUrl;
    settings.Templates = edTemplates;
    settings.CacheBust = cbCacheBust ? 1 : 0;
}

}  // namespace tessolo
