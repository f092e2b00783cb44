// The decoder: header checks, inflation across IDAT chunks, row filters,
// Adam7 and the storage of every sample kind.
#include "codecs/png/pngimage.h"
#include "png_test_files.h"
#include "support/memory_limit.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

using test::Chunk;
using test::Deflate;
using test::Ihdr;
using test::PngFile;
using test::SimplePng;

TPNGObject& Load(TPNGObject& png, const Bytes& file)
{
    png.LoadFromStream(file);
    return png;
}

Bytes GammaChunk(std::uint32_t g)
{
    return Chunk("gAMA", {std::uint8_t(g >> 24), std::uint8_t(g >> 16), std::uint8_t(g >> 8), std::uint8_t(g)});
}

TEST(PngDecoder, HeaderValuesOutsideTheFormatAreRefused)
{
    struct Case {
        std::uint32_t w, h;
        int depth, type;
    };
    // Width/height 0 and type/depth pairs without a storage class.
    for (Case c : {Case{0, 1, 8, 0}, Case{1, 0, 8, 0}, Case{1, 1, 8, 5}, Case{1, 1, 4, 2}, Case{1, 1, 16, 3},
                   Case{1, 1, 2, 4}, Case{1, 1, 3, 0}, Case{1, 1, 0, 6}}) {
        TPNGObject png;
        EXPECT_THROW(png.LoadFromStream(SimplePng(c.w, c.h, c.depth, c.type, {0, 0, 0, 0})), EPNGInvalidHeaderValues)
            << c.w << "x" << c.h << " depth " << c.depth << " type " << c.type;
    }
    TPNGObject png;
    EXPECT_THROW(png.LoadFromStream(PngFile({Ihdr(0x80000000u, 1, 8, 0)})), EPNGSizeExceeds);
    EXPECT_THROW(png.LoadFromStream(PngFile({Ihdr(1, 0x80000000u, 8, 0)})), EPNGSizeExceeds);
    // 65535 x 65535 RGBA would need about 16 GiB.
    EXPECT_THROW(png.LoadFromStream(SimplePng(65535, 65535, 8, 6, {0})), EPNGImageTooLarge);
    Bytes bad = Ihdr(1, 1, 8, 0);
    bad[8 + 10] = 1;  // compression method
    EXPECT_THROW(png.LoadFromStream(PngFile({Chunk("IHDR", Bytes(bad.begin() + 8, bad.end() - 4))})),
                 EPNGUnknownCompression);
    bad[8 + 10] = 0;
    bad[8 + 12] = 2;  // interlace method
    EXPECT_THROW(png.LoadFromStream(PngFile({Chunk("IHDR", Bytes(bad.begin() + 8, bad.end() - 4))})),
                 EPNGUnknownInterlace);
}

TEST(PngDecoder, GammaChunkAppliesToColours)
{
    Bytes raw = {0, 128, 64, 0};
    TPNGObject plain, corrected;
    Load(plain, SimplePng(1, 1, 8, 2, raw));
    Load(corrected, SimplePng(1, 1, 8, 2, raw, {GammaChunk(100000)}));
    EXPECT_EQ(plain.GetPixels(0, 0), MakeColor(128, 64, 0));
    EXPECT_EQ(corrected.GetPixels(0, 0), MakeColor(186, 136, 0));
    // The inverse table maps displayed values back.
    EXPECT_EQ(corrected.InverseGamma[186], 128);
}

TEST(PngDecoder, ImageDataAcrossSeveralChunks)
{
    // 3 x 3 RGB, rows with different filters.
    Bytes raw = {1, 10, 20, 30, 5, 5, 5, 1, 1, 1,  2, 1, 1, 1, 2, 2, 2, 3, 3, 3,  0, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    Bytes packed = Deflate(raw);
    TPNGObject one;
    Load(one, SimplePng(3, 3, 8, 2, raw));

    // Split in the middle of a row, with an empty IDAT in between.
    std::size_t cut = packed.size() / 2;
    Bytes split = PngFile({Ihdr(3, 3, 8, 2), Chunk("IDAT", Bytes(packed.begin(), packed.begin() + std::ptrdiff_t(cut))),
                           Chunk("IDAT", {}), Chunk("IDAT", Bytes(packed.begin() + std::ptrdiff_t(cut), packed.end())),
                           Chunk("IEND", {})});
    TPNGObject two;
    Load(two, split);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(two.GetPixels(x, y), one.GetPixels(x, y)) << x << "," << y;
    EXPECT_EQ(one.GetPixels(1, 0), MakeColor(15, 25, 35));   // Sub
    EXPECT_EQ(one.GetPixels(0, 1), MakeColor(11, 21, 31));   // Up

    // Image complete in the first chunk; the second holds only the tail.
    Bytes tail = PngFile({Ihdr(3, 3, 8, 2), Chunk("IDAT", Bytes(packed.begin(), packed.end() - 4)),
                          Chunk("IDAT", Bytes(packed.end() - 4, packed.end())), Chunk("IEND", {})});
    TPNGObject three;
    EXPECT_NO_THROW(Load(three, tail));
    EXPECT_EQ(three.GetPixels(2, 2), one.GetPixels(2, 2));

    // Rows still missing when IEND comes.
    Bytes missing = PngFile({Ihdr(3, 3, 8, 2), Chunk("IDAT", Bytes(packed.begin(), packed.begin() + std::ptrdiff_t(cut))),
                             Chunk("IEND", {})});
    TPNGObject four;
    EXPECT_THROW(Load(four, missing), EPNGMissingMultipleIDAT);

    // A damaged CRC on the second IDAT chunk.
    Bytes badCrc = split;
    badCrc.at(badCrc.size() - 13) ^= 1;  // last byte of the last IDAT's CRC
    TPNGObject five;
    EXPECT_THROW(Load(five, badCrc), EPngInvalidCRC);
}

TEST(PngDecoder, DamagedCompressedData)
{
    TPNGObject png;
    EXPECT_THROW(Load(png, PngFile({Ihdr(1, 1, 8, 0), Chunk("IDAT", {0x78, 0x9C, 0xFF, 0xFF}), Chunk("IEND", {})})),
                 EPNGZLIBError);
    // A stream asking for a preset dictionary cannot be decoded.
    try {
        Load(png, PngFile({Ihdr(1, 1, 8, 0), Chunk("IDAT", {0x78, 0xBB, 0, 0, 0, 1, 3, 0}), Chunk("IEND", {})}));
        ADD_FAILURE() << "loaded";
    } catch (const EPNGZLIBError& e) {
        EXPECT_NE(std::string(e.what()).find("need dictionary (2)"), std::string::npos) << e.what();
    }
    // A stream that ends early leaves the rest zero; the CRC still matches.
    Bytes raw = {0, 200, 0, 201};
    EXPECT_NO_THROW(Load(png, SimplePng(1, 3, 8, 0, raw)));
    EXPECT_EQ(png.GetScanline(1)[0], 201);
    EXPECT_EQ(png.GetScanline(2)[0], 0);
    // A stream that inflates past the image stops at the image size.
    Bytes longer(4000, 0);
    EXPECT_NO_THROW(Load(png, SimplePng(1, 1, 8, 0, longer)));
    // A file cut inside the image data fails the CRC.
    Bytes file = SimplePng(4, 4, 8, 0, Bytes(20, 9));
    Bytes cut(file.begin(), file.begin() + 8 + 25 + 8 + 3);
    EXPECT_THROW(Load(png, cut), EPngInvalidCRC);
}

TEST(PngDecoder, FilterTypesIncludingUnknownOnes)
{
    // 4 x 2 gray; row 2 Average and Paeth checked against hand values.
    Bytes raw = {0, 10, 20, 30, 40,  3, 1, 1, 1, 1};
    TPNGObject png;
    Load(png, SimplePng(4, 2, 8, 0, raw));
    const std::uint8_t* row = png.GetScanline(1);
    // Average: 1 + 10/2 = 6; 1 + (6+20)/2 = 14; 1 + (14+30)/2 = 23; 1 + (23+40)/2 = 32.
    EXPECT_EQ(std::vector<int>(row, row + 4), (std::vector<int>{6, 14, 23, 32}));
    raw[5] = 4;  // Paeth: left/up/upper-left
    Load(png, SimplePng(4, 2, 8, 0, raw));
    row = png.GetScanline(1);
    EXPECT_EQ(std::vector<int>(row, row + 4), (std::vector<int>{11, 21, 31, 41}));
    raw[5] = 7;  // unknown: taken unfiltered
    Load(png, SimplePng(4, 2, 8, 0, raw));
    row = png.GetScanline(1);
    EXPECT_EQ(std::vector<int>(row, row + 4), (std::vector<int>{1, 1, 1, 1}));
}

TEST(PngDecoder, Adam7MatchesNonInterlaced)
{
    // 3 x 3 RGB: pass rows 1 (x0,y0), 2 empty, 3 none, 4 (x2,y0), 5 (x0,x2 @y2), 6 (x1 @y0,y2), 7 (all @y1).
    auto color = [](int x, int y) { return std::array<std::uint8_t, 3>{std::uint8_t(10 * x + 1), std::uint8_t(10 * y + 2), 99}; };
    Bytes flat;
    for (int y = 0; y < 3; ++y) {
        flat.push_back(0);
        for (int x = 0; x < 3; ++x)
            for (auto v : color(x, y))
                flat.push_back(v);
    }
    auto pass = [&](std::vector<std::pair<int, int>> pixels) {
        Bytes row = {0};
        for (auto [x, y] : pixels)
            for (auto v : color(x, y))
                row.push_back(v);
        return row;
    };
    Bytes interlaced = test::Concat({pass({{0, 0}}), pass({{2, 0}}), pass({{0, 2}, {2, 2}}),
                                     pass({{1, 0}}), pass({{1, 2}}), pass({{0, 1}, {1, 1}, {2, 1}})});
    TPNGObject a, b;
    Load(a, SimplePng(3, 3, 8, 2, flat));
    Load(b, SimplePng(3, 3, 8, 2, interlaced, {}, 1));
    EXPECT_EQ(b.InterlaceMethod, TInterlaceMethod::imAdam7);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(b.GetPixels(x, y), a.GetPixels(x, y)) << x << "," << y;

    TPNGObject single;
    Load(single, SimplePng(1, 1, 8, 2, {0, 1, 2, 3}, {}, 1));
    EXPECT_EQ(single.GetPixels(0, 0), MakeColor(1, 2, 3));
}

TEST(PngDecoder, SampleStorage)
{
    // 2-bit gray 3,1,0,2 -> 4-bit raster 15,5,0,10 with a 16-entry ramp.
    TPNGObject gray2;
    Load(gray2, SimplePng(4, 1, 2, 0, {0, 0b11010010}));
    EXPECT_EQ(gray2.GetScanline(0)[0], 0xF5);
    EXPECT_EQ(gray2.GetScanline(0)[1], 0x0A);
    EXPECT_EQ(gray2.GetPixels(0, 0), MakeColor(255, 255, 255));
    EXPECT_EQ(gray2.GetPixels(1, 0), MakeColor(85, 85, 85));

    // 2-bit palette indices widen to 4 bits.
    TPNGObject pal2;
    Load(pal2, SimplePng(4, 1, 2, 3, {0, 0b11010010}, {Chunk("PLTE", Bytes(12, 0))}));
    EXPECT_EQ(pal2.GetScanline(0)[0], 0x31);
    EXPECT_EQ(pal2.GetScanline(0)[1], 0x02);

    // 16-bit RGB: high bytes in the raster, low bytes in the extra plane.
    TPNGObject rgb16;
    Load(rgb16, SimplePng(1, 1, 16, 2, {0, 0x12, 0x34, 0xAB, 0xCD, 0x00, 0xFF}));
    EXPECT_EQ(rgb16.GetPixels(0, 0), MakeColor(0x12, 0xAB, 0x00));
    const std::uint8_t* extra = rgb16.GetExtraScanline(0);
    EXPECT_EQ(extra[2], 0x34);  // red low byte, stored blue-green-red
    EXPECT_EQ(extra[0], 0xFF);

    // Gray + alpha 16: gray high byte, alpha high byte.
    TPNGObject ga16;
    Load(ga16, SimplePng(1, 1, 16, 4, {0, 0x80, 0x01, 0x40, 0x02}));
    EXPECT_EQ(ga16.GetScanline(0)[0], 0x80);
    EXPECT_EQ(ga16.GetExtraScanline(0)[0], 0x01);
    EXPECT_EQ(ga16.GetAlphaScanline(0)[0], 0x40);

    // Pixel access outside the image.
    EXPECT_EQ(ga16.GetPixels(5, 0), 0u);
    ga16.SetPixels(-1, 0, kWhite);
}

TEST(PngDecoder, ResizeKeepsTheTopLeftPart)
{
    TPNGObject png;
    Load(png, SimplePng(2, 2, 8, 6, {0, 1, 2, 3, 40, 5, 6, 7, 80,  0, 9, 9, 9, 90, 8, 8, 8, 100}));
    png.Resize(3, 1);
    EXPECT_EQ(png.GetWidth(), 3);
    EXPECT_EQ(png.GetHeight(), 1);
    EXPECT_EQ(png.GetPixels(1, 0), MakeColor(5, 6, 7));
    EXPECT_EQ(png.GetPixels(2, 0), 0u);
    EXPECT_EQ(png.GetAlphaScanline(0)[1], 80);
    EXPECT_EQ(png.GetAlphaScanline(0)[2], 255);
    EXPECT_THROW(png.Resize(0, 5), EPNGInvalidNewSize);

    // Packed rows: bits beyond the old width are cleared.
    TPNGObject bits;
    Load(bits, SimplePng(3, 1, 1, 0, {0, 0xFF}));
    bits.SetWidth(8);
    EXPECT_EQ(bits.GetScanline(0)[0], 0xE0);
}

TEST(PngDecoder, ImagesWiderThanSixteenBitsLoad)
{
    // Sheets of long strips pass 65535 pixels; they must load to be packed again.
    Bitmap sheet(70000, 2);
    sheet.SetPixel(69999, 1, MakeColor(1, 2, 3));
    TPNGObject written;
    written.Assign(sheet);
    Bytes file;
    written.SaveToStream(file);
    TPNGObject png;
    Load(png, file);
    EXPECT_EQ(png.GetWidth(), 70000);
    EXPECT_EQ(png.GetPixels(69999, 1), MakeColor(1, 2, 3));
    EXPECT_EQ(png.GetPixels(69998, 1), kWhite);

    TPNGObject tall;
    Load(tall, SimplePng(1, 70000, 1, 0, Bytes(2 * 70000, 0)));
    EXPECT_EQ(tall.GetHeight(), 70000);
}

TEST(PngDecoder, FailedHeaderLeavesAnEmptyObject)
{
    Bytes compression = Ihdr(4, 4, 8, 2);
    compression[8 + 10] = 1;
    Bytes interlace = Ihdr(4, 4, 8, 2);
    interlace[8 + 12] = 7;
    const std::vector<Bytes> headers = {
        PngFile({Ihdr(65535, 65535, 8, 6)}),  // too large
        PngFile({Chunk("IHDR", Bytes(compression.begin() + 8, compression.end() - 4))}),
        PngFile({Chunk("IHDR", Bytes(interlace.begin() + 8, interlace.end() - 4))}),
        PngFile({Ihdr(4, 4, 3, 2)}),  // depth
    };
    for (const Bytes& file : headers) {
        TPNGObject png;
        EXPECT_THROW(png.LoadFromStream(file), Error);
        EXPECT_TRUE(png.GetEmpty());
        Bitmap canvas(2, 2);
        png.Draw(canvas, {0, 0, 2, 2});
        EXPECT_EQ(canvas.Pixel(1, 1), kWhite);
        EXPECT_THROW(png.GetPixels(0, 0), EPNGHeaderNotPresent);
        Bitmap copy;
        EXPECT_THROW(png.AssignTo(copy), EPNGHeaderNotPresent);
    }
}

TEST(PngDecoder, RowBuffersCountAgainstTheCap)
{
    TESSOLO_SKIP_UNDER_ASAN();
    // 100 million RGBA pixels of 16 bits in one row: the image takes 700 MB,
    // its two filtered rows 1.6 GB more. Refused before either is allocated.
    Bytes file = PngFile({Ihdr(100000000, 1, 16, 6)});
    int result = test::RunWithMemoryAllowance(256 << 20, [&] {
        try {
            TPNGObject png;
            png.LoadFromStream(file);
        } catch (const EPNGImageTooLarge&) {
            return 0;
        }
        return 1;
    });
    EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace tessolo
