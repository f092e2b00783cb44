#include "platform/bitmap.h"

#include "platform/error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include <unistd.h>

namespace tessolo {
namespace {

constexpr ColorRef kRed = MakeColor(255, 0, 0);
constexpr ColorRef kBlue = MakeColor(0, 0, 255);

// A bitmap whose pixel (x, y) has a colour unique to its position.
Bitmap Numbered(int width, int height)
{
    Bitmap b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.SetPixel(x, y, MakeColor(std::uint8_t(10 + x), std::uint8_t(10 + y), 7));
    return b;
}

TEST(Bitmap, SizeChangesKeepPixelsAndFillWhite)
{
    for (PixelFormat format : {PixelFormat::Bits8, PixelFormat::Bits16, PixelFormat::Bits24,
                               PixelFormat::Bits32}) {
        Bitmap b(2, 2, format);
        if (format == PixelFormat::Bits8)
            b.SetPalette(Palette256());
        b.SetPixel(0, 0, kRed);
        b.SetPixel(1, 1, kBlue);
        b.SetSize(5, 4);
        EXPECT_EQ(b.Pixel(0, 0), kRed);
        EXPECT_EQ(b.Pixel(1, 1), kBlue);
        EXPECT_EQ(b.Pixel(4, 3), kWhite);
        EXPECT_EQ(b.Pixel(1, 3), kWhite);

        // What a smaller size cut off comes back white, not as the old pixels.
        b.SetSize(1, 1);
        b.SetSize(3, 2);
        EXPECT_EQ(b.Pixel(0, 0), kRed) << BitsPerPixel(format);
        EXPECT_EQ(b.Pixel(1, 1), kWhite) << BitsPerPixel(format);
        EXPECT_EQ(b.Pixel(2, 1), kWhite);
    }

    // Growing one side at a time, many times, as a strip does.
    Bitmap strip;
    for (int i = 1; i <= 200; ++i) {
        strip.SetSize(i, 3);
        strip.SetPixel(i - 1, i % 3, MakeColor(std::uint8_t(i), 0, 0));
    }
    for (int i = 1; i <= 200; ++i)
        ASSERT_EQ(strip.Pixel(i - 1, i % 3), MakeColor(std::uint8_t(i), 0, 0)) << i;
    EXPECT_EQ(strip.Pixel(0, 0), kWhite);
}

TEST(Bitmap, RastersGrownPastTheirOwnMappingKeepTheirBytes)
{
    // From the heap into a mapping of its own, then grown in place: what
    // was there stays, and bytes beyond the old size read as zero, also
    // where a smaller size had cut earlier bytes off.
    RasterBytes bytes;
    bytes.Resize(1000);
    std::memset(bytes.data(), 7, 1000);
    bytes.Resize(10);
    bytes.Resize(3 * kMappedRasterBytes);
    EXPECT_EQ(bytes.data()[9], 7);
    EXPECT_EQ(bytes.data()[10], 0);
    EXPECT_EQ(bytes.data()[999], 0);
    bytes.data()[3 * kMappedRasterBytes - 1] = 9;
    bytes.Resize(kMappedRasterBytes);
    bytes.Resize(8 * kMappedRasterBytes);
    EXPECT_EQ(bytes.data()[3 * kMappedRasterBytes - 1], 0);
    const RasterBytes copy = bytes;
    bytes.data()[0] = 1;
    EXPECT_EQ(copy.data()[0], 7);
    EXPECT_EQ(copy.size(), 8 * kMappedRasterBytes);

    // Only whole pages within the range are given back; the next range
    // starts where the last ended.
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    std::memset(bytes.data(), 7, 4 * page);
    const std::size_t end = bytes.Discard(10, 3 * page + 5);
    EXPECT_EQ(end, 3 * page);
    EXPECT_EQ(bytes.data()[page - 1], 7);
    EXPECT_EQ(bytes.data()[page] | bytes.data()[end - 1], 0);
    bytes.data()[end] = 5;
    EXPECT_EQ(bytes.Discard(end, end + page - 1), end);
    EXPECT_EQ(bytes.data()[end], 5);

    // A strip of several MB that widens image by image moves its rows
    // within its bytes each time its rows run out of room.
    Bitmap strip(0, 64, PixelFormat::Bits32);
    strip.HasAlpha = true;
    for (int x = 0; x < 20000; x += 250) {
        strip.SetWidth(x + 250);
        strip.SetPixel(x, x % 64, MakeColor(std::uint8_t(x / 250), 1, 2));
    }
    for (int x = 0; x < 20000; x += 250)
        ASSERT_EQ(strip.Pixel(x, x % 64), MakeColor(std::uint8_t(x / 250), 1, 2)) << x;
    EXPECT_EQ(strip.ScanLine(63)[4 * 19999 + 3], 0) << "new room is transparent";
}

TEST(Bitmap, SpareRoomIsGivenUpRatherThanRefusingARasterThatFits)
{
    // 105 100 x 3 000 in 24 bits takes 946 MB, within the cap. Grown from
    // 80 000 pixels wide, the rows keep spare room that would pass it.
    Bitmap sheet(80000, 1);
    sheet.SetWidth(105100);
    ASSERT_GT(sheet.Stride() * 3000, kMaxBitmapBytes);
    sheet.SetPixel(105099, 0, kRed);
    sheet.SetHeight(3000);
    EXPECT_EQ(sheet.Stride(), RowBytes(105100, PixelFormat::Bits24));
    EXPECT_EQ(sheet.Pixel(105099, 0), kRed);
    EXPECT_EQ(sheet.Pixel(105099, 2999), kWhite);
    // The exact size still counts.
    EXPECT_THROW(sheet.SetHeight(3500), Error);
    EXPECT_EQ(sheet.Height(), 3000);
}

TEST(Bitmap, DrawClipsAtEveryEdgeAndHonoursTransparency)
{
    const Bitmap src = Numbered(2, 2);
    // Placed half outside each corner, only one source pixel lands.
    const struct {
        int x, y, landX, landY, srcX, srcY;
    } corners[] = {{-1, -1, 0, 0, 1, 1}, {3, -1, 3, 0, 0, 1}, {-1, 3, 0, 3, 1, 0}, {3, 3, 3, 3, 0, 0}};
    for (const auto& c : corners) {
        Bitmap target(4, 4);
        target.Draw(src, c.x, c.y);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(target.Pixel(x, y), x == c.landX && y == c.landY
                                                  ? src.Pixel(c.srcX, c.srcY)
                                                  : kWhite)
                    << c.x << "," << c.y;
    }
    Bitmap target(4, 4);
    target.Draw(src, 4, 0);
    target.Draw(src, 0, -2);
    target.Draw(src, INT32_MIN, INT32_MAX);
    EXPECT_EQ(target.Pixel(3, 0), kWhite);

    // A transparent source leaves the target alone where it has its colour,
    // also when its format differs from the target's.
    Bitmap sticker(2, 1, PixelFormat::Bits8);
    sticker.SetPalette({kRed, kBlue});
    sticker.SetPixelIndex(0, 0, 1);
    sticker.Transparent = true;
    sticker.TransparentColor = kRed;
    target.SetPixel(1, 1, kBlack);
    target.Draw(sticker, 0, 1);
    EXPECT_EQ(target.Pixel(0, 1), kBlue);
    EXPECT_EQ(target.Pixel(1, 1), kBlack);
}

TEST(Bitmap, StretchDrawPicksNearestPixels)
{
    const Bitmap src = Numbered(3, 2);
    Bitmap wide(5, 4);
    wide.StretchDraw(src, 0, 0, 5, 4);
    const int mapX[] = {0, 0, 1, 1, 2};  // x * 3 / 5
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(wide.Pixel(x, y), src.Pixel(mapX[x], y / 2)) << x << "," << y;

    Bitmap small(2, 1);
    small.StretchDraw(Numbered(4, 4), 0, 0, 2, 1);
    EXPECT_EQ(small.Pixel(0, 0), src.Pixel(0, 0));
    EXPECT_EQ(small.Pixel(1, 0), MakeColor(12, 10, 7));

    // Clipped at the left: columns keep the mapping of the whole rectangle.
    Bitmap shifted(3, 1);
    shifted.StretchDraw(src, -2, 0, 6, 1);
    EXPECT_EQ(shifted.Pixel(0, 0), src.Pixel(1, 0));
    EXPECT_EQ(shifted.Pixel(2, 0), src.Pixel(2, 0));
}

TEST(Bitmap, ConvertToKeepsTheDocumentedBits)
{
    Bitmap b(3, 1);
    b.SetPixel(0, 0, MakeColor(0xFF, 0x87, 0x0C));
    b.SetPixel(1, 0, MakeColor(250, 5, 5));
    b.SetPixel(2, 0, kWhite);

    // 5-6-5 keeps the high bits and widens them back by repetition.
    EXPECT_EQ(b.ConvertTo(PixelFormat::Bits16).Pixel(0, 0), MakeColor(0xFF, 0x86, 0x08));
    const Bitmap four = b.ConvertTo(PixelFormat::Bits4);
    EXPECT_EQ(four.Palette(), Palette16());
    EXPECT_EQ(four.PixelIndex(1, 0), 9);
    EXPECT_EQ(four.PixelIndex(2, 0), 15);
    const Bitmap eight = b.ConvertTo(PixelFormat::Bits8);
    EXPECT_EQ(eight.PixelIndex(2, 0), 215);
    EXPECT_EQ(eight.ConvertTo(PixelFormat::Bits32).ConvertTo(PixelFormat::Bits24).Pixel(1, 0), kRed);

    // A palette index beyond a short table reads as black.
    Bitmap shortTable(2, 1, PixelFormat::Bits4);
    shortTable.SetPalette({kRed});
    shortTable.SetPixelIndex(1, 0, 6);
    EXPECT_EQ(shortTable.ConvertTo(PixelFormat::Bits24).Pixel(1, 0), kBlack);

    const std::set<ColorRef> distinct(Palette256().begin(), Palette256().end());
    EXPECT_EQ(Palette256().size(), 256u);
    EXPECT_EQ(distinct.size(), 256u);
    EXPECT_EQ(Palette16().size(), 16u);
}

}  // namespace
}  // namespace tessolo
