// Feeds arbitrary bytes to the build's SVG source reader, with the build's
// own checks and limits. The build writes no SVG sheets, so nothing is
// written back.
#include "codecs/svg/svg_codec.h"

#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        tessolo::DecodeSource(tessolo::kSvgSource, {data, size});
    } catch (const tessolo::Error&) {
        // refusing damaged input is the expected outcome
    }
    return 0;
}
