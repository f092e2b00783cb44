#include "sprite/duplicate_images.h"

#include "support/images.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

using test::Solid;

// A 24-bit image with a few different pixels, so that a change anywhere shows.
Bitmap Pattern(int width, int height)
{
    Bitmap image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, MakeColor(std::uint8_t(x * 40), std::uint8_t(y * 30), 7));
    return image;
}

std::uint64_t EveryImageCollides(const DrawnPixels&) { return 42; }

TEST(DrawnPixelsTest, EqualWhenTheSheetWouldReceiveTheSamePixels)
{
    Bitmap original = Pattern(5, 3);
    EXPECT_EQ(DrawnPixelsOf(original), DrawnPixelsOf(Pattern(5, 3)));
    // Another pixel format with the same colours draws the same.
    EXPECT_EQ(DrawnPixelsOf(original.ConvertTo(PixelFormat::Bits32)), DrawnPixelsOf(original));
    Bitmap palette = Solid(4, 4, kBlack).ConvertTo(PixelFormat::Bits8);
    EXPECT_EQ(DrawnPixelsOf(palette), DrawnPixelsOf(Solid(4, 4, kBlack)));
    // Opaque alpha draws as no alpha does.
    Bitmap opaque = original.ConvertTo(PixelFormat::Bits32);
    opaque.HasAlpha = true;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            opaque.ScanLine(y)[4 * x + 3] = 255;
    EXPECT_EQ(DrawnPixelsOf(opaque), DrawnPixelsOf(original));
}

TEST(DrawnPixelsTest, DifferentWhenOnePixelSizeAlphaOrTransparencyDiffers)
{
    const DrawnPixels original = DrawnPixelsOf(Pattern(5, 3));

    Bitmap onePixel = Pattern(5, 3);
    onePixel.SetPixel(4, 2, MakeColor(0, 0, 8));
    EXPECT_NE(DrawnPixelsOf(onePixel), original);

    // The same bytes in another shape.
    DrawnPixels wide = DrawnPixelsOf(Solid(6, 2, kBlack));
    DrawnPixels tall = DrawnPixelsOf(Solid(2, 6, kBlack));
    EXPECT_EQ(wide.bytes, tall.bytes);
    EXPECT_NE(wide, tall);

    Bitmap translucent = Pattern(5, 3).ConvertTo(PixelFormat::Bits32);
    translucent.HasAlpha = true;  // every alpha byte is 0
    EXPECT_NE(DrawnPixelsOf(translucent), original);

    // A pixel skipped as the transparent colour leaves the sheet's background.
    Bitmap keyed = Solid(3, 3, MakeColor(255, 0, 0));
    keyed.SetPixel(1, 1, MakeColor(0, 255, 0));
    Bitmap skipping = keyed;
    skipping.Transparent = true;
    skipping.TransparentColor = MakeColor(0, 255, 0);
    EXPECT_NE(DrawnPixelsOf(skipping), DrawnPixelsOf(keyed));
    Bitmap skippingNothing = keyed;
    skippingNothing.Transparent = true;
    skippingNothing.TransparentColor = MakeColor(1, 2, 3);
    EXPECT_EQ(DrawnPixelsOf(skippingNothing), DrawnPixelsOf(keyed));
}

TEST(DuplicateImagesTest, FindsTheFirstOfIdenticalImagesOnly)
{
    DuplicateImages placed;
    EXPECT_EQ(placed.OriginalOf(DrawnPixelsOf(Pattern(5, 3))), std::nullopt);
    placed.Remember(DrawnPixelsOf(Pattern(5, 3)), 1);
    placed.Remember(DrawnPixelsOf(Solid(5, 3, kWhite)), 2);

    EXPECT_EQ(placed.OriginalOf(DrawnPixelsOf(Pattern(5, 3))), std::optional<std::size_t>(1));
    EXPECT_EQ(placed.OriginalOf(DrawnPixelsOf(Solid(5, 3, kWhite))), std::optional<std::size_t>(2));
    Bitmap nearCopy = Pattern(5, 3);
    nearCopy.SetPixel(0, 0, MakeColor(1, 0, 7));
    EXPECT_EQ(placed.OriginalOf(DrawnPixelsOf(nearCopy)), std::nullopt);
    EXPECT_EQ(placed.OriginalOf(DrawnPixelsOf(Pattern(5, 4))), std::nullopt);
    EXPECT_EQ(placed.OriginalOf(DrawnPixelsOf(Solid(3, 5, kWhite))), std::nullopt);
}

TEST(DuplicateImagesTest, CollidingHashesStillCompareEveryByte)
{
    DuplicateImages placed(EveryImageCollides);
    placed.Remember(DrawnPixelsOf(Solid(4, 4, kBlack)), 0);
    placed.Remember(DrawnPixelsOf(Solid(4, 4, kWhite)), 1);
    placed.Remember(DrawnPixelsOf(Pattern(4, 4)), 2);

    EXPECT_EQ(placed.OriginalOf(DrawnPixelsOf(Solid(4, 4, kWhite))), std::optional<std::size_t>(1));
    EXPECT_EQ(placed.OriginalOf(DrawnPixelsOf(Pattern(4, 4))), std::optional<std::size_t>(2));
    EXPECT_EQ(placed.OriginalOf(DrawnPixelsOf(Solid(4, 4, MakeColor(0, 0, 1)))), std::nullopt);
    EXPECT_EQ(placed.OriginalOf(DrawnPixelsOf(Solid(2, 8, kBlack))), std::nullopt);
}

TEST(DuplicateImagesTest, ImagesWithoutPixelsAreNeverShared)
{
    DuplicateImages placed(EveryImageCollides);
    placed.Remember(DrawnPixelsOf(Bitmap(0, 7)), 0);
    placed.Remember(DrawnPixelsOf(Bitmap()), 0);
    EXPECT_EQ(placed.OriginalOf(DrawnPixelsOf(Bitmap(0, 7))), std::nullopt);
    EXPECT_EQ(placed.OriginalOf(DrawnPixelsOf(Bitmap())), std::nullopt);
}

}  // namespace
}  // namespace tessolo
