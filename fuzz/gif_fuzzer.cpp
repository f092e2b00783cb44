// Feeds arbitrary bytes to the build's GIF source reader, with the build's
// own checks and limits: the true-colour screen, the frames' pixel budget
// and the transparent first frame. Small pictures that decode are also
// written as a sheet, which must read back.
#include "codecs/gif/gif_codec.h"
#include "write_back.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessolo;
    return DecodeAndWriteBack(kGifSource, {data, size}, std::size_t(256) << 10,
                              [](const Bitmap& picture) { return EncodeGifSheet(picture, GifSheetOptions{}); });
}
