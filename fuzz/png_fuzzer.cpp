// Feeds arbitrary bytes to the build's PNG source reader, with the build's
// own checks and limits. Small pictures that decode are also written as a
// sheet, which must read back.
#include "codecs/png/png_codec.h"
#include "write_back.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessolo;
    // Keep the per-input work small: large pictures only exercise the reader.
    return DecodeAndWriteBack(kPngSource, {data, size}, std::size_t(1) << 20,
                              [](const Bitmap& picture) { return EncodePngSheet(picture, PngSheetOptions{}); });
}
