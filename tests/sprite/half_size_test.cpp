#include "sprite/half_size.h"

#include "platform/error.h"

#include <gtest/gtest.h>

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

// The box filter written out in floating point, one pixel at a time.
std::uint8_t Reference(const Bitmap& sheet, int x, int y, int channel)
{
    int bytes = sheet.HasAlpha ? 4 : 3;
    double sum = 0, alphaSum = 0;
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
            const std::uint8_t* p = sheet.ScanLine(2 * y + dy) + (2 * x + dx) * bytes;
            double weight = sheet.HasAlpha && channel < 3 ? p[3] : 1;
            sum += p[channel] * weight;
            alphaSum += weight;
        }
    if (alphaSum == 0)
        return 0;
    return std::uint8_t(std::floor(sum / alphaSum + 0.5));
}

TEST(HalfSize, EqualsTheBoxFilterOfEveryBlock)
{
    for (bool alpha : {false, true}) {
        Bitmap sheet = RandomBitmap(34, 18, alpha, alpha ? 7 : 3);
        Bitmap half = HalfSize(sheet);
        ASSERT_EQ(half.Width(), 17);
        ASSERT_EQ(half.Height(), 9);
        EXPECT_EQ(half.HasAlpha, alpha);
        int bytes = alpha ? 4 : 3;
        for (int y = 0; y < half.Height(); ++y)
            for (int x = 0; x < half.Width(); ++x)
                for (int c = 0; c < bytes; ++c)
                    ASSERT_EQ(half.ScanLine(y)[x * bytes + c], Reference(sheet, x, y, c))
                        << "alpha " << alpha << " at " << x << "," << y << " byte " << c;
    }
}

TEST(HalfSize, TransparentPixelsLendNoColour)
{
    Bitmap sheet(2, 2, PixelFormat::Bits32);
    sheet.HasAlpha = true;
    for (int y = 0; y < 2; ++y)
        std::fill_n(sheet.ScanLine(y), 8, std::uint8_t(0));  // transparent black
    std::uint8_t red[4] = {0, 0, 255, 255};
    std::copy_n(red, 4, sheet.ScanLine(1) + 4);
    Bitmap half = HalfSize(sheet);
    const std::uint8_t* p = half.ScanLine(0);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 255);  // pure red, not darkened by the transparent black
    EXPECT_EQ(p[3], 64);
}

TEST(HalfSize, RefusesOddSizesAndPaletteSheets)
{
    EXPECT_THROW(HalfSize(Bitmap(3, 2)), Error);
    EXPECT_THROW(HalfSize(Bitmap(2, 5)), Error);
    EXPECT_THROW(HalfSize(Bitmap(2, 2, PixelFormat::Bits8)), Error);
}

}  // namespace
}  // namespace tessolo
