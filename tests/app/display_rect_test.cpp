#include "app/display_rect.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

TEST(FitSheet, ShrinksWideAndTallSheetsKeepingTheirShapeAndCentresThem)
{
    EXPECT_EQ(FitSheet(1600, 300, 800, 600), (DisplayRect{0, 225, 800, 150}));
    EXPECT_EQ(FitSheet(300, 1200, 800, 600), (DisplayRect{325, 0, 150, 600}));
    // Wider than tall, but the height is what limits it.
    EXPECT_EQ(FitSheet(1000, 900, 800, 600), (DisplayRect{67, 0, 666, 600}));
    // Square sheets take the tall branch and may then be limited by width.
    EXPECT_EQ(FitSheet(1000, 1000, 500, 800), (DisplayRect{0, 150, 500, 500}));
}

TEST(FitSheet, NeverEnlargesASheetThatFits)
{
    EXPECT_EQ(FitSheet(640, 480, 800, 600), (DisplayRect{80, 60, 640, 480}));
    EXPECT_EQ(FitSheet(800, 600, 800, 600), (DisplayRect{0, 0, 800, 600}));
    EXPECT_EQ(FitSheet(0, 0, 800, 600), (DisplayRect{400, 300, 0, 0}));
}

TEST(FitSheet, KeepsEverySideOfASheetWithPixelsAtLeastOnePixel)
{
    // 1 998 icons of 16 x 16 with a gap of 2 in a strip: 800 / 2247.6 truncates to 0.
    EXPECT_EQ(FitSheet(35962, 16, 800, 600), (DisplayRect{0, 299, 800, 1}));
    EXPECT_EQ(FitSheet(16, 35962, 800, 600), (DisplayRect{399, 0, 1, 600}));
}

TEST(ZoomSheet, CentresTheZoomedSheetWhereTheAreaIsLarger)
{
    EXPECT_EQ(ZoomSheet(100, 50, 2, 800, 600), (DisplayRect{300, 250, 200, 100}));
    EXPECT_EQ(ZoomSheet(35962, 16, 4, 800, 600), (DisplayRect{0, 268, 143848, 64}));
}

}  // namespace
}  // namespace tessolo
