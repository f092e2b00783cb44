// Feeds arbitrary bytes to the build's PNG source reader, with the build's
// own checks and limits. Small pictures that decode are also written as a
// sheet, which must read back.
#include "codecs/png/png_codec.h"
#include "platform/error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessolo;
    Bitmap picture;
    try {
        picture = DecodeSource(kPngSource, {data, size});
    } catch (const Error&) {
        return 0;  // refusing damaged input with a codec error is the expected outcome
    }
    // Keep the per-input work small: large pictures only exercise the reader.
    if (std::size_t(picture.Width()) * std::size_t(picture.Height()) > (std::size_t(1) << 20))
        return 0;
    try {
        DecodeSource(kPngSource, EncodePngSheet(picture, PngSheetOptions{}));
    } catch (const Error&) {
        std::abort();  // a sheet the build writes must always read back
    }
    return 0;
}
