// Feeds arbitrary bytes to the build's PNG source reader, with the build's
// own checks and limits. Small pictures that decode are also written as a
// sheet, which must read back, and reading a row at a time must give the
// same rows or fail as the whole reading does.
#include "codecs/png/png_codec.h"
#include "../tests/support/row_reading.h"
#include "write_back.h"

#include <cstring>

namespace {

using namespace tessolo;

std::uint64_t BigEndian32(const std::uint8_t* p)
{
    return std::uint64_t(p[0]) << 24 | std::uint64_t(p[1]) << 16 | std::uint64_t(p[2]) << 8 | p[3];
}

// Whether a palette or transparency chunk follows the image data, against
// the format's order: a row is then drawn before they are read.
bool PaletteAfterImageData(std::span<const std::uint8_t> data)
{
    bool imageData = false;
    for (std::size_t at = 8; at + 8 <= data.size();) {
        const std::uint8_t* head = data.data() + at;
        const std::uint64_t length = BigEndian32(head);
        const bool palette = std::memcmp(head + 4, "PLTE", 4) == 0 || std::memcmp(head + 4, "tRNS", 4) == 0;
        if (imageData && palette)
            return true;
        imageData = imageData || std::memcmp(head + 4, "IDAT", 4) == 0;
        at += 12 + length;
    }
    return false;
}

void CompareRowByRow(std::span<const std::uint8_t> data)
{
    // Large pictures are left to the whole reading: decoding one three times
    // would pass the time limit per input.
    if (data.size() < 24 || PaletteAfterImageData(data))
        return;
    if (BigEndian32(data.data() + 16) * BigEndian32(data.data() + 20) > (std::uint64_t(1) << 20))
        return;
    test::AbortUnlessRowsMatch(kPngSource, data, DecodePngSourceRows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Keep the per-input work small: large pictures only exercise the reader.
    DecodeAndWriteBack(kPngSource, {data, size}, std::size_t(1) << 20,
                       [](const Bitmap& picture) { return EncodePngSheet(picture, PngSheetOptions{}); });
    CompareRowByRow({data, size});
    return 0;
}
