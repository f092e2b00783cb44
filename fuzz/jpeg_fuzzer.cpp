// Feeds arbitrary bytes to the build's JPEG source reader, with the build's
// own checks and limits. Small pictures that decode are also written as a
// sheet, which must read back.
#include "codecs/jpeg/jpeg_codec.h"
#include "platform/error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessolo;
    Bitmap picture;
    try {
        picture = DecodeSource(kJpegSource, {data, size});
    } catch (const Error&) {
        return 0;  // refusing damaged input is the expected outcome
    }
    // Compression is slow: only small pictures are written again.
    if (std::size_t(picture.Width()) * std::size_t(picture.Height()) > (std::size_t(256) << 10))
        return 0;
    Bytes sheet;
    try {
        sheet = EncodeJpegSheet(picture, JpegSheetOptions{});
    } catch (const SheetTooLargeError&) {
        return 0;  // a side the format can read but a sheet may not have
    }
    try {
        DecodeSource(kJpegSource, sheet);
    } catch (const Error&) {
        std::abort();  // a sheet the build writes must always read back
    }
    return 0;
}
