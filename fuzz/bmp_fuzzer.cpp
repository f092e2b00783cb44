// Feeds arbitrary bytes to the build's BMP source reader: it must refuse
// what it cannot read with an Error, never crash, hang or read out of bounds.
#include "codecs/bmp/bmp_codec.h"
#include "platform/error.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        tessolo::DecodeSource(tessolo::kBmpSource, {data, size});
    } catch (const tessolo::Error&) {
    }
    return 0;
}
