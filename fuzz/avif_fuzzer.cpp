// Feeds arbitrary bytes to the build's AVIF source reader, with the build's
// own checks and limits. Small pictures that decode are also written as a
// sheet, which must read back.
#include "codecs/avif/avif_codec.h"
#include "write_back.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessolo;
    return DecodeAndWriteBack(kAvifSource, {data, size}, std::size_t(1) << 14,
                              [](const Bitmap& picture) { return EncodeAvifSheet(picture, {}); });
}
