// Transparency modes, drawing with bit and alpha transparency, and the
// conversion to our bitmap.
#include "codecs/png/png_codec.h"
#include "codecs/png/pngimage.h"
#include "platform/alpha.h"
#include "platform/files.h"
#include "png_test_files.h"
#include "support/memory_limit.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

using test::Chunk;
using test::SimplePng;

constexpr ColorRef kRed = MakeColor(255, 0, 0);

TPNGObject& Load(TPNGObject& png, const Bytes& file)
{
    png.LoadFromStream(file);
    return png;
}

// 2 x 1 RGB: black, then (10, 20, 30); tRNS makes (10, 20, 30) transparent.
Bytes RgbWithTrns()
{
    return SimplePng(2, 1, 8, 2, {0, 0, 0, 0, 10, 20, 30}, {Chunk("tRNS", {0, 10, 0, 20, 0, 30})});
}

// 4 x 1 palette image, indices 0..3, with the given tRNS alphas.
Bytes PaletteWithAlpha(const Bytes& alphas)
{
    Bytes plte = {10, 10, 10, 200, 0, 0, 0, 200, 0, 0, 0, 200};
    return SimplePng(4, 1, 8, 3, {0, 0, 1, 2, 3}, {Chunk("PLTE", plte), Chunk("tRNS", alphas)});
}

TEST(PngDrawing, TransparencyModes)
{
    TPNGObject png;
    EXPECT_EQ(Load(png, SimplePng(1, 1, 8, 2, {0, 1, 2, 3})).GetTransparencyMode(), TPNGTransparencyMode::ptmNone);
    EXPECT_EQ(Load(png, RgbWithTrns()).GetTransparencyMode(), TPNGTransparencyMode::ptmBit);
    EXPECT_EQ(png.GetTransparentColor(), MakeColor(10, 20, 30));
    EXPECT_EQ(Load(png, PaletteWithAlpha({255, 0})).GetTransparencyMode(), TPNGTransparencyMode::ptmBit);
    EXPECT_EQ(png.GetTransparentColor(), MakeColor(200, 0, 0));
    EXPECT_EQ(Load(png, PaletteWithAlpha({255, 0, 0})).GetTransparencyMode(), TPNGTransparencyMode::ptmPartial);
    // One half-transparent entry needs blending, not a transparent colour.
    EXPECT_EQ(Load(png, PaletteWithAlpha({255, 128})).GetTransparencyMode(), TPNGTransparencyMode::ptmPartial);
    EXPECT_EQ(Load(png, SimplePng(1, 1, 8, 6, {0, 1, 2, 3, 4})).GetTransparencyMode(),
              TPNGTransparencyMode::ptmPartial);
}

TEST(PngDrawing, BitTransparencyLeavesTheCanvas)
{
    TPNGObject png;
    Load(png, RgbWithTrns());
    Bitmap canvas(2, 1);
    canvas.SetPixel(1, 0, kRed);
    png.Draw(canvas, {0, 0, 2, 1});
    EXPECT_EQ(canvas.Pixel(0, 0), kBlack);
    EXPECT_EQ(canvas.Pixel(1, 0), kRed);

    Bitmap assigned;
    png.AssignTo(assigned);
    EXPECT_TRUE(assigned.Transparent);
    EXPECT_EQ(assigned.TransparentColor, MakeColor(10, 20, 30));
    EXPECT_EQ(assigned.Format(), PixelFormat::Bits24);
    EXPECT_EQ(assigned.Pixel(1, 0), kWhite);
}

TEST(PngDrawing, AlphaBlending)
{
    // Alpha 128, 0 and 255 over white and over red.
    TPNGObject png;
    Load(png, SimplePng(3, 1, 8, 6, {0, 200, 200, 200, 128, 9, 9, 9, 0, 200, 100, 50, 255}));
    Bitmap canvas(3, 1);
    png.Draw(canvas, {0, 0, 3, 1});
    EXPECT_EQ(canvas.Pixel(0, 0), MakeColor(227, 227, 227));
    EXPECT_EQ(canvas.Pixel(1, 0), kWhite);
    EXPECT_EQ(canvas.Pixel(2, 0), MakeColor(200, 100, 50));

    // Gray + alpha blends the gray for all three channels.
    Load(png, SimplePng(1, 1, 8, 4, {0, 200, 128}));
    Bitmap red(1, 1);
    red.SetPixel(0, 0, kRed);
    png.Draw(red, {0, 0, 1, 1});
    EXPECT_EQ(red.Pixel(0, 0), MakeColor(227, 100, 100));

    // 1-bit palette with partial tRNS: each pixel takes its index's alpha.
    Load(png, SimplePng(2, 1, 1, 3, {0, 0b01000000}, {Chunk("PLTE", {0, 0, 0, 0, 0, 200}), Chunk("tRNS", {255, 128})}));
    Bitmap white(2, 1);
    png.Draw(white, {0, 0, 2, 1});
    EXPECT_EQ(white.Pixel(0, 0), kBlack);
    EXPECT_EQ(white.Pixel(1, 0), MakeColor(127, 127, 227));

    // An index without a palette entry fails before the canvas changes.
    Load(png, PaletteWithAlpha({255, 0, 0}));
    png.Chunks.FindChunk<TChunkPLTE>()->SetCount(3);
    Bitmap untouched(4, 1);
    EXPECT_THROW(png.Draw(untouched, {0, 0, 4, 1}), EPngError);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(untouched.Pixel(x, 0), kWhite);
}

TEST(PngDrawing, ScaledAndOddRectangles)
{
    Bytes raw;
    for (int y = 0; y < 10; ++y) {
        raw.push_back(0);
        for (int x = 0; x < 10; ++x)
            raw.insert(raw.end(), {std::uint8_t(x * 20), std::uint8_t(y * 20), 7, 255});
    }
    TPNGObject png;
    Load(png, SimplePng(10, 10, 8, 6, raw));
    Bitmap canvas(20, 20);
    png.Draw(canvas, {0, 0, 20, 20});
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(canvas.Pixel(x, y), MakeColor(std::uint8_t(x / 2 * 20), std::uint8_t(y / 2 * 20), 7));

    Bitmap flipped(10, 10), normal(10, 10);
    png.Draw(flipped, {10, 10, 0, 0});
    png.Draw(normal, {0, 0, 10, 10});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(flipped.Pixel(x, y), normal.Pixel(x, y));

    Bitmap empty(4, 4);
    png.Draw(empty, {2, 0, 2, 4});
    png.Draw(empty, {-50, -50, -40, -40});
    EXPECT_EQ(empty.Pixel(2, 2), kWhite);
    // Partly off the canvas: the visible part is drawn.
    png.Draw(empty, {-5, -5, 5, 5});
    EXPECT_EQ(empty.Pixel(0, 0), MakeColor(100, 100, 7));
}

TEST(PngDrawing, AssignToPicksTheBitmapFormat)
{
    TPNGObject png;
    Bitmap out;
    Load(png, SimplePng(2, 1, 8, 3, {0, 1, 0}, {Chunk("PLTE", {1, 2, 3, 4, 5, 6})}));
    png.AssignTo(out);
    EXPECT_EQ(out.Format(), PixelFormat::Bits8);
    EXPECT_EQ(out.Pixel(0, 0), MakeColor(4, 5, 6));
    EXPECT_EQ(out.Pixel(1, 0), MakeColor(1, 2, 3));
    Load(png, SimplePng(2, 1, 4, 3, {0, 0x10}, {Chunk("PLTE", {1, 2, 3, 4, 5, 6})}));
    png.AssignTo(out);
    EXPECT_EQ(out.Format(), PixelFormat::Bits4);
    EXPECT_EQ(out.Pixel(0, 0), MakeColor(4, 5, 6));
    Load(png, SimplePng(9, 1, 1, 0, {0, 0x80, 0x80}));
    png.AssignTo(out);
    EXPECT_EQ(out.Format(), PixelFormat::Bits1);
    EXPECT_EQ(out.Pixel(8, 0), kWhite);
    Load(png, SimplePng(1, 1, 8, 0, {0, 77}));
    png.AssignTo(out);
    EXPECT_EQ(out.Format(), PixelFormat::Bits24);
    EXPECT_EQ(out.Pixel(0, 0), MakeColor(77, 77, 77));

    // RGBA: a fresh white bitmap, whatever the destination held before.
    Bitmap previous(1, 1);
    previous.SetPixel(0, 0, kRed);
    Load(png, SimplePng(1, 1, 8, 6, {0, 1, 2, 3, 0}));
    png.AssignTo(previous);
    EXPECT_EQ(previous.Format(), PixelFormat::Bits24);
    EXPECT_EQ(previous.Pixel(0, 0), kWhite);
}

TEST(PngDrawing, ChangingTransparency)
{
    TPNGObject png;
    Load(png, SimplePng(1, 1, 8, 6, {0, 1, 2, 3, 4}));
    EXPECT_THROW(png.SetTransparentColor(kRed), EPNGCannotChangeTransparent);
    png.RemoveTransparency();
    EXPECT_EQ(png.Header().IHDRData.ColorType, 2);
    EXPECT_FALSE(png.GetTransparent());

    Load(png, SimplePng(2, 1, 8, 2, {0, 1, 2, 3, 4, 5, 6}));
    png.SetTransparentColor(MakeColor(4, 5, 6));
    const auto* trns = png.Chunks.FindChunk<TChunktRNS>();
    ASSERT_NE(trns, nullptr);
    EXPECT_EQ(trns->DataSize(), 6u);
    EXPECT_EQ(png.GetTransparencyMode(), TPNGTransparencyMode::ptmBit);
    // CreateAlpha turns the transparent colour into alpha 0.
    png.CreateAlpha();
    EXPECT_EQ(png.Header().IHDRData.ColorType, 6);
    EXPECT_EQ(png.Chunks.FindChunk<TChunktRNS>(), nullptr);
    EXPECT_EQ(png.GetAlphaScanline(0)[0], 255);
    EXPECT_EQ(png.GetAlphaScanline(0)[1], 0);
    png.RemoveTransparency();
    EXPECT_EQ(png.Header().IHDRData.ColorType, 2);

    // Low-depth gray widens to 8 bits when it gains alpha.
    Load(png, SimplePng(4, 1, 2, 0, {0, 0b11010010}));
    png.CreateAlpha();
    EXPECT_EQ(png.Header().IHDRData.BitDepth, 8);
    EXPECT_EQ(png.GetPixels(1, 0), MakeColor(85, 85, 85));
    Bytes saved;
    png.SaveToStream(saved);
    EXPECT_EQ(test::ReadPng(saved).pixels[4], 85);

    Load(png, PaletteWithAlpha({255, 0}));
    png.CreateAlpha();
    trns = png.Chunks.FindChunk<TChunktRNS>();
    EXPECT_EQ(trns->DataSize(), 256u);
    EXPECT_EQ(trns->PaletteValues[1], 0);
    EXPECT_EQ(trns->PaletteValues[2], 255);
    EXPECT_EQ(png.GetTransparencyMode(), TPNGTransparencyMode::ptmPartial);
}

TEST(PngDrawing, TransparentSourcesKeepStraightAlphaAndOpaqueOnesRenderIn24Bits)
{
    test::TempDir dir;
    WriteFileReplacing(dir / "a.png", SimplePng(2, 1, 8, 6, {0, 0, 0, 0, 0, 10, 20, 30, 128}));
    Bitmap picture = LoadPngSource(dir / "a.png");
    ASSERT_EQ(picture.Format(), PixelFormat::Bits32);
    EXPECT_TRUE(picture.HasAlpha);
    EXPECT_EQ(picture.ScanLine(0)[3], 0);
    EXPECT_EQ(picture.Pixel(1, 0), MakeColor(10, 20, 30));
    EXPECT_EQ(picture.ScanLine(0)[7], 128);
    FlattenOverWhite(picture);
    EXPECT_EQ(picture.Pixel(0, 0), kWhite);
    EXPECT_EQ(picture.Pixel(1, 0), MakeColor(132, 137, 142));

    // A colour key becomes alpha 0, every other colour stays opaque.
    WriteFileReplacing(dir / "b.png", RgbWithTrns());
    picture = LoadPngSource(dir / "b.png");
    ASSERT_TRUE(picture.HasAlpha);
    EXPECT_FALSE(picture.Transparent);
    EXPECT_EQ(picture.Pixel(0, 0), kBlack);
    EXPECT_EQ(picture.ScanLine(0)[3], 255);
    EXPECT_EQ(picture.ScanLine(0)[7], 0);

    WriteFileReplacing(dir / "c.png", SimplePng(1, 1, 8, 2, {0, 1, 2, 3}));
    picture = LoadPngSource(dir / "c.png");
    EXPECT_EQ(picture.Format(), PixelFormat::Bits24);
    EXPECT_EQ(picture.Pixel(0, 0), MakeColor(1, 2, 3));
    EXPECT_THROW(LoadPngSource(dir / "missing.png"), FileOpenError);
}

// Loads a PNG source in a child allowed `allowance` bytes of memory: 0 for
// `expected` as its error, 1 when it loads.
int LoadSourceWithin(unsigned long long allowance, const std::string& path, const std::string& expected)
{
    return test::RunWithMemoryAllowance(allowance, [&] {
        try {
            LoadPngSource(path);
        } catch (const Error& e) {
            return e.what() == expected ? 0 : 2;
        }
        return 1;
    });
}

TEST(PngDrawing, SourcesBeyondTheRasterCapAreRefusedBeforeDecoding)
{
    TESSOLO_SKIP_UNDER_ASAN();
    // A gray image of 1 GB whose 24-bit drawing would take 3 GB.
    test::TempDir dir;
    WriteFileReplacing(dir / "huge.png", SimplePng(32000, 32000, 8, 0, {0}));
    EXPECT_EQ(LoadSourceWithin(256 << 20, dir / "huge.png", "Bitmap too large: the raster would need more than 1 GiB"),
              0);

    // 16000 x 16000 gray fits the cap, but the 256 MB of its image data
    // cannot come out of a file of a few dozen bytes.
    Bytes unfilled = SimplePng(16000, 16000, 8, 0, {0});
    WriteFileReplacing(dir / "unfilled.png", unfilled);
    EXPECT_EQ(LoadSourceWithin(64 << 20, dir / "unfilled.png", EPngUnexpectedEnd().what()), 0);
    TPNGObject png;
    EXPECT_THROW(png.LoadFromStream(unfilled), EPngUnexpectedEnd);
}

TEST(PngDrawing, SourcesDrawWithoutPerColumnTables)
{
    TESSOLO_SKIP_UNDER_ASAN();
    // One row of 50 million 1-bit pixels: a 150 MB picture, which a table
    // of source columns would more than double.
    test::TempDir dir;
    WriteFileReplacing(dir / "row.png", SimplePng(50000000, 1, 1, 0, Bytes(1 + 50000000 / 8, 0)));
    EXPECT_EQ(LoadSourceWithin(256 << 20, dir / "row.png", ""), 1);
}

TEST(PngDrawing, SourcesDoNotInflateTheirText)
{
    TESSOLO_SKIP_UNDER_ASAN();
    // 100 texts of 16 MiB each in a 2 MB file.
    std::vector<Bytes> texts;
    Bytes packed = test::Deflate(Bytes(std::size_t(16) << 20, ' '), 9);
    Bytes data = test::Concat({{'k', 0, 0}, packed});
    for (int i = 0; i < 100; ++i)
        texts.push_back(Chunk("zTXt", data));
    test::TempDir dir;
    WriteFileReplacing(dir / "bomb.png", SimplePng(1, 1, 8, 0, {0, 0}, texts));
    EXPECT_EQ(LoadSourceWithin(64 << 20, dir / "bomb.png", ""), 1);
}

}  // namespace
}  // namespace tessolo
