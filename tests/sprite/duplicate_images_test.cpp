#include "sprite/duplicate_images.h"

#include "support/images.h"

#include <gtest/gtest.h>

#include <map>

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

std::uint64_t EveryImageCollides(const Bitmap&) { return 42; }

// Images remembered by number as a build remembers them: only their hashes
// are kept, and an earlier image is read again, counted, when a newcomer's
// hash matches it.
class Placed {
public:
    explicit Placed(DuplicateImages::HashFunction hash = HashDrawnPixels)
        : kept_(
              [this](std::size_t number) {
                  ++readsAgain;
                  return images_.at(number);
              },
              hash)
    {
    }
    void Remember(const Bitmap& image, std::size_t number)
    {
        kept_.Remember(image, number);
        images_[number] = image;
    }
    std::optional<std::size_t> OriginalOf(const Bitmap& image) const { return kept_.OriginalOf(image); }

    int readsAgain = 0;

private:
    std::map<std::size_t, Bitmap> images_;
    DuplicateImages kept_;
};

TEST(DrawnPixelsTest, AlikeWhenTheSheetWouldReceiveTheSamePixels)
{
    Bitmap original = Pattern(5, 3);
    EXPECT_TRUE(DrawnAlike(original, Pattern(5, 3)));
    // Another pixel format with the same colours draws the same.
    EXPECT_TRUE(DrawnAlike(original.ConvertTo(PixelFormat::Bits32), original));
    Bitmap palette = Solid(4, 4, kBlack).ConvertTo(PixelFormat::Bits8);
    EXPECT_TRUE(DrawnAlike(palette, Solid(4, 4, kBlack)));
    EXPECT_EQ(HashDrawnPixels(palette), HashDrawnPixels(Solid(4, 4, kBlack)));
    // Opaque alpha draws as no alpha does.
    Bitmap opaque = original.ConvertTo(PixelFormat::Bits32);
    opaque.HasAlpha = true;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            opaque.ScanLine(y)[4 * x + 3] = 255;
    EXPECT_TRUE(DrawnAlike(opaque, original));
    EXPECT_EQ(HashDrawnPixels(opaque), HashDrawnPixels(original));
}

TEST(DrawnPixelsTest, DifferentWhenOnePixelSizeAlphaOrTransparencyDiffers)
{
    const Bitmap original = Pattern(5, 3);

    Bitmap onePixel = Pattern(5, 3);
    onePixel.SetPixel(4, 2, MakeColor(0, 0, 8));
    EXPECT_FALSE(DrawnAlike(onePixel, original));

    // The same pixels in another shape.
    EXPECT_FALSE(DrawnAlike(Solid(6, 2, kBlack), Solid(2, 6, kBlack)));
    EXPECT_NE(HashDrawnPixels(Solid(6, 2, kBlack)), HashDrawnPixels(Solid(2, 6, kBlack)));

    Bitmap translucent = Pattern(5, 3).ConvertTo(PixelFormat::Bits32);
    translucent.HasAlpha = true;  // every alpha byte is 0
    EXPECT_FALSE(DrawnAlike(translucent, original));

    // A pixel skipped as the transparent colour leaves the sheet's background.
    Bitmap keyed = Solid(3, 3, MakeColor(255, 0, 0));
    keyed.SetPixel(1, 1, MakeColor(0, 255, 0));
    Bitmap skipping = keyed;
    skipping.Transparent = true;
    skipping.TransparentColor = MakeColor(0, 255, 0);
    EXPECT_FALSE(DrawnAlike(skipping, keyed));
    Bitmap skippingNothing = keyed;
    skippingNothing.Transparent = true;
    skippingNothing.TransparentColor = MakeColor(1, 2, 3);
    EXPECT_TRUE(DrawnAlike(skippingNothing, keyed));
}

TEST(DuplicateImagesTest, FindsTheFirstOfIdenticalImagesOnly)
{
    Placed placed;
    EXPECT_EQ(placed.OriginalOf(Pattern(5, 3)), std::nullopt);
    placed.Remember(Pattern(5, 3), 1);
    placed.Remember(Solid(5, 3, kWhite), 2);

    EXPECT_EQ(placed.OriginalOf(Pattern(5, 3)), std::optional<std::size_t>(1));
    EXPECT_EQ(placed.OriginalOf(Solid(5, 3, kWhite)), std::optional<std::size_t>(2));
    Bitmap nearCopy = Pattern(5, 3);
    nearCopy.SetPixel(0, 0, MakeColor(1, 0, 7));
    EXPECT_EQ(placed.OriginalOf(nearCopy), std::nullopt);
    EXPECT_EQ(placed.OriginalOf(Pattern(5, 4)), std::nullopt);
    EXPECT_EQ(placed.OriginalOf(Solid(3, 5, kWhite)), std::nullopt);
    // Only the two copies' originals were read again.
    EXPECT_EQ(placed.readsAgain, 2);
}

TEST(DuplicateImagesTest, CollidingHashesStillCompareEveryPixel)
{
    Placed placed(EveryImageCollides);
    placed.Remember(Solid(4, 4, kBlack), 0);
    placed.Remember(Solid(4, 4, kWhite), 1);
    placed.Remember(Pattern(4, 4), 2);

    EXPECT_EQ(placed.OriginalOf(Solid(4, 4, kWhite)), std::optional<std::size_t>(1));
    EXPECT_EQ(placed.OriginalOf(Pattern(4, 4)), std::optional<std::size_t>(2));
    EXPECT_EQ(placed.OriginalOf(Solid(4, 4, MakeColor(0, 0, 1))), std::nullopt);
    EXPECT_EQ(placed.OriginalOf(Solid(2, 8, kBlack)), std::nullopt);
}

TEST(DuplicateImagesTest, ImagesWithoutPixelsAreNeverShared)
{
    Placed placed(EveryImageCollides);
    placed.Remember(Bitmap(0, 7), 0);
    placed.Remember(Bitmap(), 0);
    EXPECT_EQ(placed.OriginalOf(Bitmap(0, 7)), std::nullopt);
    EXPECT_EQ(placed.OriginalOf(Bitmap()), std::nullopt);
}

}  // namespace
}  // namespace tessolo
