// The packed layout over as many sheets as a size limit needs.
#pragma once

#include "sprite/layout.h"
#include "sprite/rect_packer.h"
#include "sprite/sheet_limit.h"

#include <cstddef>
#include <vector>

namespace tessolo {

struct SheetPlace {
    std::size_t sheet = 0;
    PackPosition at;
};

struct SplitPacking {
    std::vector<SheetSize> sheets;   // at least one
    std::vector<SheetPlace> places;  // one per item, in the items' order
};

// Packs `items` as PackRectangles does, on one sheet when that keeps within
// `limit`; otherwise each sheet takes the longest run of the items left, in
// list order, that packs within the limit. Each item alone must fit it.
SplitPacking PackWithin(const std::vector<PackItem>& items, std::int32_t horizontalPadding,
                        std::int32_t verticalPadding, const SheetLimit& limit);

}  // namespace tessolo
