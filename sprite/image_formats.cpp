#include "sprite/image_formats.h"

#include "codecs/bmp/bmp_codec.h"
#include "codecs/gif/gif_codec.h"
#include "codecs/jpeg/jpeg_codec.h"
#include "codecs/png/png_codec.h"

#include <algorithm>
#include <cctype>

namespace tessolo {

namespace {

Bytes EncodeBmpSheet(const Bitmap& sheet, const TFormatPrefs& prefs)
{
    return EncodeBmp(sheet, LowByte(prefs.PixelFormat));
}

// One row per source extension; every output type has at least one.
constexpr ImageFormat kFormats[] = {
    {".jpg", kOutputJpeg, LoadJpegSource, EncodeJpegSheet},
    {".jpeg", kOutputJpeg, LoadJpegSource, EncodeJpegSheet},
    {".bmp", kOutputBmp, LoadBmpFile, EncodeBmpSheet},
    {".png", kOutputPng, LoadPngSource, EncodePngSheet},
    {".gif", kOutputGif, LoadGifSource, EncodeGifSheet},
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
