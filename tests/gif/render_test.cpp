// GIF to bitmap: the first frame on the logical screen as the build draws
// it, checked against the conformance set's expected frames.
#include "gif_test_support.h"

#include "codecs/gif/gif_codec.h"
#include "platform/files.h"
#include "support/reference_decoders.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace tessolo {
namespace {

using test::GifBuilder;

// A frame whose every pixel has index (x + y) % colors, coded by our encoder.
std::vector<std::uint8_t> PatternFrame(int width, int height, int colors)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(std::uint8_t((x + y) % colors));
    return pixels;
}

// Our stream for a frame at (left, top) on a screen with a 4-entry global map.
std::vector<std::uint8_t> PlacedFrameGif(int screenWidth, int screenHeight, int left, int top, int width,
                                         int height, bool transparent = false)
{
    TGIFImage image;
    image.Header.ColorMap.ImportPalette(
        {MakeColor(10, 0, 0), MakeColor(0, 20, 0), MakeColor(0, 0, 30), MakeColor(40, 40, 40)});
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetBounds(left, top, width, height);
    frame->Data() = PatternFrame(width, height, 4);
    if (transparent) {
        auto gce = std::make_unique<TGIFGraphicControlExtension>(*frame);
        gce->SetTransparent(true);
        gce->SetTransparentColorIndex(2);
        frame->Extensions.Add(std::move(gce));
    }
    image.Add(std::move(frame));
    image.SetWidth(screenWidth);
    image.SetHeight(screenHeight);
    return test::Save(image);
}

TEST(GifRender, FullScreenFrameGivesItsIndicesAndColours)
{
    Bitmap bitmap = DecodeGifSource(PlacedFrameGif(7, 5, 0, 0, 7, 5));
    ASSERT_EQ(bitmap.Format(), PixelFormat::Bits8);
    ASSERT_EQ(bitmap.Width(), 7);
    ASSERT_EQ(bitmap.Height(), 5);
    EXPECT_EQ(bitmap.Palette().size(), 256u);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(bitmap.PixelIndex(x, y), (x + y) % 4);
    EXPECT_EQ(bitmap.Pixel(3, 0), MakeColor(40, 40, 40));
    EXPECT_FALSE(bitmap.Transparent);
}

TEST(GifRender, SmallerFrameLandsAtItsOffsetOnWhite)
{
    Bitmap bitmap = DecodeGifSource(PlacedFrameGif(20, 20, 5, 5, 10, 10));
    ASSERT_EQ(bitmap.Width(), 20);
    ASSERT_EQ(bitmap.Height(), 20);
    const ColorRef colors[4] = {MakeColor(10, 0, 0), MakeColor(0, 20, 0), MakeColor(0, 0, 30), MakeColor(40, 40, 40)};
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            bool inside = x >= 5 && x < 15 && y >= 5 && y < 15;
            ASSERT_EQ(bitmap.Pixel(x, y), inside ? colors[(x - 5 + y - 5) % 4] : kWhite) << x << "," << y;
        }
}

TEST(GifRender, TransparentPixelsShowTheSheetsWhiteAndAreMasked)
{
    std::vector<std::uint8_t> file = PlacedFrameGif(4, 4, 0, 0, 4, 4, true);
    Bitmap bitmap = DecodeGifSource(file);
    EXPECT_FALSE(bitmap.Transparent);
    EXPECT_EQ(bitmap.Pixel(2, 0), kWhite) << "the transparent index";
    EXPECT_EQ(bitmap.Pixel(1, 0), MakeColor(0, 20, 0)) << "an opaque pixel";

    // A smaller transparent frame on a larger screen: white both around it and in its holes.
    Bitmap placed = DecodeGifSource(PlacedFrameGif(8, 8, 2, 3, 4, 4, true));
    EXPECT_EQ(placed.Pixel(4, 3), kWhite);
    EXPECT_EQ(placed.Pixel(3, 3), MakeColor(0, 20, 0));
    EXPECT_EQ(placed.Pixel(0, 0), kWhite);

    TGIFImage image;
    test::Load(image, file);
    ASSERT_NE(image.Images[0].GetBitmap(), nullptr);
    const Bitmap* mask = image.Images[0].Mask();
    ASSERT_NE(mask, nullptr);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(mask->PixelIndex(x, y), (x + y) % 4 == 2 ? 1 : 0);
}

TEST(GifRender, DitheringRendererUsesTheWebPalette)
{
    TGIFImage image;
    test::Load(image, PlacedFrameGif(6, 6, 0, 0, 6, 6, true));
    image.DrawOptions &= ~DrawOption(goAutoDither);
    ASSERT_TRUE(image.GetDoDither());
    const Bitmap* bitmap = image.GetBitmap();
    ASSERT_NE(bitmap, nullptr);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            ColorRef c = bitmap->Pixel(x, y);
            ASSERT_EQ(RedOf(c) % 51 + GreenOf(c) % 51 + BlueOf(c) % 51, 0) << "web colour";
        }
    EXPECT_NE(image.Images[0].Mask(), nullptr);
    EXPECT_EQ(bitmap->Palette()[215], kWhite);
}

// Each task's progress starts at 0 and ends at 100, or at 0 when it fails; a
// handler that throws TGIFAbort while a frame renders leaves it no bitmap.
TEST(GifRender, ProgressFramesEachTaskAndAbortStopsRendering)
{
    TGIFImage image;
    std::vector<std::string> events;
    bool abort = false;
    image.OnProgress = [&](const void*, TProgressStage stage, int percent, const std::string& task) {
        if (stage == psRunning && abort)
            throw TGIFAbort{};
        if (stage != psRunning)
            events.push_back(task + (stage == psStarting ? " from " : " to ") + std::to_string(percent));
    };
    test::Load(image, PlacedFrameGif(6, 6, 0, 0, 6, 6));
    std::vector<std::uint8_t> damaged = PlacedFrameGif(6, 6, 0, 0, 6, 6);
    damaged[2] = 'X';
    GIFInputStream stream(damaged);
    EXPECT_THROW(image.LoadFromStream(stream), GIFException);
    test::Load(image, PlacedFrameGif(6, 6, 0, 0, 6, 6));
    abort = true;
    EXPECT_EQ(image.GetBitmap(), nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"Loading... from 0", "Loading... to 100",
                                                "Loading... from 0", "Loading... to 0",
                                                "Loading... from 0", "Loading... to 100",
                                                "Rendering... from 0", "Rendering... to 100"}));
}

TEST(GifRender, ImagesWithoutFramesOrColours)
{
    GifBuilder none;
    none.Header(5, 5).Trailer();
    EXPECT_TRUE(DecodeGifSource(none.Data()).Empty());

    GifBuilder noTable;
    noTable.Header(2, 1, 0).Descriptor(0, 0, 2, 1).ImageData(2, {{4, 3}, {1, 3}, {1, 3}, {5, 3}}).Trailer();
    try {
        DecodeGifSource(noTable.Data());
        FAIL() << "rendered without colours";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "No global or local color table defined");
    }
}

TEST(GifRender, AnimatedImagesGiveTheirFirstFrame)
{
    TGIFImage image;
    image.Header.ColorMap.ImportPalette({kBlack, kWhite});
    for (int value : {1, 0}) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->SetBounds(0, 0, 3, 3);
        std::fill(frame->Data().begin(), frame->Data().end(), std::uint8_t(value));
        auto gce = std::make_unique<TGIFGraphicControlExtension>(*frame);
        gce->Rec.PackedFields = std::uint8_t(dmPrevious << 2);
        gce->Rec.Delay = 50;
        frame->Extensions.Add(std::move(gce));
        image.Add(std::move(frame));
    }
    Bitmap bitmap = DecodeGifSource(test::Save(image));
    EXPECT_EQ(bitmap.Pixel(1, 1), kWhite);
}

// A source file is read a window at a time, from wherever the reader
// moves, even back: whatever the window, it gives what its bytes decoded
// in memory give, or the same error when it is cut short.
TEST(GifRender, SourceFilesReadInWindowsAsInMemory)
{
    test::TempDir dir;
    std::vector<std::uint8_t> large = PlacedFrameGif(300, 200, 0, 0, 300, 200);
    std::vector<std::uint8_t> cut(large.begin(), large.begin() + std::ptrdiff_t(large.size() / 2));
    const std::vector<std::uint8_t> files[] = {PlacedFrameGif(8, 8, 2, 3, 4, 4, true), large, cut};
    auto outcome = [](const std::function<Bitmap()>& decode) {
        try {
            const Bitmap bitmap = decode();
            std::string rows = std::to_string(bitmap.Width()) + "x" + std::to_string(bitmap.Height());
            for (int y = 0; y < bitmap.Height(); ++y)
                rows.append(reinterpret_cast<const char*>(bitmap.ScanLine(y)), RowBytes(bitmap.Width(), bitmap.Format()));
            return rows;
        } catch (const std::exception& error) {
            return std::string("error: ") + error.what();
        }
    };
    for (const std::vector<std::uint8_t>& file : files) {
        const std::string path = dir / "a.gif";
        WriteFileReplacing(path, file);
        const std::string inMemory = outcome([&] { return DecodeGifSource(file); });
        for (std::size_t window : {std::size_t(1), std::size_t(7), std::size_t(4096), kGifFileWindowBytes}) {
            SCOPED_TRACE(std::to_string(file.size()) + " bytes, window " + std::to_string(window));
            EXPECT_EQ(outcome([&] { return LoadGifSource(path, window); }), inMemory);
        }
    }
    EXPECT_THROW(LoadGifSource(dir / "missing.gif"), FileOpenError);
}

// Every conformance file loads; its first frame matches the expected image,
// with white where that image is transparent (the sheet's background). A
// file whose frames lie outside the logical screen has its screen grown to
// contain them, so only the expected image's area is compared.
TEST(GifRender, ConformanceFirstFrames)
{
    TESSOLO_REQUIRE_TESTDATA(root);
    std::filesystem::path gifs = root / "gifsuite" / "gifs";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(gifs)) {
        if (entry.path().extension() != ".gif")
            continue;
        ++files;
        std::string name = entry.path().stem().string();
        SCOPED_TRACE(name);
        Bitmap bitmap;
        ASSERT_NO_THROW(bitmap = LoadGifSource(entry.path().string()));
        std::filesystem::path expectedPath = gifs / "frames" / (name + "-0.png");
        if (!std::filesystem::exists(expectedPath))
            expectedPath = gifs / "frames" / (name + ".png");
        const test::Rgba frame = test::ReadPng(ReadFileBytes(expectedPath.string()));
        ASSERT_EQ(frame.error, "");
        const int width = frame.width, height = frame.height;
        bool outOfBounds = name.find("out_of_bounds") != std::string::npos;
        if (outOfBounds) {
            ASSERT_GE(bitmap.Width(), width);
            ASSERT_GE(bitmap.Height(), height);
        } else {
            ASSERT_EQ(bitmap.Width(), width);
            ASSERT_EQ(bitmap.Height(), height);
        }
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = frame.At(x, y);
                ASSERT_TRUE(p[3] == 0 || p[3] == 255) << "only bit transparency in GIF";
                ColorRef expected = p[3] == 0 ? kWhite : MakeColor(p[0], p[1], p[2]);
                ASSERT_EQ(bitmap.Pixel(x, y), expected) << x << "," << y;
            }
    }
    EXPECT_EQ(files, 13);
}

}  // namespace
}  // namespace tessolo
