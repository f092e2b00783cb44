// Feeds arbitrary bytes to the build's WebP source reader, with the build's
// own checks and limits. Small pictures that decode are also written as a
// lossless sheet, which must read back, and reading a row at a time, in
// small steps, must give the same rows or fail as the whole reading does.
#include "../tests/support/row_reading.h"
#include "codecs/webp/webp_codec.h"
#include "write_back.h"

#include <webp/decode.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessolo;
    const std::span<const std::uint8_t> bytes(data, size);
    DecodeAndWriteBack(kWebpSource, bytes, std::size_t(1) << 16,
                       [](const Bitmap& picture) { return EncodeWebpSheet(picture, {}); });
    // Decoding twice more is only affordable for small pictures.
    int width = 0, height = 0;
    if (!WebPGetInfo(data, size, &width, &height) || std::int64_t(width) * height > (1 << 20))
        return 0;
    test::AbortUnlessRowsMatch(kWebpSource, bytes,
                               [](std::span<const std::uint8_t> file, const SourceRows& rows) {
                                   DecodeWebpSourceRows(file, rows, 1000);
                               });
    return 0;
}
