// Assembles BMP files field by field, so tests can make the variants our
// writer never produces and damage them on purpose.
#pragma once

#include "platform/bitmap.h"
#include "platform/byte_io.h"

#include <vector>

namespace tessolo::test {

struct BmpFields {
    std::uint32_t headerSize = 40;  // 12 makes a core header
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t planes = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> masks{};  // inside headers of 52 bytes and more, else after the header
    std::vector<ColorRef> table{};     // 3 bytes an entry after a core header, else 4
    Bytes pixels{};
};

inline Bytes BuildBmp(const BmpFields& f)
{
    const bool core = f.headerSize == 12;
    const bool masksInHeader = f.headerSize >= 52;
    const std::size_t offset = 14 + f.headerSize + (masksInHeader ? 0 : 4 * f.masks.size()) +
                               (core ? 3 : 4) * f.table.size();
    Bytes out{'B', 'M'};
    AppendLe32(out, std::uint32_t(offset + f.pixels.size()));
    AppendLe32(out, 0);
    AppendLe32(out, std::uint32_t(offset));
    AppendLe32(out, f.headerSize);
    if (core) {
        AppendLe16(out, std::uint32_t(f.width));
        AppendLe16(out, std::uint32_t(f.height));
        AppendLe16(out, f.planes);
        AppendLe16(out, f.bits);
    } else {
        for (std::uint32_t v : {std::uint32_t(f.width), std::uint32_t(f.height)})
            AppendLe32(out, v);
        AppendLe16(out, f.planes);
        AppendLe16(out, f.bits);
        for (std::uint32_t v : {f.compression, std::uint32_t(f.pixels.size()), 0u, 0u, f.colorsUsed, 0u})
            AppendLe32(out, v);
        if (masksInHeader)
            for (std::uint32_t m : f.masks)
                AppendLe32(out, m);
    }
    out.resize(14 + f.headerSize, 0);
    if (!masksInHeader)
        for (std::uint32_t m : f.masks)
            AppendLe32(out, m);
    for (ColorRef c : f.table) {
        out.insert(out.end(), {BlueOf(c), GreenOf(c), RedOf(c)});
        if (!core)
            out.push_back(0);
    }
    out.insert(out.end(), f.pixels.begin(), f.pixels.end());
    return out;
}

}  // namespace tessolo::test
