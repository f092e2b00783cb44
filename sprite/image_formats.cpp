#include "sprite/image_formats.h"

#include "codecs/svg/svg_codec.h"
#include "sprite/gif_palette.h"

#include <algorithm>
#include <iterator>

namespace tessolo {

namespace {

Bytes EncodeJpeg(const Bitmap& sheet, const SheetEncoding& options)
{
    return EncodeJpegSheet(sheet, options.jpeg);
}
Bytes EncodePng(const Bitmap& sheet, const SheetEncoding& options)
{
    return EncodePngSheet(sheet, options.png);
}
void WritePng(const Bitmap& sheet, const SheetEncoding& options, const ByteSink& write)
{
    WritePngSheet(sheet, options.png, write);
}
Bytes EncodeGif(const Bitmap& sheet, const SheetEncoding& options)
{
    if (options.gifQuantizer && !sheet.Empty())
        return EncodeGifSheet(QuantizedGifSheet(sheet), options.gif);
    return EncodeGifSheet(sheet, options.gif);
}
void WriteGif(const Bitmap& sheet, const SheetEncoding& options, const ByteSink& write)
{
    if (options.gifQuantizer && !sheet.Empty())
        return WriteGifSheet(QuantizedGifSheet(sheet), options.gif, write);
    WriteGifSheet(sheet, options.gif, write);
}
Bytes EncodeBmpSheet(const Bitmap& sheet, const SheetEncoding& options)
{
    return EncodeBmp(sheet, options.bmp.pixelFormat);
}
void WriteBmpSheet(const Bitmap& sheet, const SheetEncoding& options, const ByteSink& write)
{
    WriteBmp(sheet, options.bmp.pixelFormat, write);
}
Bytes EncodeWebp(const Bitmap& sheet, const SheetEncoding& options)
{
    return EncodeWebpSheet(sheet, options.webp);
}
Bytes EncodeAvif(const Bitmap& sheet, const SheetEncoding& options)
{
    return EncodeAvifSheet(sheet, options.avif);
}

// One row per source extension.
constexpr SourceCodec kSourceCodecs[] = {
    {".jpg", LoadJpegSource, nullptr, LoadJpegSourceRows},
    {".jpeg", LoadJpegSource, nullptr, LoadJpegSourceRows},
    {".bmp", LoadBmpFile, nullptr, LoadBmpSourceRows},
    {".png", LoadPngSource, nullptr, LoadPngSourceRows},
    {".gif", LoadGifSource},
    {".webp", LoadWebpSource, nullptr, LoadWebpSourceRows, WebpSourceReadsRows},
    {".svg", LoadSvgSource, LoadSvgSourceAt},
    {".avif", LoadAvifSource},
};

// One row per output type.
constexpr SheetCodec kSheetCodecs[] = {
    {kOutputJpeg, EncodeJpeg},
    {kOutputBmp, EncodeBmpSheet, WriteBmpSheet},
    {kOutputPng, EncodePng, WritePng},
    {kOutputGif, EncodeGif, WriteGif},
    {kOutputWebp, EncodeWebp},
    {kOutputAvif, EncodeAvif},
};

constexpr bool SameExtension(std::string_view known, std::string_view extension)
{
    if (known.size() != extension.size())
        return false;
    for (std::size_t i = 0; i < known.size(); ++i) {
        const char c = extension[i];
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != known[i])
            return false;
    }
    return true;
}

// Every output type is written by a sheet codec, and its sheets are read
// back as sources.
constexpr bool EveryOutputTypeHasItsCodecs()
{
    for (const OutputTypeInfo& type : kOutputTypes) {
        if (std::ranges::none_of(kSheetCodecs, [&](const SheetCodec& c) { return c.type == type.type; }))
            return false;
        if (std::ranges::none_of(kSourceCodecs,
                                 [&](const SourceCodec& c) { return SameExtension(c.extension, type.extension); }))
            return false;
    }
    return true;
}
static_assert(EveryOutputTypeHasItsCodecs());

}  // namespace

const SourceCodec* FormatForExtension(std::string_view extension)
{
    const auto* found = std::ranges::find_if(
        kSourceCodecs, [&](const SourceCodec& c) { return SameExtension(c.extension, extension); });
    return found == std::end(kSourceCodecs) ? nullptr : found;
}

void WriteSheetFile(const SheetCodec& codec, const Bitmap& sheet, const SheetEncoding& options,
                    const ByteSink& write)
{
    if (codec.writeSheet)
        codec.writeSheet(sheet, options, write);
    else
        write(codec.encodeSheet(sheet, options));
}

const SheetCodec& FormatForOutput(OutputType type)
{
    return *std::ranges::find_if(kSheetCodecs, [type](const SheetCodec& c) { return c.type == type; });
}

}  // namespace tessolo
