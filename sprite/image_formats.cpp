#include "sprite/image_formats.h"

#include <algorithm>
#include <cctype>

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
Bytes EncodeGif(const Bitmap& sheet, const SheetEncoding& options)
{
    return EncodeGifSheet(sheet, options.gif);
}
Bytes EncodeBmpSheet(const Bitmap& sheet, const SheetEncoding& options)
{
    return EncodeBmp(sheet, options.bmp.pixelFormat);
}

// One row per source extension; every output type has at least one.
constexpr ImageFormat kFormats[] = {
    {".jpg", kOutputJpeg, LoadJpegSource, EncodeJpeg},
    {".jpeg", kOutputJpeg, LoadJpegSource, EncodeJpeg},
    {".bmp", kOutputBmp, LoadBmpFile, EncodeBmpSheet},
    {".png", kOutputPng, LoadPngSource, EncodePng},
    {".gif", kOutputGif, LoadGifSource, EncodeGif},
};

constexpr bool EveryOutputTypeHasAFormat()
{
    for (const OutputTypeInfo& type : kOutputTypes)
        if (std::ranges::none_of(kFormats, [&](const ImageFormat& f) { return f.type == type.type; }))
            return false;
    return true;
}
static_assert(EveryOutputTypeHasAFormat());

}  // namespace

const ImageFormat* FormatForExtension(std::string_view extension)
{
    for (const ImageFormat& format : kFormats) {
        std::string_view known = format.extension;
        if (known.size() != extension.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < known.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(extension[i])) == known[i];
        if (same)
            return &format;
    }
    return nullptr;
}

const ImageFormat& FormatForOutput(OutputType type)
{
    return *std::ranges::find_if(kFormats, [type](const ImageFormat& f) { return f.type == type; });
}

}  // namespace tessolo
