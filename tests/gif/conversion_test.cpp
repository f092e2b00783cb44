// Bitmap to GIF: the web palette mapping the build uses, palette sources,
// exact colours, transparency, and the other reduction methods and dither
// engines.
#include "gif_test_support.h"

#include "codecs/gif/color_reduction.h"
#include "codecs/gif/dib.h"
#include "codecs/gif/gif_codec.h"
#include "codecs/gif/octree_quantizer.h"
#include "codecs/gif/system_palettes.h"

#include "platform/alpha.h"
#include "platform/error.h"

#include <gtest/gtest.h>

#include <set>

namespace tessolo {
namespace {

std::string ThrownText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

Bitmap Gradient(int width, int height)
{
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, MakeColor(std::uint8_t(x * 255 / (width - 1)), std::uint8_t(y * 255 / (height - 1)),
                                            std::uint8_t((x + y) * 3)));
    return bitmap;
}

// The bitmap with alpha rising from the left, where some pixels are clear.
Bitmap WithAlphaRamp(const Bitmap& opaque)
{
    Bitmap withAlpha = opaque.ConvertTo(PixelFormat::Bits32);
    withAlpha.HasAlpha = true;
    for (int y = 0; y < withAlpha.Height(); ++y)
        for (int x = 0; x < withAlpha.Width(); ++x)
            withAlpha.ScanLine(y)[4 * x + 3] = std::uint8_t(x * 6 + y % 3);  // 0 only at the left
    return withAlpha;
}

TEST(GifConversion, SheetsMapOntoTheWebPalette)
{
    Bitmap sheet(4, 1);
    sheet.SetPixel(0, 0, MakeColor(255, 0, 0));
    sheet.SetPixel(1, 0, MakeColor(47, 47, 47));
    sheet.SetPixel(2, 0, MakeColor(48, 48, 48));
    sheet.SetPixel(3, 0, MakeColor(128, 128, 128));
    TGIFImage image;
    image.Assign(sheet);
    TGIFSubImage& frame = image.Images[0];
    EXPECT_EQ(frame.Data(), (std::vector<std::uint8_t>{180, 0, 43, 86}));
    ASSERT_EQ(frame.ColorMap.Count(), 256);
    EXPECT_EQ(frame.ColorMap.GetColor(180), MakeColor(255, 0, 0));
    EXPECT_EQ(frame.ColorMap.GetColor(43), MakeColor(51, 51, 51));
    EXPECT_EQ(frame.ColorMap.GetColor(86), MakeColor(102, 102, 102));
    EXPECT_EQ(frame.ColorMap.GetColor(216), kBlack);
    EXPECT_EQ(frame.ColorMap.GetColor(255), kBlack);

    // Every level boundary of the lookup.
    for (auto [component, level] : {std::pair{0, 0}, {47, 0}, {48, 1}, {98, 1}, {99, 2}, {149, 2}, {150, 3},
                                    {200, 3}, {201, 4}, {251, 4}, {252, 5}, {255, 5}})
        EXPECT_EQ(TNetscapeColorLookup::Level(component), level) << component;
}

TEST(GifConversion, WhitePixelSheetFileLayout)
{
    const GifSheetOptions prefs;
    std::vector<std::uint8_t> file = EncodeGifSheet(Bitmap(1, 1), prefs);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF87a");
    EXPECT_EQ(file[10], 0x77) << "no global map, resolution 7, size 7";
    EXPECT_EQ(file[13 + 9], 0x87) << "local map of 256 entries";
    EXPECT_EQ(file[13 + 10 + 768], 8) << "minimum code size";
    EXPECT_EQ(test::DecodeIndices(file), std::vector<std::uint8_t>{215});

    EXPECT_EQ(EncodeGifSheet(Bitmap(), prefs),
              (std::vector<std::uint8_t>{'G', 'I', 'F', '8', '7', 'a', 0, 0, 0, 0, 0x77, 0, 0, 0x3B}));
    TGIFImage empty;
    test::Load(empty, EncodeGifSheet(Bitmap(), prefs));
    EXPECT_TRUE(empty.GetEmpty());
}

TEST(GifConversion, SheetsBeyondSixteenBitSizesAreRefusedNotCutShort)
{
    try {
        EncodeGifSheet(Bitmap(65536, 1), {});
        ADD_FAILURE() << "wrote a 65536-pixel row";
    } catch (const SheetTooLargeError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The sheet is 65536 x 1 pixels, but a GIF image has at most 65535 pixels a "
                  "side: use the grid layout or another output type");
    }
    TGIFImage image;
    EXPECT_THROW(image.Add(Bitmap(1, 70000)), GIFException);
}

// Both codings, of a sheet whose file is handed on in several pieces.
TEST(GifConversion, BothSheetCodingsGiveTheSamePixels)
{
    Bitmap sheet(1100, 1000);
    std::uint32_t noise = 1;
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < sheet.Width(); ++x) {
            noise = noise * 1664525u + 1013904223u;
            sheet.SetPixel(x, y, MakeColor(std::uint8_t(noise >> 24), std::uint8_t(noise >> 16),
                                           std::uint8_t(noise >> 8)));
        }
    TGIFImage reference;
    reference.Assign(sheet);
    const std::vector<std::uint8_t> indices = reference.Images[0].Data();
    for (TGIFCompression compression : {gcLZW, gcRLE}) {
        std::vector<std::uint8_t> file;
        int pieces = 0;
        WriteGifSheet(sheet, {compression}, [&](std::span<const std::uint8_t> piece) {
            file.insert(file.end(), piece.begin(), piece.end());
            ++pieces;
        });
        EXPECT_GT(pieces, 1);
        test::OracleFrame oracle = test::DecodeWithGiflib(file);
        ASSERT_TRUE(oracle.ok) << oracle.error;
        EXPECT_EQ(oracle.indices, indices) << compression;
    }
    EXPECT_NE(EncodeGifSheet(Gradient(90, 40), {gcLZW}), EncodeGifSheet(Gradient(90, 40), {gcRLE}));
}

// Sheets are written from frames that make their pixels again as they are
// written: the very file of a frame assigned whole, written twice alike.
TEST(GifConversion, SheetsWrittenRowByRowAreTheWholeFramesFile)
{
    Bitmap opaque = Gradient(40, 24);
    Bitmap withAlpha = WithAlphaRamp(opaque);
    Bitmap noneClear = withAlpha;
    for (int y = 0; y < noneClear.Height(); ++y)
        noneClear.ScanLine(y)[3] = 1;
    Bitmap noAlpha = withAlpha;
    noAlpha.HasAlpha = false;
    Bitmap keyed = opaque.ConvertTo(PixelFormat::Bits8);
    keyed.Transparent = true;
    keyed.TransparentColor = keyed.Pixel(3, 2);
    for (const Bitmap* sheet : {&opaque, &withAlpha, &noneClear, &noAlpha, &keyed})
        for (TGIFCompression compression : {gcLZW, gcRLE}) {
            SCOPED_TRACE(testing::Message() << "bits " << BitsPerPixel(sheet->Format()) << ", alpha "
                                            << sheet->HasAlpha << ", coding " << compression);
            TGIFImage whole;
            whole.Compression = compression;
            whole.Assign(*sheet);
            TGIFImage byRows;
            byRows.Compression = compression;
            auto frame = std::make_unique<TGIFSubImage>(&byRows);
            frame->AssignRowByRow(*sheet);
            byRows.Add(std::move(frame));
            const std::vector<std::uint8_t> file = test::Save(byRows);
            EXPECT_EQ(file, test::Save(whole));
            EXPECT_EQ(test::Save(byRows), file);
            EXPECT_EQ(EncodeGifSheet(*sheet, {compression}), file);
        }
}

TEST(GifConversion, PaletteSourcesKeepIndicesAndColors)
{
    Bitmap eight(3, 2, PixelFormat::Bits8);
    eight.SetPalette({kBlack, MakeColor(10, 20, 30), kWhite});
    eight.SetPixelIndex(1, 0, 2);
    eight.SetPixelIndex(2, 1, 1);
    TGIFImage image;
    image.Assign(eight);
    EXPECT_EQ(image.Images[0].Data(), (std::vector<std::uint8_t>{0, 2, 0, 0, 0, 1}));
    EXPECT_EQ(image.Images[0].ColorMap.ExportPalette(), eight.Palette());

    Bitmap four(3, 1, PixelFormat::Bits4);
    four.SetPalette(Palette16());
    four.SetPixelIndex(0, 0, 15);
    four.SetPixelIndex(2, 0, 9);
    image.Assign(four);
    EXPECT_EQ(image.Images[0].Data(), (std::vector<std::uint8_t>{15, 0, 9}));
    EXPECT_EQ(image.Images[0].ColorMap.Count(), 16);

    Bitmap one(10, 1, PixelFormat::Bits1);
    one.SetPalette({kBlack, kWhite});
    one.SetPixelIndex(0, 0, 1);
    one.SetPixelIndex(9, 0, 1);
    image.Assign(one);
    EXPECT_EQ(image.Images[0].Data(), (std::vector<std::uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
}

TEST(GifConversion, ExactColorsWithoutReduction)
{
    TGIFImage image;
    image.ColorReduction = rmNone;
    Bitmap few(20, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            few.SetPixel(x, y, MakeColor(std::uint8_t(x % 7), std::uint8_t(y), 0));
    image.Assign(few);
    TGIFSubImage& frame = image.Images[0];
    EXPECT_EQ(frame.ColorMap.Count(), 70);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(frame.ColorMap.GetColor(frame.Data()[std::size_t(y * 20 + x)]), few.Pixel(x, y));

    Bitmap many(300, 1);
    for (int x = 0; x < 300; ++x)
        many.SetPixel(x, 0, MakeColor(std::uint8_t(x), std::uint8_t(x >> 8), 0));
    EXPECT_EQ(ThrownText([&] { image.Assign(many); }), "Color table overflow");
}

TEST(GifConversion, TransparentSourcesGetAControlExtension)
{
    Bitmap source(4, 2);
    source.SetPixel(1, 0, MakeColor(255, 0, 255));
    source.SetPixel(2, 1, MakeColor(255, 0, 255));
    source.SetPixel(3, 1, MakeColor(0, 0, 255));
    source.Transparent = true;
    source.TransparentColor = MakeColor(255, 0, 255);
    TGIFImage image;
    image.Assign(source);
    TGIFSubImage& frame = image.Images[0];
    ASSERT_TRUE(frame.Transparent());
    ASSERT_NE(frame.GraphicControlExtension(), nullptr);
    int index = frame.TransparentColorIndex();
    // The map was sorted by use and cut to the three used colours, then
    // black was added for the transparent pixels.
    EXPECT_EQ(frame.ColorMap.ExportPalette(),
              (std::vector<ColorRef>{kWhite, MakeColor(255, 0, 255), MakeColor(0, 0, 255), kBlack}));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(frame.Data(), (std::vector<std::uint8_t>{0, 3, 0, 0, 0, 0, 3, 2}));
    std::vector<std::uint8_t> file = test::Save(image);
    EXPECT_EQ(std::string(file.begin() + 3, file.begin() + 6), "89a");

    // A transparent colour that no pixel has adds nothing.
    source.TransparentColor = MakeColor(1, 2, 3);
    image.Assign(source);
    EXPECT_FALSE(image.Images[0].Transparent());
    EXPECT_EQ(image.Images[0].Extensions.Count(), 0);

    // A map that still uses all 256 entries leaves no room for transparency.
    Bitmap full(256, 1, PixelFormat::Bits8);
    std::vector<ColorRef> palette;
    for (int i = 0; i < 256; ++i) {
        palette.push_back(MakeColor(std::uint8_t(i), 0, 0));
        full.SetPixelIndex(i, 0, i);
    }
    full.SetPalette(palette);
    full.Transparent = true;
    full.TransparentColor = MakeColor(7, 0, 0);
    image.Assign(full);
    EXPECT_FALSE(image.Images[0].Transparent());
}

TEST(GifConversion, ReductionMethodsUseTheirPalettes)
{
    Bitmap source = Gradient(64, 32);
    struct Case {
        TColorReduction method;
        std::size_t colors;
    };
    for (Case c : {Case{rmWindows20, 20}, Case{rmWindows256, 256}, Case{rmWindowsGray, 4}, Case{rmMonochrome, 2},
                   Case{rmGrayScale, 256}, Case{rmNetscape, 216}, Case{rmQuantizeWindows, 256}}) {
        Bitmap reduced = ReduceColors(source, c.method, dmNearest, 8);
        ASSERT_EQ(reduced.Format(), PixelFormat::Bits8) << c.method;
        EXPECT_EQ(reduced.Palette().size(), 256u) << "the table is always padded";
        for (int y = 0; y < reduced.Height(); ++y)
            for (int x = 0; x < reduced.Width(); ++x)
                ASSERT_LT(std::size_t(reduced.PixelIndex(x, y)), c.colors) << c.method;
    }

    Bitmap grey = ReduceColors(source, rmGrayScale, dmNearest, 8);
    ColorRef p = source.Pixel(10, 20);
    EXPECT_EQ(grey.PixelIndex(10, 20), (RedOf(p) * 77 + GreenOf(p) * 150 + BlueOf(p) * 29) >> 8);

    Bitmap mono(2, 1);
    mono.SetPixel(0, 0, MakeColor(127, 127, 127));  // weighted 32512: still black
    mono.SetPixel(1, 0, MakeColor(128, 128, 128));
    Bitmap bw = ReduceColors(mono, rmMonochrome, dmNearest, 8);
    EXPECT_EQ(bw.PixelIndex(0, 0), 0);
    EXPECT_EQ(bw.PixelIndex(1, 0), 1);

    Bitmap framed = ReduceColors(source, rmQuantizeWindows, dmNearest, 8);
    EXPECT_EQ(framed.Palette().front(), DefaultPalette20().front());
    EXPECT_EQ(framed.Palette().back(), DefaultPalette20().back());

    std::vector<ColorRef> given = {kBlack, kWhite, MakeColor(255, 0, 0)};
    Bitmap mapped = ReduceColors(mono, rmPalette, dmNearest, 8, &given);
    EXPECT_EQ(mapped.Pixel(0, 0), kBlack);
    EXPECT_EQ(ReduceColors(source, rmNone, dmNearest, 8).Format(), PixelFormat::Bits24);
    EXPECT_TRUE(ReduceColors(source, TColorReduction(99), dmNearest, 8).Empty());
}

// Frames are reduced a row at a time, to the colours ReduceColors gives the
// whole bitmap blended over white: 24-bit, 32-bit with and without alpha,
// with error carried from row to row.
TEST(GifConversion, FramesTakeTheColoursOfTheWholeReduction)
{
    Bitmap opaque = Gradient(40, 24);
    Bitmap withAlpha = WithAlphaRamp(opaque);
    Bitmap noAlpha = withAlpha;
    noAlpha.HasAlpha = false;
    for (const Bitmap* source : {&opaque, &withAlpha, &noAlpha})
        for (TColorReduction method : {rmNetscape, rmQuantize, rmGrayScale, rmWindows256})
            for (TDitherMode mode : {dmNearest, dmFloydSteinberg}) {
                SCOPED_TRACE(testing::Message() << "method " << method << ", mode " << mode << ", alpha "
                                                << source->HasAlpha << ", bits " << BitsPerPixel(source->Format()));
                TGIFImage image;
                image.ColorReduction = method;
                image.DitherMode = mode;
                image.Assign(*source);
                Bitmap flat = *source;
                FlattenOverWhite(flat);
                const Bitmap reduced = ReduceColors(flat, method, mode, 8);
                const Bitmap* frame = image.Images[0].GetBitmap();
                ASSERT_NE(frame, nullptr);
                for (int y = 0; y < flat.Height(); ++y)
                    for (int x = 0; x < flat.Width(); ++x) {
                        if (!source->HasAlpha || source->ScanLine(y)[4 * x + 3] != 0) {
                            ASSERT_EQ(frame->Pixel(x, y), reduced.Pixel(x, y)) << x << ", " << y;
                        }
                    }
            }
}

TEST(GifConversion, OctreeKeepsFewColorsExactlyAndMergesMany)
{
    Bitmap five(5, 3);
    const std::vector<ColorRef> colors = {MakeColor(1, 2, 3), MakeColor(200, 10, 10), MakeColor(0, 255, 0),
                                          MakeColor(90, 90, 90), kWhite};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            five.SetPixel(x, y, colors[std::size_t(x)]);
    std::vector<ColorRef> palette = QuantizeColors(five, 256);
    EXPECT_EQ(std::set<ColorRef>(palette.begin(), palette.end()), std::set<ColorRef>(colors.begin(), colors.end()));

    Bitmap gradient = Gradient(100, 100);
    for (int bits : {1, 3, 8}) {
        std::vector<ColorRef> reduced = QuantizeColors(gradient, 1 << bits);
        EXPECT_LE(reduced.size(), std::size_t(1) << bits);
        // Merging a node can remove several leaves at once.
        EXPECT_GE(reduced.size(), 1u);
    }
    Bitmap quantized = ReduceColors(five, rmQuantize, dmNearest, 8);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(quantized.Pixel(x, 1), colors[std::size_t(x)]);
}

TEST(GifConversion, ErrorDiffusionPreservesTheMeanColour)
{
    // Flat grey 128: nearest mapping gives 102 everywhere; diffusing engines
    // mix 102 and 153 so the area keeps its brightness.
    Bitmap flat(60, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            flat.SetPixel(x, y, MakeColor(128, 128, 128));
    for (TDitherMode mode : {dmNearest, dmFloydSteinberg, dmStucki, dmSierra, dmJaJuNI, dmSteveArche, dmBurkes}) {
        Bitmap out = ReduceColors(flat, rmNetscape, mode, 8);
        double sum = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 60; ++x)
                sum += GreenOf(out.Pixel(x, y));
        double mean = sum / (60 * 40);
        if (mode == dmNearest)
            EXPECT_EQ(mean, 102.0);
        else
            EXPECT_NEAR(mean, 128.0, 2.5) << "mode " << mode;
    }
    TNetscapeColorLookup lookup;
    EXPECT_EQ(MakeDitherEngine(TDitherMode(42), 10, lookup), nullptr);
}

TEST(GifConversion, DibWriterRefusesWhatItCannotBuild)
{
    Bitmap target;
    EXPECT_EQ(ThrownText([&] { TDIBWriter(target, {}, 2, 2, PixelFormat::Bits4); }), "Unsupported PixelFormat");
    EXPECT_EQ(ThrownText([&] { TDIBWriter(target, {}, 0, 2, PixelFormat::Bits8); }), "Invalid image dimensions");
    EXPECT_EQ(ThrownText([&] { TDIBWriter(target, {}, 2, 2, PixelFormat::Bits8).Finish(); }), "Image has no DIB");
    TDIBWriter writer(target, {kWhite}, 2, 3, PixelFormat::Bits8);
    EXPECT_THROW(writer.ScanLine(2), Error);
    writer.ScanLine(1)[2] = 0;
    writer.Finish();
    EXPECT_EQ(target.Width(), 3);
    EXPECT_EQ(target.Palette().size(), 256u);
    EXPECT_EQ(target.Pixel(2, 1), kWhite);
}

}  // namespace
}  // namespace tessolo
