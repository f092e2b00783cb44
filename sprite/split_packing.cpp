#include "sprite/split_packing.h"

namespace tessolo {

SplitPacking PackWithin(const std::vector<PackItem>& items, std::int32_t horizontalPadding,
                        std::int32_t verticalPadding, const SheetLimit& limit)
{
    SplitPacking result;
    std::size_t start = 0;
    auto pack = [&](std::size_t count) {
        const auto first = items.begin() + std::ptrdiff_t(start);
        return PackRectangles({first, first + std::ptrdiff_t(count)}, horizontalPadding,
                              verticalPadding, limit);
    };
    do {
        std::size_t count = items.size() - start;
        PackedSheet packed = pack(count);
        if (!limit.Holds(packed.Width, packed.Height)) {
            // A longer run packs no smaller, so the longest run that fits is
            // searched by halving: `fits` packs within, `fails` does not.
            std::size_t fits = 1, fails = count;
            packed = pack(fits);
            while (fails - fits > 1) {
                const std::size_t middle = fits + (fails - fits) / 2;
                PackedSheet tried = pack(middle);
                if (limit.Holds(tried.Width, tried.Height)) {
                    fits = middle;
                    packed = std::move(tried);
                } else {
                    fails = middle;
                }
            }
            count = fits;
        }
        for (std::size_t i = 0; i < count; ++i)
            result.places.push_back({result.sheets.size(), packed.Positions[i]});
        result.sheets.push_back({packed.Width, packed.Height});
        start += count;
    } while (start < items.size());
    return result;
}

}  // namespace tessolo
