#include "sprite/image_formats.h"

#include "codecs/gif/gif_source.h"
#include "codecs/jpeg/jpeg_format.h"
#include "codecs/png/png_sheet.h"
#include "platform/bmp.h"
#include "platform/error.h"

#include <cctype>

namespace tessolo {

namespace {

Bytes EncodeBmpSheet(const Bitmap& sheet, const TFormatPrefs& prefs)
{
    return EncodeBmp(sheet, LowByte(prefs.PixelFormat));
}

// One row per file type. A codec plugs in by adding its row. A second name of
// a type follows its first row, which names the sheets of that type.
const ImageFormat kFormats[] = {
    {".jpg", 0, LoadJpegSource, EncodeJpegSheet},
    {".jpeg", 0, LoadJpegSource, EncodeJpegSheet},
    {".bmp", 3, LoadBmpFile, EncodeBmpSheet},
    {".png", 1, LoadPngSource, EncodePngSheet},
    {".gif", 2, LoadGifSource, EncodeGifSheet},
};

const ImageFormat* FindOutput(int outputIndex)
{
    for (const ImageFormat& format : kFormats)
        if (format.outputIndex == outputIndex)
            return &format;
    return nullptr;
}

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

const ImageFormat& FormatForOutput(int outputIndex)
{
    static const char* const kNames[] = {"JPEG", "PNG", "GIF"};
    if (outputIndex >= 0 && outputIndex < 3) {
        if (const ImageFormat* format = FindOutput(outputIndex))
            return *format;
        throw Error(std::string(kNames[outputIndex]) + " output is not available in this build");
    }
    return *FindOutput(3);
}

}  // namespace tessolo
