#include "codecs/bmp/bmp_codec.h"

#include "bmp_builder.h"
#include "support/row_reading.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <iterator>

namespace tessolo {
namespace {

using test::BmpFields;
using test::BuildBmp;

constexpr ColorRef kRed = MakeColor(255, 0, 0);
constexpr ColorRef kGreen = MakeColor(0, 255, 0);
constexpr ColorRef kBlue = MakeColor(0, 0, 255);

// One value per pixel, row by row from the top.
template <class Value>
std::vector<Value> RowByRow(const Bitmap& b, Value (Bitmap::*valueAt)(int, int) const)
{
    std::vector<Value> out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            out.push_back((b.*valueAt)(x, y));
    return out;
}

std::vector<ColorRef> Colors(const Bitmap& b) { return RowByRow(b, &Bitmap::Pixel); }
std::vector<int> Indexes(const Bitmap& b) { return RowByRow(b, &Bitmap::PixelIndex); }

TEST(BmpReader, PaletteFilesKeepTheirDepthAndShortTables)
{
    // Core header: a 3-entry table (the pixel offset leaves room for no
    // more), rows bottom-up; index 7 lies beyond the table and reads black.
    Bitmap core = DecodeBmp(BuildBmp({.headerSize = 12, .width = 3, .height = 2, .bits = 8,
                                      .table = {kRed, kGreen, kBlue},
                                      .pixels = {2, 1, 7, 0, 0, 1, 2, 0}}));
    EXPECT_EQ(core.Format(), PixelFormat::Bits8);
    EXPECT_EQ(core.Palette().size(), 3u);
    EXPECT_EQ(core.PixelIndex(2, 1), 7);
    EXPECT_EQ(Colors(core), (std::vector<ColorRef>{kRed, kGreen, kBlue, kBlue, kGreen, kBlack}));

    // 1 bit, colour count 0 = full table; 10 pixels span two bytes.
    Bitmap mono = DecodeBmp(BuildBmp({.width = 10, .bits = 1, .table = {kRed, kBlue},
                                      .pixels = {0xA0, 0xC0, 0, 0}}));
    EXPECT_EQ(mono.Format(), PixelFormat::Bits1);
    EXPECT_EQ(Indexes(mono), (std::vector<int>{1, 0, 1, 0, 0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(mono.Pixel(0, 0), kBlue);

    // 4 bits whose colours-used field (2) is shorter than the 16 entries present.
    std::vector<ColorRef> sixteen(16, kGreen);
    sixteen[0] = kRed;
    Bitmap nibbles = DecodeBmp(BuildBmp({.width = 3, .bits = 4, .colorsUsed = 2, .table = sixteen,
                                         .pixels = {0x01, 0x50, 0, 0}}));
    EXPECT_EQ(nibbles.Format(), PixelFormat::Bits4);
    EXPECT_EQ(Colors(nibbles), (std::vector<ColorRef>{kRed, kGreen, kBlack}));
}

TEST(BmpReader, SixteenBitMasks)
{
    // Default 5-5-5; narrow channels scale so that full scale is 255.
    Bitmap plain = DecodeBmp(BuildBmp({.width = 4, .bits = 16,
                                       .pixels = {0xFF, 0x7F, 0x00, 0x7C, 0xE0, 0x03, 0x01, 0x00}}));
    EXPECT_EQ(plain.Format(), PixelFormat::Bits24);
    EXPECT_EQ(Colors(plain), (std::vector<ColorRef>{kWhite, kRed, kGreen, MakeColor(0, 0, 8)}));

    // 5-6-5 with the masks after a 40-byte header or inside a 108-byte one.
    const Bytes pixels565 = {0xFF, 0xFF, 0x00, 0xF8, 0xE0, 0x07, 0x21, 0x00};
    const std::vector<ColorRef> expected565 = {kWhite, kRed, kGreen, MakeColor(0, 4, 8)};
    for (std::uint32_t headerSize : {40u, 108u})
        EXPECT_EQ(Colors(DecodeBmp(BuildBmp({.headerSize = headerSize, .width = 4, .bits = 16,
                                             .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
                                             .pixels = pixels565}))),
                  expected565)
            << headerSize;

    // Alpha bit fields (1-5-5-5): the alpha bit is ignored.
    Bitmap alpha = DecodeBmp(BuildBmp({.width = 2, .bits = 16, .compression = 6,
                                       .masks = {0x7C00, 0x03E0, 0x001F, 0x8000},
                                       .pixels = {0xFF, 0xFF, 0x00, 0x80}}));
    EXPECT_EQ(Colors(alpha), (std::vector<ColorRef>{kWhite, kBlack}));
}

TEST(BmpReader, ThirtyTwoBitMasksIgnoreAlpha)
{
    Bitmap plain = DecodeBmp(BuildBmp({.bits = 32, .pixels = {30, 20, 10, 0x7F}}));
    EXPECT_EQ(plain.Pixel(0, 0), MakeColor(10, 20, 30));

    // Byte order red, green, blue, alpha, with the masks inside a 56-byte header.
    Bitmap rgba = DecodeBmp(BuildBmp({.headerSize = 56, .bits = 32, .compression = 3,
                                      .masks = {0xFF, 0xFF00, 0xFF0000, 0xFF000000},
                                      .pixels = {10, 20, 30, 40}}));
    EXPECT_EQ(rgba.Pixel(0, 0), MakeColor(10, 20, 30));

    // 10-bit channels keep their high 8 bits.
    std::uint32_t wide = 1023u << 20 | 512u << 10 | 4u;
    Bitmap tenBit = DecodeBmp(BuildBmp({.bits = 32, .compression = 3,
                                        .masks = {0x3FF00000, 0x000FFC00, 0x000003FF},
                                        .pixels = Bytes{std::uint8_t(wide), std::uint8_t(wide >> 8),
                                                        std::uint8_t(wide >> 16),
                                                        std::uint8_t(wide >> 24)}}));
    EXPECT_EQ(tenBit.Pixel(0, 0), MakeColor(255, 128, 1));
}

TEST(BmpReader, RowOrderAndHeaderSizes)
{
    const Bytes rows = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0};  // red green | blue black
    EXPECT_EQ(Colors(DecodeBmp(BuildBmp({.width = 2, .height = 2, .pixels = rows}))),
              (std::vector<ColorRef>{kBlue, kBlack, kRed, kGreen}));
    EXPECT_EQ(Colors(DecodeBmp(BuildBmp({.width = 2, .height = -2, .pixels = rows}))),
              (std::vector<ColorRef>{kRed, kGreen, kBlue, kBlack}));
    for (std::uint32_t headerSize : {12u, 40u, 52u, 56u, 108u, 124u})
        EXPECT_EQ(DecodeBmp(BuildBmp({.headerSize = headerSize, .pixels = {1, 2, 3, 0}})).Pixel(0, 0),
                  MakeColor(3, 2, 1))
            << headerSize;
}

TEST(BmpReader, RunLengthEightBit)
{
    // Bottom row: a run, a delta over one pixel, a single pixel, end of line.
    // Middle row: an odd literal with its pad byte, then a delta to the top
    // row's last pixel. Pixels never reached stay index 0.
    const Bytes stream = {2, 1, 0, 2, 1, 0, 1, 3, 0, 0,
                          0, 3, 2, 3, 1, 0, 0, 2, 0, 1,
                          1, 2, 0, 1};
    Bitmap b = DecodeBmp(BuildBmp({.width = 4, .height = 3, .bits = 8, .compression = 1,
                                   .table = {kWhite, kRed, kGreen, kBlue}, .pixels = stream}));
    EXPECT_EQ(b.Format(), PixelFormat::Bits8);
    EXPECT_EQ(Indexes(b), (std::vector<int>{0, 0, 0, 2, 2, 3, 1, 0, 1, 1, 0, 3}));

    // Data may end without end-of-bitmap once every row is complete.
    Bitmap open = DecodeBmp(BuildBmp({.width = 1, .height = 2, .bits = 8, .compression = 1,
                                      .table = {kWhite, kRed}, .pixels = {1, 1, 0, 0, 1, 1, 0, 0}}));
    EXPECT_EQ(Colors(open), (std::vector<ColorRef>{kRed, kRed}));
}

TEST(BmpReader, RunLengthFourBit)
{
    // Bottom row: delta of two, then a run alternating the two nibbles.
    // Top row: an odd-length literal of five nibbles, padded to a word.
    const Bytes stream = {0, 2, 2, 0, 3, 0x67, 0, 0, 0, 5, 0x12, 0x34, 0x50, 0, 0, 1};
    Bitmap b = DecodeBmp(BuildBmp({.width = 5, .height = 2, .bits = 4, .compression = 2,
                                   .table = std::vector<ColorRef>(8, kRed), .pixels = stream}));
    EXPECT_EQ(b.Format(), PixelFormat::Bits4);
    EXPECT_EQ(Indexes(b), (std::vector<int>{1, 2, 3, 4, 5, 0, 0, 6, 7, 6}));
}

// The suite's BMPs are 32-bit files with an alpha channel, which the reader
// ignores. They store straight (not premultiplied) colour, so every pixel
// with alpha above 0 must match the expected colour exactly. Where alpha is
// 0 the colour carries no meaning (some files hold black there while the
// expected pixels hold the image's transparent colour), so it is skipped.
TEST(BmpReader, MatchesTheExpectedPixelsOfTheSuite)
{
    TESSOLO_REQUIRE_TESTDATA(dir);
    const auto suite = dir / "pngsuite";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(suite / "bmp")) {
        const std::string stem = entry.path().stem().string();
        auto expectedPath = suite / "json" / (stem + "_to8.json");
        if (!std::filesystem::exists(expectedPath))
            expectedPath = suite / "json" / (stem + ".json");
        std::vector<int> expected = test::ExpectedSamples(expectedPath);
        // A few files list 16-bit samples only; their 8-bit value is the high byte.
        if (!expected.empty() && *std::max_element(expected.begin(), expected.end()) > 255)
            for (int& v : expected)
                v >>= 8;

        Bitmap b = LoadBmpFile(entry.path().string());
        EXPECT_TRUE(test::CompareRowReading([&] { return b; }, [&](const SourceRows& rows) {
                        LoadBmpSourceRows(entry.path().string(), rows);
                    }).sameRows)
            << stem << ": rows";
        ASSERT_EQ(expected.size(), std::size_t(b.Width()) * std::size_t(b.Height()) * 4) << stem;
        int mismatches = 0;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x) {
                const int* e = &expected[(std::size_t(y) * std::size_t(b.Width()) + std::size_t(x)) * 4];
                if (e[3] > 0 && b.Pixel(x, y) != MakeColor(std::uint8_t(e[0]), std::uint8_t(e[1]),
                                                           std::uint8_t(e[2])))
                    ++mismatches;
            }
        EXPECT_EQ(mismatches, 0) << stem;
        ++files;
    }
    EXPECT_GE(files, 150);
}

}  // namespace
}  // namespace tessolo
