#include "codecs/jpeg/jpeg_format.h"

#include "codecs/jpeg/jpeg_image.h"
#include "platform/error.h"
#include "platform/files.h"

namespace tessolo {

Bitmap LoadJpegSource(const std::string& path)
{
    TJPEGImage image;
    image.LoadFromBytes(ReadFileBytes(path));
    // The build draws every source in 24 bits, greyscale ones included.
    CheckBitmapSize(image.Width(), image.Height(), PixelFormat::Bits24);
    return image.Decode();
}

Bytes EncodeJpegSheet(const Bitmap& sheet, const TFormatPrefs& prefs)
{
    // A long strip of icons easily passes the format's limit; say so plainly
    // rather than with the library's error number.
    constexpr int kMaxJpegSide = 65500;
    if (sheet.Width() > kMaxJpegSide || sheet.Height() > kMaxJpegSide)
        throw SheetTooLargeError(sheet.Width(), sheet.Height(), "JPEG", kMaxJpegSide);
    TJPEGImage image;
    image.Quality = LowByte(prefs.Quality);
    image.Progressive = prefs.Progressive != 0;
    return image.Compress(sheet);
}

}  // namespace tessolo
