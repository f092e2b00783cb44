#include "app/window_geometry.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

struct FitCase {
    WindowBox wanted;
    WindowBox area;
    WindowBox fitted;
};

class FitIntoAreaTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitIntoAreaTest, KeepsTheWindowWholeOnTheScreen)
{
    EXPECT_EQ(FitIntoArea(GetParam().wanted, GetParam().area), GetParam().fitted);
}

// A 1920 x 1080 screen with a 40-pixel panel at the top, and the same screen
// at a scale of 2, whose logical area is half as large each way.
INSTANTIATE_TEST_SUITE_P(Cases, FitIntoAreaTest, ::testing::Values(
    FitCase{{100, 100, 788, 707}, {0, 40, 1920, 1040}, {100, 100, 788, 707}},
    FitCase{{1500, 900, 788, 707}, {0, 40, 1920, 1040}, {1132, 373, 788, 707}},
    FitCase{{-300, -20, 788, 707}, {0, 40, 1920, 1040}, {0, 40, 788, 707}},
    FitCase{{1500, 900, 788, 707}, {0, 20, 960, 520}, {172, 20, 788, 520}},
    FitCase{{0, 0, 4000, 3000}, {0, 20, 960, 520}, {0, 20, 960, 520}},
    // A second screen to the left of the first.
    FitCase{{-2000, 10, 800, 600}, {-1280, 0, 1280, 1024}, {-1280, 10, 800, 600}}));

TEST(WindowBoxText, ReadsBackWhatItWritesAndNothingElse)
{
    const WindowBox box{-12, 34, 788, 707};
    EXPECT_EQ(WindowBoxText(box), "-12,34,788,707");
    EXPECT_EQ(WindowBoxFromText(WindowBoxText(box)), box);
    for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "1,2,0,4", "1,2,3,-4", "a,b,c,d",
                            "1, 2,3,4", "1,2,3,99999999999"})
        EXPECT_EQ(WindowBoxFromText(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace tessolo
