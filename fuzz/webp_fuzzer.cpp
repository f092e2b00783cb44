// Feeds arbitrary bytes to the build's WebP source reader, with the build's
// own checks and limits. Small pictures that decode are also written as a
// lossless sheet, which must read back.
#include "codecs/webp/webp_codec.h"
#include "write_back.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessolo;
    return DecodeAndWriteBack(kWebpSource, {data, size}, std::size_t(1) << 16,
                              [](const Bitmap& picture) { return EncodeWebpSheet(picture, {}); });
}
