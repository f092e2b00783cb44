#include "sprite/sheet_reduction.h"

#include "platform/error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace tessolo {
namespace {

Bitmap RandomBitmap(int width, int height, bool alpha, unsigned seed)
{
    Bitmap bitmap(width, height, alpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    bitmap.HasAlpha = alpha;
    std::mt19937 random(seed);
    int channels = alpha ? 4 : 3;
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width * channels; ++i)
            bitmap.ScanLine(y)[i] = std::uint8_t(random());
    if (alpha)  // make fully transparent and opaque pixels common
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (std::uint8_t& a = bitmap.ScanLine(y)[4 * x + 3]; a < 80 || a > 180)
                    a = a < 80 ? 0 : 255;
    return bitmap;
}

// The area average written out in floating point, one pixel at a time:
// the weight of a source pixel is the area of it that the output pixel
// covers, in source pixels.
std::uint8_t Reference(const Bitmap& sheet, int from, int to, int x, int y, int channel)
{
    const double step = double(from) / to;
    auto overlap = [step](int out, int source) {
        return std::max(0.0, std::min((out + 1) * step, source + 1.0) - std::max(out * step, double(source)));
    };
    int bytes = sheet.HasAlpha ? 4 : 3;
    double sum = 0, weights = 0;
    for (int sy = 0; sy < sheet.Height(); ++sy)
        for (int sx = 0; sx < sheet.Width(); ++sx) {
            const double area = overlap(x, sx) * overlap(y, sy);
            if (area == 0)
                continue;
            const std::uint8_t* p = sheet.ScanLine(sy) + sx * bytes;
            double weight = area * (sheet.HasAlpha && channel < 3 ? p[3] : 1);
            sum += p[channel] * weight;
            weights += weight;
        }
    if (weights == 0)
        return 0;
    return std::uint8_t(std::floor(sum / weights + 0.5 + 1e-9));
}

struct Reduction {
    int from, to;
};

class ReducedSheetTest : public testing::TestWithParam<Reduction> {};

TEST_P(ReducedSheetTest, EqualsTheAreaAverageOfEveryPixel)
{
    const auto [from, to] = GetParam();
    for (bool alpha : {false, true}) {
        Bitmap sheet = RandomBitmap(6 * from, 3 * from, alpha, alpha ? 7 : 3);
        Bitmap reduced = ReducedSheet(sheet, from, to);
        ASSERT_EQ(reduced.Width(), 6 * to);
        ASSERT_EQ(reduced.Height(), 3 * to);
        EXPECT_EQ(reduced.HasAlpha, alpha);
        int bytes = alpha ? 4 : 3;
        for (int y = 0; y < reduced.Height(); ++y)
            for (int x = 0; x < reduced.Width(); ++x)
                for (int c = 0; c < bytes; ++c)
                    ASSERT_EQ(reduced.ScanLine(y)[x * bytes + c], Reference(sheet, from, to, x, y, c))
                        << "alpha " << alpha << " at " << x << "," << y << " byte " << c;
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, ReducedSheetTest,
                         testing::Values(Reduction{2, 1}, Reduction{3, 1}, Reduction{3, 2},
                                         Reduction{4, 3}, Reduction{4, 2}));

TEST(ReducedSheet, TransparentPixelsLendNoColour)
{
    Bitmap sheet(2, 2, PixelFormat::Bits32);
    sheet.HasAlpha = true;
    for (int y = 0; y < 2; ++y)
        std::fill_n(sheet.ScanLine(y), 8, std::uint8_t(0));  // transparent black
    std::uint8_t red[4] = {0, 0, 255, 255};
    std::copy_n(red, 4, sheet.ScanLine(1) + 4);
    Bitmap half = ReducedSheet(sheet, 2, 1);
    const std::uint8_t* p = half.ScanLine(0);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 255);  // pure red, not darkened by the transparent black
    EXPECT_EQ(p[3], 64);
}

TEST(ReducedSheet, RefusesSidesThatDoNotDivideAndPaletteSheets)
{
    EXPECT_THROW(ReducedSheet(Bitmap(3, 2), 2, 1), Error);
    EXPECT_THROW(ReducedSheet(Bitmap(3, 5), 3, 2), Error);
    EXPECT_THROW(ReducedSheet(Bitmap(2, 2), 1, 2), Error);
    EXPECT_THROW(ReducedSheet(Bitmap(2, 2, PixelFormat::Bits8), 2, 1), Error);
}

}  // namespace
}  // namespace tessolo
