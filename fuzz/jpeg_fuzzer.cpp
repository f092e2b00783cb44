// Feeds arbitrary bytes to the build's JPEG source reader, with the build's
// own checks and limits. Small pictures that decode are also written as a
// sheet, which must read back.
#include "codecs/jpeg/jpeg_codec.h"
#include "write_back.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessolo;
    // Compression is slow: only small pictures are written again.
    return DecodeAndWriteBack(kJpegSource, {data, size}, std::size_t(256) << 10,
                              [](const Bitmap& picture) { return EncodeJpegSheet(picture, JpegSheetOptions{}); });
}
