// Feeds arbitrary bytes to the build's BMP source reader: it must refuse
// what it cannot read with an Error, never crash, hang or read out of bounds.
// Reading a row at a time must give the same rows, or fail as the whole
// reading does.
#include "codecs/bmp/bmp_codec.h"
#include "platform/byte_io.h"
#include "platform/error.h"
#include "../tests/support/row_reading.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace tessolo;

// The picture's pixels as the header gives them; 0 when it has none.
std::uint64_t PixelsClaimed(std::span<const std::uint8_t> data)
{
    if (data.size() < 26)
        return 0;
    if (ReadLe32(&data[14]) == 12)
        return std::uint64_t(ReadLe16(&data[18])) * ReadLe16(&data[20]);
    const std::int64_t height = std::int32_t(ReadLe32(&data[22]));
    return std::uint64_t(std::uint32_t(ReadLe32(&data[18]))) * std::uint64_t(height < 0 ? -height : height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    // Large pictures are left to the whole reading: decoding one twice
    // would pass the time limit per input.
    if (PixelsClaimed(bytes) > (std::uint64_t(1) << 20)) {
        try {
            DecodeSource(kBmpSource, bytes);
        } catch (const Error&) {
        }
        return 0;
    }
    test::AbortUnlessRowsMatch(kBmpSource, bytes, DecodeBmpRows);
    return 0;
}
