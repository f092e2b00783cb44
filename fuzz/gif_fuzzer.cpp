// Feeds arbitrary bytes to the build's GIF source reader, with the build's
// own checks and limits: the true-colour screen, the frames' pixel budget
// and the transparent first frame.
#include "codecs/gif/gif_codec.h"
#include "platform/error.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        tessolo::DecodeSource(tessolo::kGifSource, {data, size});
    } catch (const tessolo::Error&) {
        // Refusing damaged input with a codec error is the expected outcome.
    }
    return 0;
}
