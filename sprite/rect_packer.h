// Places rectangles of mixed sizes on one sheet without overlaps, keeping
// the paddings between neighbours and none at the sheet's outer edges, on a
// sheet as small as the packer can find. The same input always gives the
// same placement.
#pragma once

#include "sprite/sheet_limit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessolo {

struct PackItem {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::string Name;  // orders items of equal size
};

struct PackPosition {
    std::int32_t X = 0;
    std::int32_t Y = 0;

    friend bool operator==(const PackPosition&, const PackPosition&) = default;
};

struct PackedSheet {
    std::vector<PackPosition> Positions;  // one per item, in the items' order
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// Packs `items` with `horizontalPadding` pixels between side-by-side
// neighbours and `verticalPadding` between stacked ones; a negative padding
// counts as 0. Items are placed tallest first, then widest, then by name,
// equal ones in list order. Items without area take no room and sit at
// (0, 0). Under `limit`, a sheet within it is preferred to any smaller one
// that is not. Throws Error when the sheet would leave the 32-bit range.
PackedSheet PackRectangles(const std::vector<PackItem>& items, std::int32_t horizontalPadding,
                           std::int32_t verticalPadding, const SheetLimit& limit = {});

}  // namespace tessolo
