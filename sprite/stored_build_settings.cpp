#include "sprite/stored_build_settings.h"

#include "settings/delimited_text.h"

#include <algorithm>

namespace tessolo {

namespace {

SheetEncoding EncodingOf(const FormatPrefsSet& records)
{
    SheetEncoding encoding;
    encoding.jpeg.quality = LowByte(records.JPGprefs.Quality);
    encoding.jpeg.progressive = records.JPGprefs.Progressive != 0;
    encoding.png.level = std::min(LowByte(records.PNGprefs.Quality), 9);
    encoding.png.interlace = LowByte(records.PNGprefs.Progressive) != 0;
    encoding.png.optimize = PngOptimizeOf(records.PNGprefs);
    encoding.png.exhaustive = PngOptimizeMaxOf(records.PNGprefs);
    encoding.gif.compression = LowByte(records.GIFprefs.Quality) == 1 ? gcRLE : gcLZW;
    encoding.bmp.pixelFormat = BmpPixelCode(LowByte(records.BMPprefs.PixelFormat));
    encoding.webp.quality = std::clamp(records.WEBPprefs.Quality, 0, 100);
    encoding.avif.quality = std::clamp(records.AVIFprefs.Quality, 1, 100);
    return encoding;
}

void Convert(const SheetOptions& store, const FormatPrefsSet& records, BuildSettings& settings)
{
    settings.Orientation = Orientation(store.Orientation);
    settings.ResizeMethod = ResizeMode(store.ResizeMethod);
    settings.ResizePercentage = store.ResizePercentage;
    settings.ResizeWidth = store.ResizeWidth;
    settings.ResizeHeight = store.ResizeHeight;
    settings.HorizontalPadding = store.HorizontalPadding;
    settings.VerticalPadding = store.VerticalPadding;
    settings.SheetBackground = SheetBackground(store.SheetBackground);
    settings.DedupeImages = store.DedupeImages != 0;
    settings.Retina = store.Retina != 0;
    settings.BaseRule = store.BaseRule != 0;
    settings.DataFormats = store.DataFormats;
    settings.HtmlPreview = store.HtmlPreview != 0;
    settings.PseudoClasses = store.PseudoClasses != 0;
    settings.Units = StylesheetUnits(store.CssUnits);
    settings.Places = {store.SheetFolder, store.StylesheetFolder, store.SheetUrl,
                       store.CacheBust != 0};
    settings.Templates = SplitDelimitedText(store.Templates);
    settings.Encoding = EncodingOf(records);
    settings.Encoding.png.colors = store.PngColors;
    settings.Encoding.png.dither = store.PngDither != 0;
    settings.MaxSize = {store.MaxSheetWidth, store.MaxSheetHeight};
    settings.AlsoFormats = store.AlsoFormats;
    settings.SvgSize = store.SvgSize;
    settings.Scales = store.Scales;
    settings.Encoding.gifQuantizer = store.GifQuantizer != 0;
}

}  // namespace

BuildSettings::BuildSettings() { Convert(SheetOptions(), FormatPrefsSet(), *this); }

BuildSettings StoredBuildSettings(const SheetOptions& store, const FormatPrefsSet& records)
{
    BuildSettings settings;
    Convert(store, records, settings);
    return settings;
}

SheetOptions StoredSheetOptions(const BuildSettings& settings)
{
    SheetOptions store;
    store.Orientation = settings.Orientation;
    store.ResizeMethod = settings.ResizeMethod;
    store.ResizePercentage = settings.ResizePercentage;
    store.ResizeWidth = settings.ResizeWidth;
    store.ResizeHeight = settings.ResizeHeight;
    store.HorizontalPadding = settings.HorizontalPadding;
    store.VerticalPadding = settings.VerticalPadding;
    store.SheetBackground = settings.SheetBackground;
    store.DedupeImages = settings.DedupeImages;
    store.Retina = settings.Retina;
    store.BaseRule = settings.BaseRule;
    store.DataFormats = settings.DataFormats;
    store.HtmlPreview = settings.HtmlPreview;
    store.PseudoClasses = settings.PseudoClasses;
    store.PngColors = settings.Encoding.png.colors;
    store.PngDither = settings.Encoding.png.dither;
    store.CssUnits = settings.Units;
    store.SheetFolder = settings.Places.sheetFolder;
    store.StylesheetFolder = settings.Places.stylesheetFolder;
    store.SheetUrl = settings.Places.sheetUrl;
    store.CacheBust = settings.Places.cacheBust;
    store.Templates = JoinDelimitedText(settings.Templates);
    store.MaxSheetWidth = settings.MaxSize.width;
    store.MaxSheetHeight = settings.MaxSize.height;
    store.AlsoFormats = settings.AlsoFormats;
    store.SvgSize = settings.SvgSize;
    store.Scales = settings.Scales;
    store.GifQuantizer = settings.Encoding.gifQuantizer;
    return store;
}

FormatPrefsSet StoredRecords(const SheetEncoding& encoding, FormatPrefsSet records)
{
    records.JPGprefs.Quality = encoding.jpeg.quality;
    records.JPGprefs.Progressive = encoding.jpeg.progressive;
    records.PNGprefs.Quality = encoding.png.level;
    records.PNGprefs.Progressive = encoding.png.interlace;
    records.PNGprefs.Smoothing =
        encoding.png.optimize ? (encoding.png.exhaustive ? kPngOptimizeMax : 1) : 0;
    records.GIFprefs.Quality = encoding.gif.compression == gcRLE ? 1 : 0;
    records.BMPprefs.PixelFormat = encoding.bmp.pixelFormat;
    records.WEBPprefs.Quality = encoding.webp.quality;
    records.AVIFprefs.Quality = encoding.avif.quality;
    return records;
}

}  // namespace tessolo
