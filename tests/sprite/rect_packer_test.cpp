#include "sprite/rect_packer.h"

#include "platform/error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

namespace tessolo {
namespace {

bool HasArea(const PackItem& item) { return item.Width > 0 && item.Height > 0; }

// Checks what every packing must hold: images with area lie inside the
// sheet, any two of them are apart by at least the paddings (counted from
// 0), the sheet has no margin beyond its outermost images, and images
// without area sit at the origin.
void ExpectSoundPacking(const std::vector<PackItem>& items, int hpad, int vpad,
                        const PackedSheet& sheet)
{
    ASSERT_EQ(sheet.Positions.size(), items.size());
    const std::int64_t h = std::max(hpad, 0), v = std::max(vpad, 0);
    std::int64_t right = 0, bottom = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const PackItem& a = items[i];
        const PackPosition& p = sheet.Positions[i];
        if (!HasArea(a)) {
            EXPECT_EQ(p, (PackPosition{0, 0})) << "item " << i;
            continue;
        }
        EXPECT_GE(p.X, 0) << "item " << i;
        EXPECT_GE(p.Y, 0) << "item " << i;
        EXPECT_LE(std::int64_t(p.X) + a.Width, sheet.Width) << "item " << i;
        EXPECT_LE(std::int64_t(p.Y) + a.Height, sheet.Height) << "item " << i;
        right = std::max(right, std::int64_t(p.X) + a.Width);
        bottom = std::max(bottom, std::int64_t(p.Y) + a.Height);
        for (std::size_t j = 0; j < i; ++j) {
            const PackItem& b = items[j];
            const PackPosition& q = sheet.Positions[j];
            if (!HasArea(b))
                continue;
            bool apartSideways = std::int64_t(p.X) >= std::int64_t(q.X) + b.Width + h ||
                                 std::int64_t(q.X) >= std::int64_t(p.X) + a.Width + h;
            bool apartVertically = std::int64_t(p.Y) >= std::int64_t(q.Y) + b.Height + v ||
                                   std::int64_t(q.Y) >= std::int64_t(p.Y) + a.Height + v;
            EXPECT_TRUE(apartSideways || apartVertically) << "items " << j << " and " << i;
        }
    }
    EXPECT_EQ(sheet.Width, right);
    EXPECT_EQ(sheet.Height, bottom);
}

std::vector<PackItem> RandomItems(std::mt19937& random, int count, int maxSide)
{
    std::uniform_int_distribution<int> side(0, maxSide);
    std::vector<PackItem> items;
    for (int i = 0; i < count; ++i)
        items.push_back({side(random), side(random), "image" + std::to_string(i)});
    return items;
}

TEST(RectPacker, SmallCasesAreTightAndPaddedOnlyBetweenNeighbours)
{
    PackedSheet one = PackRectangles({{12, 34, "a"}}, 7, 9);
    EXPECT_EQ(one.Positions, (std::vector<PackPosition>{{0, 0}}));
    EXPECT_EQ(one.Width, 12);
    EXPECT_EQ(one.Height, 34);

    // Two equal squares side by side or stacked: one padding between them.
    PackedSheet two = PackRectangles({{10, 10, "a"}, {10, 10, "b"}}, 3, 3);
    EXPECT_EQ(std::int64_t(two.Width) * two.Height, 230);

    // A tall image and two that fill the space beside it exactly.
    std::vector<PackItem> items = {{10, 4, "low1"}, {20, 10, "tall"}, {10, 4, "low2"}};
    PackedSheet fitted = PackRectangles(items, 0, 2);
    ExpectSoundPacking(items, 0, 2, fitted);
    EXPECT_EQ(fitted.Width, 30);
    EXPECT_EQ(fitted.Height, 10);
}

TEST(RectPacker, ImagesWithoutAreaTakeNoRoom)
{
    std::vector<PackItem> items = {{0, 50, "thin"}, {8, 8, "a"}, {0, 0, "none"}, {40, 0, "flat"}};
    PackedSheet sheet = PackRectangles(items, 5, 5);
    ExpectSoundPacking(items, 5, 5, sheet);
    EXPECT_EQ(sheet.Width, 8);
    EXPECT_EQ(sheet.Height, 8);

    PackedSheet empty = PackRectangles({{0, 0, "x"}, {0, 9, "y"}}, 5, 5);
    EXPECT_EQ(empty.Width, 0);
    EXPECT_EQ(empty.Height, 0);
    EXPECT_EQ(empty.Positions.size(), 2u);
    EXPECT_EQ(PackRectangles({}, 5, 5).Positions.size(), 0u);
}

TEST(RectPacker, NegativePaddingsCountAsZero)
{
    std::mt19937 random(7);
    std::vector<PackItem> items = RandomItems(random, 30, 40);
    PackedSheet negative = PackRectangles(items, -6, -100);
    PackedSheet zero = PackRectangles(items, 0, 0);
    ExpectSoundPacking(items, 0, 0, negative);
    EXPECT_EQ(negative.Positions, zero.Positions);
    EXPECT_EQ(negative.Width, zero.Width);
    EXPECT_EQ(negative.Height, zero.Height);
}

TEST(RectPacker, PlacementDependsOnSizesAndNamesNotOnListOrder)
{
    std::mt19937 random(11);
    std::vector<PackItem> items = RandomItems(random, 60, 64);
    items.push_back({32, 32, "same-b"});
    items.push_back({32, 32, "same-a"});
    PackedSheet first = PackRectangles(items, 4, 2);
    PackedSheet again = PackRectangles(items, 4, 2);
    EXPECT_EQ(first.Positions, again.Positions);

    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    std::vector<PackItem> shuffled;
    for (std::size_t i : order)
        shuffled.push_back(items[i]);
    PackedSheet reordered = PackRectangles(shuffled, 4, 2);
    EXPECT_EQ(reordered.Width, first.Width);
    EXPECT_EQ(reordered.Height, first.Height);
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (HasArea(items[order[k]])) {
            EXPECT_EQ(reordered.Positions[k], first.Positions[order[k]]) << items[order[k]].Name;
        }
    }

    // Equal sizes go by name: "same-a" is placed before "same-b".
    const PackPosition& a = first.Positions[items.size() - 1];
    const PackPosition& b = first.Positions[items.size() - 2];
    EXPECT_TRUE(a.Y < b.Y || (a.Y == b.Y && a.X < b.X));
}

TEST(RectPacker, RandomMixesPackSoundly)
{
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        int count = std::uniform_int_distribution<int>(1, 40)(random);
        int maxSide = seed % 3 == 0 ? 8 : seed % 3 == 1 ? 100 : 600;
        std::vector<PackItem> items = RandomItems(random, count, maxSide);
        int hpad = std::uniform_int_distribution<int>(-3, 12)(random);
        int vpad = std::uniform_int_distribution<int>(-3, 12)(random);
        SCOPED_TRACE("seed " + std::to_string(seed));
        PackedSheet sheet = PackRectangles(items, hpad, vpad);
        ExpectSoundPacking(items, hpad, vpad, sheet);

        // The sheet never exceeds the smaller of the two strips.
        std::int64_t sumWidth = 0, sumHeight = 0, maxWidth = 0, maxHeight = 0, placed = 0;
        for (const PackItem& item : items) {
            if (!HasArea(item))
                continue;
            sumWidth += item.Width + std::max(hpad, 0);
            sumHeight += item.Height + std::max(vpad, 0);
            maxWidth = std::max<std::int64_t>(maxWidth, item.Width);
            maxHeight = std::max<std::int64_t>(maxHeight, item.Height);
            ++placed;
        }
        if (placed == 0)
            continue;
        std::int64_t row = (sumWidth - std::max(hpad, 0)) * maxHeight;
        std::int64_t column = (sumHeight - std::max(vpad, 0)) * maxWidth;
        EXPECT_LE(std::int64_t(sheet.Width) * sheet.Height, std::min(row, column));
    }
}

TEST(RectPacker, SheetsBeyondTheIntegerRangeAreRefused)
{
    const std::int32_t huge = std::numeric_limits<std::int32_t>::max();
    PackedSheet wide = PackRectangles({{huge, 1, "a"}, {huge, 1, "b"}}, 0, 0);
    EXPECT_EQ(wide.Width, huge);
    EXPECT_EQ(wide.Height, 2);
    EXPECT_THROW(PackRectangles({{huge, huge, "a"}, {huge, huge, "b"}}, 0, 0), Error);
    EXPECT_THROW(PackRectangles({{huge, 1, "a"}, {huge, 1, "b"}}, 5, huge), Error);
}

}  // namespace
}  // namespace tessolo
