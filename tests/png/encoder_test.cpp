// The encoder: chunk sequence, row layout, IDAT splitting, the filter
// choice, and round trips read back by our decoder and by libpng.
#include "codecs/png/png_codec.h"
#include "codecs/png/pngimage.h"
#include "png_test_files.h"

#include <gtest/gtest.h>

#include <random>

namespace tessolo {
namespace {

using test::Chunk;
using test::ListChunks;
using test::SimplePng;

Bitmap Pattern(int w, int h)
{
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, MakeColor(std::uint8_t(x * 7), std::uint8_t(y * 11), std::uint8_t((x ^ y) * 5)));
    return b;
}

Bytes Save(TPNGObject& png)
{
    Bytes out;
    png.SaveToStream(out);
    return out;
}

// All IDAT data of a file, inflated.
Bytes ImageData(const Bytes& file)
{
    Bytes packed;
    for (const auto& c : ListChunks(file))
        if (c.type == "IDAT")
            packed.insert(packed.end(), c.data.begin(), c.data.end());
    return test::Inflate(packed);
}

std::vector<std::string> Types(const Bytes& file)
{
    std::vector<std::string> types;
    for (const auto& c : ListChunks(file))
        types.push_back(c.type);
    return types;
}

TEST(PngEncoder, SheetLayoutNonInterlacedAndAdam7)
{
    TPNGObject png;
    png.Assign(Pattern(3, 2));
    Bytes file = Save(png);
    EXPECT_EQ(Types(file), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    Bytes ihdr = ListChunks(file)[0].data;
    EXPECT_EQ(ihdr, (Bytes{0, 0, 0, 3, 0, 0, 0, 2, 8, 2, 0, 0, 0}));
    Bytes rows = ImageData(file);
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0], pfSub);
    EXPECT_EQ(rows[10], pfSub);
    // Sub of pixel 1 red: 7 - 0.
    EXPECT_EQ(rows[1 + 3], 7);

    png.InterlaceMethod = TInterlaceMethod::imAdam7;
    file = Save(png);
    EXPECT_EQ(ListChunks(file)[0].data[12], 1);
    // Passes 1, 4, 6 and 7 have rows: 1 + 3, 1 + 3, 1 + 3 and 1 + 9 bytes.
    EXPECT_EQ(ImageData(file).size(), 22u);

    TPNGObject single;
    single.Assign(Pattern(1, 1));
    single.InterlaceMethod = TInterlaceMethod::imAdam7;
    EXPECT_EQ(ImageData(Save(single)).size(), 4u);
}

TEST(PngEncoder, ImageDataIsSplitIntoFullChunks)
{
    Bitmap noise(400, 300);
    std::mt19937 random(7);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            noise.SetPixel(x, y, random() & 0xFFFFFF);
    TPNGObject png;
    png.Assign(noise);
    png.CompressionLevel = 0;
    Bytes file = Save(png);
    auto chunks = ListChunks(file);
    ASSERT_GE(chunks.size(), 5u);
    EXPECT_EQ(chunks.front().type, "IHDR");
    EXPECT_EQ(chunks.back().type, "IEND");
    std::size_t total = 0;
    for (std::size_t i = 1; i + 1 < chunks.size(); ++i) {
        ASSERT_EQ(chunks[i].type, "IDAT");
        if (i + 2 < chunks.size()) {
            EXPECT_EQ(chunks[i].data.size(), 65535u) << "chunk " << i;
        }
        total += chunks[i].data.size();
    }
    EXPECT_GT(chunks[chunks.size() - 2].data.size(), 0u);
    EXPECT_EQ((total + 65534) / 65535, chunks.size() - 2);

    png.SetMaxIdatSize(100000);
    chunks = ListChunks(Save(png));
    EXPECT_EQ(chunks[1].data.size(), 100000u);
}

TEST(PngEncoder, FilterChoice)
{
    auto filterBytes = [](TPNGObject& png, std::size_t rowSize) {
        Bytes rows = ImageData(Save(png));
        std::vector<int> filters;
        for (std::size_t i = 0; i < rows.size(); i += rowSize + 1)
            filters.push_back(rows[i]);
        return filters;
    };
    // All black, every filter allowed: all outputs equal, None visited first.
    TPNGObject black(0, 8, 6, 3);
    black.Filters = kAllFilters;
    EXPECT_EQ(filterBytes(black, 6), (std::vector<int>{0, 0, 0}));
    // Up alone is used for every row, the first included, without scoring.
    black.Filters = FilterSet(pfUp);
    EXPECT_EQ(filterBytes(black, 6), (std::vector<int>{2, 2, 2}));
    // Rows of 2 bytes score 0 for every filter: None even when not allowed.
    TPNGObject narrow(0, 8, 2, 2);
    narrow.Filters = FilterSet(pfSub) | FilterSet(pfUp);
    EXPECT_EQ(filterBytes(narrow, 2), (std::vector<int>{0, 0}));
    // A gradient repeats under Sub (Paeth ties with it and comes later).
    TPNGObject ramp(0, 8, 8, 1);
    for (int x = 0; x < 8; ++x)
        ramp.GetScanline(0)[x] = std::uint8_t(x * 9);
    ramp.Filters = kAllFilters;
    EXPECT_EQ(filterBytes(ramp, 8), (std::vector<int>{1}));
    // An irregular row scores 0 everywhere (None); the same row again makes
    // Up all zero.
    TPNGObject twice(0, 8, 8, 2);
    const std::uint8_t irregular[8] = {3, 50, 7, 200, 1, 90, 33, 120};
    for (int y = 0; y < 2; ++y)
        std::copy(irregular, irregular + 8, twice.GetScanline(y));
    twice.Filters = kAllFilters;
    EXPECT_EQ(filterBytes(twice, 8), (std::vector<int>{0, 2}));
    // Empty set: None.
    twice.Filters = 0;
    EXPECT_EQ(filterBytes(twice, 8), (std::vector<int>{0, 0}));
}

TEST(PngEncoder, RoundTripsAtEveryLevelAndInterlace)
{
    Bitmap sheet = Pattern(37, 23);
    for (int level = 0; level <= 9; ++level)
        for (int interlace = 0; interlace <= 1; ++interlace) {
            SCOPED_TRACE("level " + std::to_string(level) + " interlace " + std::to_string(interlace));
            Bytes file = EncodePngSheet(sheet, {.level = level, .interlace = interlace == 1});
            EXPECT_EQ(ListChunks(file)[0].data[12], interlace);
            TPNGObject ours;
            ours.LoadFromStream(file);
            test::Rgba reference = test::ReadPng(file);
            ASSERT_EQ(reference.width, 37);
            ASSERT_EQ(reference.height, 23);
            for (int y = 0; y < 23; ++y)
                for (int x = 0; x < 37; ++x) {
                    ColorRef want = sheet.Pixel(x, y);
                    ASSERT_EQ(ours.GetPixels(x, y), want) << x << "," << y;
                    const std::uint8_t* p = &reference.pixels[(std::size_t(y) * 37 + std::size_t(x)) * 4];
                    ASSERT_EQ(MakeColor(p[0], p[1], p[2]), want) << x << "," << y;
                    ASSERT_EQ(p[3], 255);
                }
        }
}

// The sheet encoder reads the sheet's rows itself; its files must be those of
// the sheet assigned to an image and saved, byte for byte: RGB, RGB + alpha,
// 32 bits without alpha, rows of noise long enough for several IDAT chunks.
TEST(PngEncoder, SheetFilesAreThoseOfTheAssignedImage)
{
    std::mt19937 random(7);
    Bitmap noise(211, 157, PixelFormat::Bits32);
    for (int y = 0; y < noise.Height(); ++y)
        for (int x = 0; x < 4 * noise.Width(); ++x)
            noise.ScanLine(y)[x] = std::uint8_t(random());
    Bitmap translucent = noise;
    translucent.HasAlpha = true;
    translucent.Transparent = true;  // alpha wins over a colour key
    for (const Bitmap& sheet : {Pattern(37, 23), noise.ConvertTo(PixelFormat::Bits24), noise, translucent})
        for (int level : {0, 6, 9})
            for (bool interlace : {false, true}) {
                SCOPED_TRACE(std::to_string(BitsPerPixel(sheet.Format())) + " bits, alpha " +
                             std::to_string(sheet.HasAlpha) + ", level " + std::to_string(level) +
                             ", interlace " + std::to_string(interlace));
                TPNGObject png;
                png.Assign(sheet);
                png.CompressionLevel = level;
                png.InterlaceMethod = interlace ? TInterlaceMethod::imAdam7 : TInterlaceMethod::imNone;
                EXPECT_EQ(EncodePngSheet(sheet, {.level = level, .interlace = interlace}), Save(png));
            }
}

TEST(PngEncoder, SheetWithoutPixelsHasNoPngForm)
{
    EXPECT_TRUE(EncodePngSheet(Bitmap(), {}).empty());
    EXPECT_TRUE(EncodePngSheet(Bitmap(0, 5), {}).empty());
}

TEST(PngEncoder, PaletteAndTransparentBitmaps)
{
    for (PixelFormat format : {PixelFormat::Bits1, PixelFormat::Bits4, PixelFormat::Bits8}) {
        int bits = BitsPerPixel(format);
        SCOPED_TRACE(bits);
        Bitmap source = Pattern(13, 5).ConvertTo(format);
        for (int interlace = 0; interlace <= 1; ++interlace) {
            TPNGObject png;
            png.Assign(source);
            png.InterlaceMethod = TInterlaceMethod(interlace);
            Bytes file = Save(png);
            auto chunks = ListChunks(file);
            EXPECT_EQ(Types(file), (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
            EXPECT_EQ(chunks[0].data[8], bits);
            EXPECT_EQ(chunks[0].data[9], 3);
            EXPECT_EQ(chunks[1].data.size(), 3u << bits);
            test::Rgba reference = test::ReadPng(file);
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 13; ++x) {
                    const std::uint8_t* p = &reference.pixels[(std::size_t(y) * 13 + std::size_t(x)) * 4];
                    ASSERT_EQ(MakeColor(p[0], p[1], p[2]), source.Pixel(x, y)) << x << "," << y;
                }
        }
    }

    Bitmap rgb = Pattern(4, 4);
    rgb.Transparent = true;
    rgb.TransparentColor = rgb.Pixel(1, 2);
    TPNGObject png;
    png.Assign(rgb);
    Bytes file = Save(png);
    EXPECT_EQ(Types(file), (std::vector<std::string>{"IHDR", "tRNS", "IDAT", "IEND"}));
    EXPECT_EQ(ListChunks(file)[1].data.size(), 6u);
    test::Rgba reference = test::ReadPng(file);
    EXPECT_EQ(reference.pixels[(2 * 4 + 1) * 4 + 3], 0);
    EXPECT_EQ(reference.pixels[3], 255);

    // A palette bitmap marked with a colour its palette lacks gets no tRNS.
    Bitmap indexed = Pattern(4, 4).ConvertTo(PixelFormat::Bits1);
    indexed.Transparent = true;
    indexed.TransparentColor = MakeColor(1, 2, 3);
    TPNGObject noClear;
    noClear.Assign(indexed);
    EXPECT_EQ(Types(Save(noClear)), (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
}

TEST(PngEncoder, LoadedImagesSavedAgain)
{
    // 16-bit RGB keeps 8 significant bits: low bytes are written as 0.
    TPNGObject rgb16;
    rgb16.LoadFromStream(SimplePng(1, 1, 16, 2, {0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}));
    EXPECT_EQ(ImageData(Save(rgb16)), (Bytes{1, 0x12, 0, 0x56, 0, 0x9A, 0}));

    // A 2-bit palette image is written with 4 bits.
    TPNGObject pal2;
    pal2.LoadFromStream(SimplePng(4, 1, 2, 3, {0, 0b11010010}, {Chunk("PLTE", Bytes(12, 50))}));
    Bytes file = Save(pal2);
    EXPECT_EQ(ListChunks(file)[0].data[8], 4);
    EXPECT_EQ(ImageData(file), (Bytes{1, 0x31, 0x02 - 0x31 + 256}));

    // A gamma-corrected image comes back with the same displayed colours,
    // and its copy too.
    Bytes raw = {0, 128, 64, 30, 200, 100, 0};
    TPNGObject gamma;
    gamma.LoadFromStream(SimplePng(2, 1, 8, 2, raw, {Chunk("gAMA", {0, 1, 0x86, 0xA0})}));
    TPNGObject copy;
    copy.Assign(gamma);
    for (TPNGObject* source : {&gamma, &copy}) {
        TPNGObject back;
        back.LoadFromStream(Save(*source));
        EXPECT_EQ(back.GetPixels(0, 0), gamma.GetPixels(0, 0));
        EXPECT_EQ(back.GetPixels(1, 0), gamma.GetPixels(1, 0));
    }
}

TEST(PngEncoder, TransparentSampleFollowsTheSamplesWhenSavedAgain)
{
    struct Case {
        const char* what;
        Bytes file;
    };
    // Each image: pixel 0 has the tRNS value, pixel 1 differs from it.
    const Case cases[] = {
        {"2-bit gray, written with 4 bits", SimplePng(2, 1, 2, 0, {0, 0b10010000}, {Chunk("tRNS", {0, 2})})},
        {"16-bit gray", SimplePng(2, 1, 16, 0, {0, 0x12, 0x34, 0x56, 0x78}, {Chunk("tRNS", {0x12, 0x34})})},
        {"16-bit RGB", SimplePng(2, 1, 16, 2, {0, 1, 2, 3, 4, 5, 6, 9, 9, 9, 9, 9, 9},
                                 {Chunk("tRNS", {1, 2, 3, 4, 5, 6})})},
        {"RGB with gamma", SimplePng(2, 1, 8, 2, {0, 7, 100, 201, 7, 100, 200},
                                     {Chunk("gAMA", {0, 1, 0x86, 0xA0}), Chunk("tRNS", {0, 7, 0, 100, 0, 201})})},
    };
    for (const Case& c : cases) {
        TPNGObject png;
        png.LoadFromStream(c.file);
        test::Rgba back = test::ReadPng(Save(png));
        ASSERT_EQ(back.pixels.size(), 8u) << c.what;
        EXPECT_EQ(back.pixels[3], 0) << c.what;
        EXPECT_EQ(back.pixels[7], 255) << c.what;
        EXPECT_EQ(png.GetTransparentColor(), png.GetPixels(0, 0)) << c.what;
    }
}

}  // namespace
}  // namespace tessolo
