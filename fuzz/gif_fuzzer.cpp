// Feeds arbitrary bytes to the GIF reader and renders what loads, as the
// build does with a source file.
#include "codecs/gif/GIFImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tessolo::TGIFImage image;
    // Large rasters only repeat the same code over more memory; a smaller
    // budget keeps each run fast. The 1 GiB limit itself is unit-tested.
    image.MaxPixelBytes = std::size_t(4) << 20;
    tessolo::GIFInputStream stream({data, size});
    try {
        image.LoadFromStream(stream);
        if (std::int64_t(image.Width()) * image.Height() <= (std::int64_t(1) << 22))
            image.GetBitmap();
    } catch (const tessolo::Error&) {
        // Refusing damaged input with a codec error is the expected outcome.
    }
    return 0;
}
