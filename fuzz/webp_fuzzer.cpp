// Feeds arbitrary bytes to the build's WebP source reader, with the build's
// own checks and limits. The build writes no WebP sheets, so nothing is
// written back.
#include "codecs/webp/webp_codec.h"

#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        tessolo::DecodeSource(tessolo::kWebpSource, {data, size});
    } catch (const tessolo::Error&) {
        // refusing damaged input is the expected outcome
    }
    return 0;
}
