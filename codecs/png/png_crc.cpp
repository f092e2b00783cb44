#include "codecs/png/png_crc.h"

#include "platform/byte_io.h"

#include <array>

namespace tessolo {

namespace {

// Four tables let the loop consume a 32-bit word per step instead of a byte;
// table 0 is the classic byte-wise table.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 4>;

CrcTables BuildTables()
{
    CrcTables t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][n] = c;
    }
    for (std::uint32_t n = 0; n < 256; ++n)
        for (int k = 1; k < 4; ++k)
            t[k][n] = t[0][t[k - 1][n] & 0xFF] ^ (t[k - 1][n] >> 8);
    return t;
}

}  // namespace

std::uint32_t UpdateCrc(std::uint32_t crc, const std::uint8_t* data, std::size_t size)
{
    static const CrcTables t = BuildTables();
    while (size >= 4) {
        crc ^= ReadLe32(data);
        crc = t[3][crc & 0xFF] ^ t[2][(crc >> 8) & 0xFF] ^ t[1][(crc >> 16) & 0xFF] ^ t[0][crc >> 24];
        data += 4;
        size -= 4;
    }
    while (size-- > 0)
        crc = t[0][(crc ^ *data++) & 0xFF] ^ (crc >> 8);
    return crc;
}

}  // namespace tessolo
