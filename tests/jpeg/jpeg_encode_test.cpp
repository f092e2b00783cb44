#include "codecs/jpeg/jpeg_codec.h"
#include "codecs/jpeg/jpeg_error.h"
#include "codecs/jpeg/jpeg_image.h"
#include "jpeg_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace tessolo {
namespace {

Bytes Sheet(const Bitmap& sheet, int quality, bool progressive = false)
{
    return EncodeJpegSheet(sheet, {.quality = quality, .progressive = progressive});
}

Bitmap Decode(const Bytes& jpeg)
{
    TJPEGImage image;
    image.LoadFromBytes(jpeg);
    return image.Decode();
}

TEST(JpegEncode, SheetDecodesBackCloseToItself)
{
    Bitmap sheet = test::TestPattern(130, 70);
    for (int progressive : {0, 1}) {
        Bitmap back = Decode(Sheet(sheet, 100, progressive));
        ASSERT_EQ(back.Width(), sheet.Width());
        ASSERT_EQ(back.Height(), sheet.Height());
        ASSERT_EQ(back.Format(), PixelFormat::Bits24);
        double total = 0;
        for (int y = 0; y < sheet.Height(); ++y)
            for (int x = 0; x < sheet.Width(); ++x) {
                ColorRef a = sheet.Pixel(x, y), b = back.Pixel(x, y);
                total += std::abs(RedOf(a) - RedOf(b)) + std::abs(GreenOf(a) - GreenOf(b)) +
                         std::abs(BlueOf(a) - BlueOf(b));
            }
        EXPECT_LT(total / (3.0 * sheet.Width() * sheet.Height()), 1.0) << "progressive " << progressive;
    }
}

TEST(JpegEncode, EveryPixelFormatEncodesLikeItsTrueColourCopy)
{
    Bitmap picture = test::TestPattern(41, 23);
    for (PixelFormat format : {PixelFormat::Bits1, PixelFormat::Bits4, PixelFormat::Bits8,
                               PixelFormat::Bits16, PixelFormat::Bits32}) {
        Bitmap converted = picture.ConvertTo(format);
        EXPECT_EQ(Sheet(converted, 90), Sheet(converted.ConvertTo(PixelFormat::Bits24), 90))
            << BitsPerPixel(format) << " bits per pixel";
    }
}

TEST(JpegEncode, EmptySheetGivesNoBytes)
{
    EXPECT_TRUE(Sheet(Bitmap(), 100).empty());
    EXPECT_TRUE(Sheet(Bitmap(7, 0), 100).empty());
    EXPECT_TRUE(Sheet(Bitmap(0, 7), 100, 1).empty());
}

// The library's scaling of the standard tables with baseline limits.
std::array<int, 64> ScaledTable(const int (&base)[64], int quality)
{
    quality = std::clamp(quality, 1, 100);
    int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    std::array<int, 64> table{};
    for (int i = 0; i < 64; ++i)
        table[std::size_t(i)] = std::clamp((base[i] * scale + 50) / 100, 1, 255);
    return table;
}

TEST(JpegEncode, QualityReachesTheQuantisationTables)
{
    static const int kLuminance[64] = {
        16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
        14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
        18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
        49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
    static const int kChrominance[64] = {
        17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
        24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
        99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
        99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
    Bitmap sheet = test::TestPattern(24, 16);
    // Quality asked for, quality the library uses: 0 acts as 1, and more
    // than 100 as 100.
    const std::pair<int, int> cases[] = {{1, 1},   {10, 10},   {44, 44}, {50, 50},
                                         {75, 75}, {99, 99},   {100, 100}, {0, 1},
                                         {200, 100}, {255, 100}};
    for (auto [stored, used] : cases) {
        test::JpegStructure structure = test::ReadStructure(Sheet(sheet, stored));
        ASSERT_EQ(structure.quantTables.size(), 2u) << stored;
        EXPECT_EQ(structure.quantTables[0], ScaledTable(kLuminance, used)) << "stored quality " << stored;
        EXPECT_EQ(structure.quantTables[1], ScaledTable(kChrominance, used)) << "stored quality " << stored;
    }
    EXPECT_EQ(Sheet(sheet, 0), Sheet(sheet, 1));
}

TEST(JpegEncode, ProgressiveSettingDecidesTheFileKind)
{
    Bitmap sheet = test::TestPattern(24, 16);
    test::JpegStructure baseline = test::ReadStructure(Sheet(sheet, 90, 0));
    EXPECT_EQ(baseline.frameMarker, 0xC0);
    EXPECT_EQ(baseline.scans.size(), 1u);
    for (std::int32_t progressive : {1, 2, 256, -1}) {
        test::JpegStructure structure = test::ReadStructure(Sheet(sheet, 90, progressive));
        EXPECT_EQ(structure.frameMarker, 0xC2) << progressive;
        // The simple progression for three components: DC first and
        // refinement, plus four luminance and two passes per chroma component.
        EXPECT_EQ(structure.scans.size(), 10u) << progressive;
    }
}

TEST(JpegEncode, LoadedFilesDoNotAffectCompression)
{
    Bitmap sheet = test::TestPattern(24, 16);
    TJPEGImage fresh;
    Bytes expected = fresh.Compress(sheet);

    TJPEGImage used;
    used.Progressive = true;
    used.LoadFromBytes(used.Compress(sheet));
    used.Progressive = false;
    ASSERT_TRUE(used.MultipleScans());
    EXPECT_EQ(used.Compress(sheet), expected);
}

TEST(JpegEncode, OversizedSheetIsAJpegError)
{
    // The format cannot hold more than 65500 pixels per side.
    Bitmap wide(65501, 1);
    try {
        TJPEGImage().Compress(wide);
        ADD_FAILURE() << "encoded a 65501-pixel row";
    } catch (const JpegError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("JPEG error #", 0), 0u);
    }
    // The build's writer explains the limit instead.
    try {
        EncodeJpegSheet(wide, {});
        ADD_FAILURE() << "encoded a 65501-pixel row";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The sheet is 65501 x 1 pixels, but a JPEG image has at most 65500 pixels a "
                  "side: use the grid layout or another output type");
    }
}

}  // namespace
}  // namespace tessolo
