// Feeds arbitrary bytes to the build's JPEG source reader, with the build's
// own checks and limits. Small pictures that decode are also written as a
// sheet, which must read back, and reading a row at a time must give the
// same rows or fail as the whole reading does.
#include "../tests/support/row_reading.h"
#include "codecs/jpeg/jpeg_codec.h"
#include "codecs/jpeg/jpeg_image.h"
#include "write_back.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessolo;
    // Compression is slow: only small pictures are written again.
    const std::span<const std::uint8_t> bytes(data, size);
    DecodeAndWriteBack(kJpegSource, bytes, std::size_t(256) << 10,
                       [](const Bitmap& picture) { return EncodeJpegSheet(picture, JpegSheetOptions{}); });
    // Decoding twice more is only affordable for small pictures.
    JpegHeader header;
    try {
        header = ReadJpegHeader(bytes);
    } catch (const Error&) {
        return 0;
    }
    if (std::int64_t(header.width) * header.height > (std::int64_t(1) << 20))
        return 0;
    test::AbortUnlessRowsMatch(kJpegSource, bytes, DecodeJpegSourceRows);
    return 0;
}
