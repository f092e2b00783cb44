// Sheets on a transparent background: every source's alpha reaches the PNG
// sheet exactly, the GIF sheet marks fully transparent pixels with its
// transparent index and blends the rest over white, padding and unused area
// are transparent, and sheet types without transparency are refused. The
// sheets are read back with libpng and giflib, never with our own decoders.
#include "build_fixture.h"
#include "platform/alpha.h"
#include "sheet_oracles.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace tessolo {
namespace {

namespace fs = std::filesystem;

using test::Rgba;

const fs::path kSourceDir = fs::path(TESSOLO_SOURCE_DIR) / "tests/sprite/golden";

// RGBA rgba16, grey+alpha, palette+tRNS, RGB+tRNS key, GIF covering its
// screen, GIF frame smaller than its screen, opaque BMP.
const char* const kSources[] = {"a_rgba.png",   "b_rgba16.png",   "c_grey_alpha.png", "d_palette_trns.png",
                                "e_rgb_key.png", "f_covering.gif", "g_offset.gif",     "h_opaque.bmp"};

// A source as the oracles see it.
Rgba ReadSource(const fs::path& path)
{
    Bytes file = ReadFileBytes(path.string());
    std::string extension = path.extension().string();
    if (extension == ".png")
        return test::ReadPng(file);
    if (extension == ".gif")
        return test::ReadGif(file);
    Bitmap bmp = DecodeBmp(file);  // BMP sources have no alpha: opaque colours
    Rgba opaque{bmp.Width(), bmp.Height(), {}, {}};
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            ColorRef c = bmp.Pixel(x, y);
            opaque.pixels.insert(opaque.pixels.end(), {RedOf(c), GreenOf(c), BlueOf(c), 255});
        }
    return opaque;
}

// Position of a stylesheet line's image: "... background-position: -X px -Y px ...".
std::pair<int, int> PositionOf(const std::string& line)
{
    int x = 0, y = 0;
    std::sscanf(line.c_str() + line.find("background-position:"), "background-position: %dpx %dpx", &x, &y);
    return {-x, -y};
}

class TransparentSheet : public test::Build {
protected:
    void SetUp() override
    {
        Build::SetUp();
        settings = BuildSettings();
        settings.SheetBackground = kBackgroundTransparent;
        inputs.GraphicFiles.clear();
        for (const char* name : kSources) {
            fs::copy_file(kSourceDir / name, dir.Path() / name);
            inputs.GraphicFiles.push_back(name);
        }
    }

    // The sheet the build should make: each source, scaled by `percent`
    // (nearest neighbour), at the place its stylesheet line names, on a
    // fully transparent background.
    Rgba ExpectedSheet(int width, int height, int percent)
    {
        Rgba sheet{width, height, std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height) * 4, 0), {}};
        EXPECT_EQ(recorder.lines.size(), std::size(kSources));
        for (std::size_t i = 0; i < recorder.lines.size(); ++i) {
            Rgba source = ReadSource(kSourceDir / kSources[i]);
            EXPECT_EQ(source.error, "") << kSources[i];
            auto [left, top] = PositionOf(recorder.lines[i]);
            int w = ScaledSide(source.width, percent), h = ScaledSide(source.height, percent);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    std::memcpy(sheet.At(left + x, top + y),
                                source.At(int(std::int64_t(x) * source.width / w), int(std::int64_t(y) * source.height / h)), 4);
        }
        return sheet;
    }

    Bytes BuildSheet(OutputType type)
    {
        inputs.OutputFileType = type;
        EXPECT_EQ(Run(), BuildResult::Done) << recorder.error << recorder.validation;
        return ReadFileBytes(recorder.written);
    }
};

// Colours equal where the pixel shows at all; alpha always equal.
void ExpectSamePixels(const Rgba& got, const Rgba& want)
{
    ASSERT_EQ(got.error, "");
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    int mismatches = 0;
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width && mismatches < 5; ++x) {
            const std::uint8_t* g = got.At(x, y);
            const std::uint8_t* w = want.At(x, y);
            bool same = g[3] == w[3] && (w[3] == 0 || std::memcmp(g, w, 3) == 0);
            if (!same)
                ADD_FAILURE() << "pixel " << x << "," << y << " got " << int(g[0]) << " " << int(g[1]) << " "
                              << int(g[2]) << " " << int(g[3]) << ", want " << int(w[0]) << " " << int(w[1])
                              << " " << int(w[2]) << " " << int(w[3]) << (++mismatches, "");
        }
}

TEST_F(TransparentSheet, PngSheetKeepsEverySourcesAlphaExactlyAndPaddingIsTransparent)
{
    Bytes file = BuildSheet(kOutputPng);
    ASSERT_GT(file.size(), 26u);
    EXPECT_EQ(file[25], 6) << "colour type: RGB with alpha";
    Rgba sheet = test::ReadPng(file);
    ExpectSamePixels(sheet, ExpectedSheet(sheet.width, sheet.height, 100));
    // The window is shown the same sheet.
    EXPECT_TRUE(recorder.viewer.HasAlpha);

    // Resized, in a grid, interlaced: alpha is scaled with the colours.
    settings.Orientation = kGrid;
    settings.ResizeMethod = kResizeByPercentage;
    settings.ResizePercentage = 250;
    settings.Encoding.png.interlace = true;
    sheet = test::ReadPng(BuildSheet(kOutputPng));
    ExpectSamePixels(sheet, ExpectedSheet(sheet.width, sheet.height, 250));
}

// A GIF sheet marks its clear pixels and blends partial ones over white;
// its colours are reduced to the web palette (steps of 51), or with the
// quantiser, for a sheet of few colours, kept exactly.
class GifSheet : public TransparentSheet, public ::testing::WithParamInterface<bool> {};

TEST_P(GifSheet, MarksClearPixelsAndBlendsPartialOnesOverWhite)
{
    const bool quantizer = GetParam();
    settings.Encoding.gifQuantizer = quantizer;
    Bytes file = BuildSheet(kOutputGif);
    EXPECT_GE(test::GifTransparentIndex(file), 0);
    Rgba sheet = test::ReadGif(file);
    Rgba want = ExpectedSheet(sheet.width, sheet.height, 100);
    for (std::size_t i = 0; i < want.pixels.size(); i += 4) {
        std::uint8_t* p = &want.pixels[i];
        if (p[3] == 0)
            continue;
        for (int c = 0; c < 3; ++c) {
            const std::uint8_t blended = BlendChannel(p[3], p[c], 255);
            p[c] = quantizer ? blended : std::uint8_t((blended + 3) / 51 * 51);
        }
        p[3] = 255;
    }
    ExpectSamePixels(sheet, want);
}

INSTANTIATE_TEST_SUITE_P(Palettes, GifSheet, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Quantizer" : "WebPalette"; });

TEST_F(TransparentSheet, SheetTypesWithoutTransparencyAreRefusedBeforeAnythingIsWritten)
{
    for (OutputType type : {kOutputJpeg, kOutputBmp}) {
        inputs.OutputFileType = type;
        EXPECT_EQ(Run(), BuildResult::InvalidInputs);
        std::string name = type == kOutputJpeg ? "JPEG" : "BMP";
        EXPECT_NE(recorder.validation.find("A transparent background needs a PNG, GIF, WebP or AVIF sheet: " + name +
                                           " cannot hold transparency\n\r"),
                  std::string::npos)
            << recorder.validation;
    }
    EXPECT_FALSE(fs::exists(CssPath()));

    settings.SheetBackground = SheetBackground(7);  // outside the table
    EXPECT_EQ(ValidateInputs(inputs, settings),
              "No valid sheet background set (7; use 0 white or 1 transparent)\n\r");
}

TEST_F(TransparentSheet, OpaqueSourcesStayOpaqueOnATransparentSheet)
{
    inputs.GraphicFiles = {"h_opaque.bmp", "f_covering.gif"};
    BuildSheet(kOutputPng);
    const Bitmap& sheet = recorder.viewer;
    ASSERT_TRUE(sheet.HasAlpha);
    Bitmap bmp = LoadBmpFile(dir / "h_opaque.bmp");
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            EXPECT_EQ(AlphaAt(sheet.ScanLine(y), x), y < bmp.Height() ? 255 : 0) << x << "," << y;
    for (int x = bmp.Width(); x < bmp.Width() + settings.HorizontalPadding; ++x)
        EXPECT_EQ(AlphaAt(sheet.ScanLine(0), x), 0) << "padding " << x;
}

}  // namespace
}  // namespace tessolo
