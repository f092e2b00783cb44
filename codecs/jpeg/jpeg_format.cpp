#include "codecs/jpeg/jpeg_format.h"

#include "codecs/jpeg/jpeg_image.h"

namespace tessolo {

Bitmap LoadJpegSource(const std::string& path)
{
    TJPEGImage image;
    image.LoadFromBytes(ReadFileBytes(path));
    return image.Decode();
}

Bytes EncodeJpegSheet(const Bitmap& sheet, const TFormatPrefs& prefs)
{
    TJPEGImage image;
    image.Quality = LowByte(prefs.Quality);
    image.Progressive = prefs.Progressive != 0;
    return image.Compress(sheet);
}

}  // namespace tessolo
