#include "codecs/png/png_codec.h"

#include "codecs/png/png_optimize.h"
#include "codecs/png/png_quantize.h"
#include "codecs/png/png_true_color.h"
#include "codecs/png/pngimage.h"

#include <exception>

namespace tessolo {

namespace {

// The bitmap of a loaded picture as a source gives it.
Bitmap SourceBitmap(const TPNGObject& png)
{
    if (png.GetTransparent())
        return png.StraightAlphaBitmap();
    Bitmap picture(png.GetWidth(), png.GetHeight(), PixelFormat::Bits24);
    png.Draw(picture, {0, 0, png.GetWidth(), png.GetHeight()});
    return picture;
}

}  // namespace

Bitmap DecodePngSource(std::span<const std::uint8_t> data)
{
    TPNGObject png;
    png.DrawingOnly = true;
    png.LoadFromStream(data);
    return SourceBitmap(png);
}

void DecodePngSourceRows(std::span<const std::uint8_t> data, const SourceRows& rows)
{
    TPNGObject png;
    png.DrawingOnly = true;
    Bitmap row;
    // A row that cannot be drawn (an index without a palette entry) stops the
    // rows, but the rest of the file is still read: damage further on is what
    // the whole reading reports, so it comes first here too.
    std::exception_ptr undrawable;
    png.RowDecoded = [&](int y) {
        if (undrawable)
            return;
        if (y == 0) {
            rows.start(png.GetWidth(), png.GetHeight());
            const bool transparent = png.GetTransparent();
            row = Bitmap(png.GetWidth(), 1, transparent ? PixelFormat::Bits32 : PixelFormat::Bits24);
            row.HasAlpha = transparent;
        }
        try {
            if (row.HasAlpha)
                png.StraightAlphaRow(y, row.ScanLine(0));
            else
                png.OpaqueRow(y, row.ScanLine(0));
        } catch (const EPngError&) {
            undrawable = std::current_exception();
            return;
        }
        rows.row(y, row);
    };
    png.LoadFromStream(data);
    if (undrawable)
        std::rethrow_exception(undrawable);
    if (png.InterlaceMethod == TInterlaceMethod::imNone)
        return;
    HandRowsOf(SourceBitmap(png), rows);
}

namespace {

void CheckPngSourceHead(std::span<const std::uint8_t> head, std::uint64_t size)
{
    CheckPngHead(head, size, true);
}

}  // namespace

const SourceFormat kPngSource = {"PNG", kMaxPngSourceFileBytes, CheckPngSourceHead,
                                 DecodePngSource};

Bitmap LoadPngSource(const std::string& path) { return LoadSource(kPngSource, path); }

void LoadPngSourceRows(const std::string& path, const SourceRows& rows)
{
    DecodePngSourceRows(ReadSourceFile(kPngSource, path), rows);
}

namespace {

// The file of a sheet in the default encoder's form, made whole.
Bytes EncodeWholePngSheet(const Bitmap& sheet, const PngSheetOptions& options)
{
    if (sheet.Empty())
        return {};
    TPNGObject png;
    png.Assign(sheet);
    png.CompressionLevel = options.level;
    png.InterlaceMethod = options.interlace ? TInterlaceMethod::imAdam7 : TInterlaceMethod::imNone;
    Bytes file;
    png.SaveToStream(file);
    return file;
}

}  // namespace

void WritePngSheet(const Bitmap& sheet, const PngSheetOptions& options, const ByteSink& write)
{
    OptimizedPngOptions optimized{.interlaced = options.interlace, .exhaustive = options.exhaustive};
    if (options.colors != 0) {
        optimized.keepPalette = true;
        WriteOptimizedPng(QuantizedSheet(sheet, options.colors, options.dither), optimized, write);
    } else if (options.optimize) {
        WriteOptimizedPng(sheet, optimized, write);
    } else if (!sheet.Empty() && IsTrueColorSheet(sheet)) {
        WriteTrueColorPng(sheet, options.level, options.interlace, write);
    } else {
        write(EncodeWholePngSheet(sheet, options));
    }
}

Bytes EncodePngSheet(const Bitmap& sheet, const PngSheetOptions& options)
{
    Bytes file;
    WritePngSheet(sheet, options, AppendingTo(file));
    return file;
}

}  // namespace tessolo
