// Feeds arbitrary bytes to the JPEG decoder, and re-encodes what decodes.
// Only pictures of a few megapixels are decoded so each run stays fast; the
// guard against huge claimed sizes has tests of its own.
#include "codecs/jpeg/jpeg_image.h"
#include "platform/error.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::int64_t kMaxDecodedPixels = 4 << 20;
    constexpr std::int64_t kMaxEncodedPixels = 256 << 10;
    try {
        tessolo::TJPEGImage image;
        image.LoadFromBytes(tessolo::Bytes(data, data + size));
        std::int64_t pixels = std::int64_t(image.Width()) * image.Height();
        if (pixels > kMaxDecodedPixels)
            return 0;
        tessolo::Bitmap bitmap = image.Decode();
        if (pixels <= kMaxEncodedPixels)
            image.Compress(bitmap);
    } catch (const tessolo::Error&) {
        // Refusing damaged input is the expected outcome.
    }
    return 0;
}
