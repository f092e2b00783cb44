#include "sprite/layout.h"

#include "platform/error.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace tessolo {
namespace {

struct Size {
    int w, h;
};

struct Laid {
    std::vector<std::pair<int, int>> offsets;
    int sheetWidth, sheetHeight;
};

// Runs the layout over images of the given sizes the way the build does.
Laid Lay(int orientation, int hp, int vp, const std::vector<Size>& sizes)
{
    Bitmap sheet;
    SheetLayout layout;
    layout.Reset(orientation, hp, vp, sizes.size());
    Laid laid;
    for (Size s : sizes) {
        layout.Place(sheet, s.w, s.h);
        laid.offsets.emplace_back(layout.CursorX, layout.CursorY);
        layout.Advance(sheet, s.w, s.h);
    }
    laid.sheetWidth = sheet.Width();
    laid.sheetHeight = sheet.Height();
    return laid;
}

using Offsets = std::vector<std::pair<int, int>>;

TEST(Layout, WorkedExamples)
{
    Laid h = Lay(kHorizontal, 5, 5, {{10, 20}, {30, 5}, {15, 15}});
    EXPECT_EQ(h.offsets, (Offsets{{0, 0}, {15, 0}, {50, 0}}));
    EXPECT_EQ(h.sheetWidth, 65);
    EXPECT_EQ(h.sheetHeight, 20);

    Laid v = Lay(kVertical, 5, 5, {{10, 20}, {30, 5}, {15, 15}});
    EXPECT_EQ(v.offsets, (Offsets{{0, 0}, {0, 25}, {0, 35}}));
    EXPECT_EQ(v.sheetWidth, 30);
    EXPECT_EQ(v.sheetHeight, 50);

    Laid g = Lay(kGrid, 5, 5, std::vector<Size>(5, {10, 10}));
    EXPECT_EQ(g.offsets, (Offsets{{0, 0}, {15, 0}, {0, 15}, {15, 15}, {0, 30}}));
    EXPECT_EQ(g.sheetWidth, 25);
    EXPECT_EQ(g.sheetHeight, 40);

    Laid mixed = Lay(kGrid, 2, 2, {{10, 10}, {20, 30}, {40, 5}, {5, 5}});
    EXPECT_EQ(mixed.offsets, (Offsets{{0, 0}, {12, 0}, {0, 32}, {42, 32}}));
    EXPECT_EQ(mixed.sheetWidth, 47);
    EXPECT_EQ(mixed.sheetHeight, 37);
}

TEST(Layout, SingleImageTakesNoPadding)
{
    for (int orientation : {kHorizontal, kVertical, kGrid}) {
        Laid one = Lay(orientation, 7, 9, {{12, 34}});
        EXPECT_EQ(one.offsets, (Offsets{{0, 0}}));
        EXPECT_EQ(one.sheetWidth, 12);
        EXPECT_EQ(one.sheetHeight, 34);
    }
}

TEST(Layout, GridColumnCountIsTruncatedSquareRoot)
{
    const std::pair<std::size_t, int> expected[] = {
        {1, 1}, {3, 1}, {4, 2}, {8, 2}, {9, 3}, {15, 3}, {16, 4}, {24, 4}, {25, 5}};
    for (auto [count, columns] : expected) {
        SheetLayout layout;
        layout.Reset(kGrid, 5, 5, count);
        EXPECT_EQ(layout.ColumnCount, columns) << count << " entries";
    }
    // Three images make one column, laid out like the vertical strip.
    std::vector<Size> three = {{10, 20}, {30, 5}, {15, 15}};
    EXPECT_EQ(Lay(kGrid, 5, 5, three).offsets, Lay(kVertical, 5, 5, three).offsets);
}

TEST(Layout, ZeroWidthImageStillAdvancesByThePadding)
{
    Laid h = Lay(kHorizontal, 5, 5, {{10, 10}, {0, 10}, {10, 10}});
    EXPECT_EQ(h.offsets, (Offsets{{0, 0}, {15, 0}, {20, 0}}));
    EXPECT_EQ(h.sheetWidth, 30);
}

TEST(Layout, NegativePaddingOverlapsAndCutsTheStripShort)
{
    // The strip's length is set to the end of the image just placed, so a
    // short image after a long one cuts the long one off.
    Laid h = Lay(kHorizontal, -20, 5, {{30, 10}, {5, 10}});
    EXPECT_EQ(h.offsets, (Offsets{{0, 0}, {10, 0}}));
    EXPECT_EQ(h.sheetWidth, 15);

    Laid v = Lay(kVertical, 5, -40, {{10, 30}, {10, 5}});
    EXPECT_EQ(v.offsets, (Offsets{{0, 0}, {0, -10}}));
    EXPECT_EQ(v.sheetHeight, 0);
}

TEST(Layout, ShorterImagesLeaveWhiteBelowThem)
{
    Bitmap sheet;
    SheetLayout layout;
    layout.Reset(kHorizontal, 0, 0, 2);
    layout.Place(sheet, 2, 4);
    Bitmap black(2, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x)
            black.SetPixel(x, y, kBlack);
    sheet.Draw(black, 0, 0);
    layout.Advance(sheet, 2, 4);
    layout.Place(sheet, 2, 1);
    EXPECT_EQ(sheet.Pixel(1, 3), kBlack);
    EXPECT_EQ(sheet.Pixel(2, 0), kWhite);
    EXPECT_EQ(sheet.Pixel(3, 3), kWhite);
}

TEST(Layout, UnknownOrientationNeverGrowsTheSheet)
{
    Laid odd = Lay(7, 5, 5, {{10, 10}, {20, 20}});
    EXPECT_EQ(odd.offsets, (Offsets{{0, 0}, {0, 0}}));
    EXPECT_EQ(odd.sheetWidth, 0);
    EXPECT_EQ(FindOrientation(7), nullptr);
    EXPECT_EQ(FindOrientation(-1), nullptr);
}

TEST(Layout, CoordinatesOutsideTheIntegerRangeAreRefused)
{
    Bitmap sheet;
    SheetLayout layout;
    layout.Reset(kHorizontal, 2'000'000'000, 0, 3);
    layout.Place(sheet, 1, 1);
    layout.Advance(sheet, 1, 1);
    EXPECT_THROW(layout.Advance(sheet, 1, 1), Error);
}

}  // namespace
}  // namespace tessolo
