#include "platform/alpha.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

constexpr ColorRef kTeal = MakeColor(0, 128, 128);

// A 2 x 1 bitmap with alpha: an opaque teal pixel and a half transparent red one.
Bitmap TealAndHalfRed()
{
    Bitmap b = TransparentBitmap(2, 1);
    b.SetPixel(0, 0, kTeal);
    b.SetPixel(1, 0, MakeColor(255, 0, 0));
    b.ScanLine(0)[7] = 128;
    return b;
}

TEST(Alpha, BlendHitsBothEndsExactly)
{
    for (unsigned s = 0; s < 256; ++s)
        for (unsigned d : {0u, 77u, 255u}) {
            ASSERT_EQ(BlendChannel(255, s, d), s);
            ASSERT_EQ(BlendChannel(0, s, d), d);
        }
    EXPECT_EQ(BlendChannel(128, 0, 255), 127);
}

TEST(Alpha, GrowthIsTransparentAndDrawingKeepsOrGivesAlpha)
{
    Bitmap sheet = TransparentBitmap(1, 1);
    sheet.SetSize(6, 2);
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(AlphaAt(sheet.ScanLine(1), x), 0) << x;

    // A source with alpha keeps it; one without becomes opaque.
    sheet.Draw(TealAndHalfRed(), 0, 0);
    Bitmap opaque(1, 1);
    opaque.SetPixel(0, 0, kBlack);
    sheet.Draw(opaque, 3, 1);
    EXPECT_EQ(AlphaAt(sheet.ScanLine(0), 0), 255);
    EXPECT_EQ(AlphaAt(sheet.ScanLine(0), 1), 128);
    EXPECT_EQ(AlphaAt(sheet.ScanLine(1), 3), 255);
    EXPECT_EQ(sheet.Pixel(3, 1), kBlack);
    EXPECT_EQ(AlphaAt(sheet.ScanLine(0), 2), 0);

    // Scaling carries alpha with the colour of the nearest pixel.
    Bitmap scaled = TransparentBitmap(4, 2);
    scaled.StretchDraw(TealAndHalfRed(), 0, 0, 4, 2);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(scaled.Pixel(1, y), kTeal);
        EXPECT_EQ(AlphaAt(scaled.ScanLine(y), 1), 255);
        EXPECT_EQ(AlphaAt(scaled.ScanLine(y), 2), 128);
    }
}

TEST(Alpha, FlatteningBlendsOverWhiteAndLeavesOtherBitmapsAlone)
{
    Bitmap b = TealAndHalfRed();
    FlattenOverWhite(b);
    ASSERT_EQ(b.Format(), PixelFormat::Bits24);
    EXPECT_FALSE(b.HasAlpha);
    EXPECT_EQ(b.Pixel(0, 0), kTeal);
    EXPECT_EQ(b.Pixel(1, 0), MakeColor(255, 127, 127));

    Bitmap plain(1, 1, PixelFormat::Bits32);
    plain.SetPixel(0, 0, kTeal);
    FlattenOverWhite(plain);
    EXPECT_EQ(plain.Format(), PixelFormat::Bits32);
    EXPECT_EQ(plain.Pixel(0, 0), kTeal);
}

}  // namespace
}  // namespace tessolo
