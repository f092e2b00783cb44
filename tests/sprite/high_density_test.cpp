// Sheets for high-density screens: the double-size sheet holds the sources
// as they are, the named sheet is its exact 2 x 2 average, and the
// stylesheet describes the half-size sheet and switches to the big one.
#include "build_fixture.h"
#include "sheet_oracles.h"
#include "sprite/build_settings.h"
#include "sprite/high_density.h"
#include "sprite/layout.h"
#include "sprite/sheet_reduction.h"
#include "sprite/source_files.h"
#include "sprite/written_stylesheet.h"
#include "style_compilers.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

namespace tessolo {
namespace {

using test::Rule;
using test::SizedRules;

namespace fs = std::filesystem;
using test::Rgba;

const fs::path kGolden = fs::path(TESSOLO_SOURCE_DIR) / "tests/sprite/golden";

Bitmap Pattern(int width, int height, int seed)
{
    Bitmap image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, MakeColor(std::uint8_t(x * 37 + seed), std::uint8_t(y * 53 + seed * 3),
                                           std::uint8_t((x ^ y) * 29 + seed * 7)));
    return image;
}

// The 2 x 2 box filter written out plainly: colours weighted by alpha,
// every value rounded to nearest.
Rgba Halved(const Rgba& big)
{
    Rgba half{big.width / 2, big.height / 2, {}, {}};
    half.pixels.resize(std::size_t(half.width) * half.height * 4);
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x) {
            double alpha = 0, colour[3] = {0, 0, 0};
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const std::uint8_t* p = big.At(2 * x + dx, 2 * y + dy);
                    alpha += p[3];
                    for (int c = 0; c < 3; ++c)
                        colour[c] += double(p[c]) * p[3];
                }
            std::uint8_t* out = half.At(x, y);
            for (int c = 0; c < 3; ++c)
                out[c] = alpha == 0 ? 0 : std::uint8_t(std::floor(colour[c] / alpha + 0.5));
            out[3] = std::uint8_t(std::floor(alpha / 4 + 0.5));
        }
    return half;
}

class HighDensity : public test::Build {
protected:
    void SetUp() override
    {
        Build::SetUp();
        inputs.OutputFileType = kOutputPng;
        UseLineStyle(kPositionAndSize);
        settings.Retina = true;
        settings.HorizontalPadding = 3;  // odd paddings are rounded up to 4
        settings.VerticalPadding = 1;
        Add("home@2x.png", ReadFileBytes((kGolden / "a_rgba.png").string()));       // 9 x 7, alpha
        Add("flag.png", ReadFileBytes((kGolden / "d_palette_trns.png").string()));  // 7 x 7, tRNS
        Add("odd.bmp", EncodeBmp(Pattern(5, 3, 1), 6));
        Add("even.bmp", EncodeBmp(Pattern(4, 6, 2), 6));
    }

    void Add(const std::string& name, const Bytes& file)
    {
        WriteFileReplacing(dir / name, file);
        inputs.GraphicFiles.push_back(name);
    }

    Rgba Read(const std::string& name) { return test::ReadPng(ReadFileBytes(dir / name)); }
};

TEST_F(HighDensity, HalfSheetIsTheExactAverageAndEveryRuleFindsItsSource)
{
    for (SheetBackground background : {kBackgroundWhite, kBackgroundTransparent})
        for (Orientation layout : {kHorizontal, kVertical, kGrid, kPacked}) {
            SCOPED_TRACE("background " + std::to_string(background) + ", layout " +
                         std::to_string(layout));
            settings.SheetBackground = background;
            settings.Orientation = layout;
            ASSERT_EQ(Run(), BuildResult::Done) << recorder.error << recorder.validation;

            const Rgba big = Read("sprite@2x.png");
            const Rgba half = Read("sprite.png");
            ASSERT_TRUE(big.error.empty() && half.error.empty()) << big.error << half.error;
            ASSERT_EQ(big.width, 2 * half.width);
            ASSERT_EQ(big.height, 2 * half.height);
            EXPECT_EQ(half.pixels, Halved(big).pixels);

            const std::string css = Css();
            EXPECT_EQ(css.rfind(".sprite { background-image: url('sprite.png');", 0), 0u) << css;
            const std::string media =
                "@media (-webkit-min-device-pixel-ratio: 2), (min-resolution: 192dpi) { .sprite { "
                "background-image: url('sprite%402x.png'); background-image: image-set(url('sprite.png') "
                "1x, url('sprite%402x.png') 2x); background-size: " +
                std::to_string(half.width) + "px " + std::to_string(half.height) + "px; } }\r\n";
            EXPECT_TRUE(css.ends_with(media)) << css;

            std::vector<Rule> rules = SizedRules(css);
            ASSERT_EQ(rules.size(), 4u) << css;
            EXPECT_EQ(rules[0].name, "home") << "the @2x is dropped from the class";
            const int sourceWidths[] = {9, 7, 5, 4}, sourceHeights[] = {7, 7, 3, 6};
            for (std::size_t i = 0; i < rules.size(); ++i) {
                const Rule& rule = rules[i];
                EXPECT_EQ(rule.width, (sourceWidths[i] + 1) / 2) << rule.name;
                EXPECT_EQ(rule.height, (sourceHeights[i] + 1) / 2) << rule.name;
                ASSERT_LE(2 * (rule.x + rule.width), big.width) << rule.name;
                ASSERT_LE(2 * (rule.y + rule.height), big.height) << rule.name;
            }
            if (layout == kHorizontal) {
                EXPECT_EQ(rules[1].x, (10 + 4) / 2) << "paddings round up to even";
                EXPECT_EQ(rules[2].x, (10 + 4 + 8 + 4) / 2);
            }

            // The opaque source sits at twice its rule's place on the big
            // sheet; the column that evens its width is white or clear.
            const Rule& odd = rules[2];
            const Bitmap source = Pattern(5, 3, 1);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) {
                    const std::uint8_t* p = big.At(2 * odd.x + x, 2 * odd.y + y);
                    ASSERT_EQ(MakeColor(p[0], p[1], p[2]), source.Pixel(x, y)) << x << "," << y;
                    ASSERT_EQ(p[3], 255);
                }
            const std::uint8_t* extra = big.At(2 * odd.x + 5, 2 * odd.y);
            if (background == kBackgroundTransparent)
                EXPECT_EQ(extra[3], 0);
            else
                EXPECT_EQ(MakeColor(extra[0], extra[1], extra[2]), kWhite);

            // The alpha source keeps its alpha on a transparent sheet.
            if (background == kBackgroundTransparent) {
                const Rgba home = test::ReadPng(ReadFileBytes((kGolden / "a_rgba.png").string()));
                for (int y = 0; y < home.height; ++y)
                    for (int x = 0; x < home.width; ++x)
                        ASSERT_EQ(std::vector<std::uint8_t>(home.At(x, y), home.At(x, y) + 4),
                                  std::vector<std::uint8_t>(big.At(2 * rules[0].x + x, 2 * rules[0].y + y),
                                                            big.At(2 * rules[0].x + x, 2 * rules[0].y + y) + 4))
                            << x << "," << y;
            }
        }
}

// The sheet read back as a bitmap, with alpha on a transparent sheet.
Bitmap AsBitmap(const Rgba& sheet, bool alpha)
{
    Bitmap bitmap(sheet.width, sheet.height, alpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    bitmap.HasAlpha = alpha;
    for (int y = 0; y < sheet.height; ++y)
        for (int x = 0; x < sheet.width; ++x) {
            const std::uint8_t* p = sheet.At(x, y);
            std::uint8_t* out = bitmap.ScanLine(y) + x * (alpha ? 4 : 3);
            const std::uint8_t bgra[] = {p[2], p[1], p[0], p[3]};
            std::copy_n(bgra, alpha ? 4 : 3, out);
        }
    return bitmap;
}

// At scales 1, 2 and 3 the sheet is drawn at 3 times the size, from the
// largest file of each image; the others are its area averages, and the
// stylesheet offers all three and is known again as one a build wrote.
TEST_F(HighDensity, ThreeScalesReduceTheLargestSheetAndTakeTheLargestSources)
{
    settings.Retina = false;
    settings.Scales = 0b1110;
    Add("odd@3x.bmp", EncodeBmp(Pattern(15, 9, 4), 6));  // chosen over odd.bmp
    for (SheetBackground background : {kBackgroundWhite, kBackgroundTransparent}) {
        SCOPED_TRACE("background " + std::to_string(background));
        settings.SheetBackground = background;
        ASSERT_EQ(Run(), BuildResult::Done) << recorder.error << recorder.validation;
        const bool alpha = background == kBackgroundTransparent;
        const Bitmap big = AsBitmap(Read("sprite@3x.png"), alpha);
        for (int scale : {1, 2}) {
            const Rgba sheet = Read(scale == 1 ? "sprite.png" : "sprite@2x.png");
            ASSERT_EQ(sheet.width * 3, big.Width() * scale);
            const Bitmap expected = ReducedSheet(big, 3, scale);
            const Bitmap got = AsBitmap(sheet, alpha);
            for (int y = 0; y < got.Height(); ++y)
                ASSERT_TRUE(std::equal(got.ScanLine(y), got.ScanLine(y) + got.Width() * (alpha ? 4 : 3),
                                       expected.ScanLine(y)))
                    << "scale " << scale << ", row " << y;
        }
        const std::string css = Css();
        std::vector<Rule> rules = SizedRules(css);
        ASSERT_EQ(rules.size(), 4u) << css;
        EXPECT_EQ(rules[3].name, "odd");
        EXPECT_EQ(rules[3].width, 5) << "odd@3x.bmp, 15 pixels wide, is 5 wide, odd.bmp left out";
        EXPECT_NE(css.find("image-set(url('sprite.png') 1x, url('sprite%402x.png') 2x, "
                           "url('sprite%403x.png') 3x)"),
                  std::string::npos)
            << css;
        EXPECT_NE(css.find("@media (-webkit-min-device-pixel-ratio: 3), (min-resolution: 288dpi) "
                           "{ .sprite { background-image: url('sprite%403x.png');"),
                  std::string::npos)
            << css;
        EXPECT_TRUE(IsWrittenStylesheet(css, true)) << css;
        std::vector<std::string> sources = inputs.GraphicFiles;
        std::ranges::sort(sources, ComesBeforeByName);
        EXPECT_EQ(ListImageFiles(dir.Path().string()).files, sources);
    }
}

// Numbers far outside the stored ranges can still reach a build through the
// preferences' text boxes: every layout refuses them instead of wrapping.
TEST_F(HighDensity, PaddingsAndSizesBeyondThirtyTwoBitsAreRefusedInEveryLayout)
{
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    struct Case {
        bool retina;
        std::int32_t padding, resizeWidth;
    };
    // The last case evens a source kMax pixels wide and 0 high.
    for (Case c : {Case{true, kMax, 0}, Case{true, kMax - 1, 0}, Case{false, kMax, 0},
                   Case{true, 5, kMax}})
        for (Orientation layout : {kHorizontal, kVertical, kGrid, kPacked}) {
            SCOPED_TRACE("retina " + std::to_string(c.retina) + ", padding " +
                         std::to_string(c.padding) + ", width " + std::to_string(c.resizeWidth) +
                         ", layout " + std::to_string(layout));
            settings.Retina = c.retina;
            settings.Orientation = layout;
            settings.HorizontalPadding = settings.VerticalPadding = c.padding;
            settings.ResizeMethod = c.resizeWidth ? kResizeToSize : kResizeNone;
            settings.ResizeWidth = c.resizeWidth;
            settings.ResizeHeight = 0;
            EXPECT_EQ(Run(), BuildResult::Failed);
            EXPECT_EQ(recorder.error, "The sprite sheet would be too large");
        }
}

TEST_F(HighDensity, DataFilesDescribeBothSheets)
{
    settings.DataFormats = kDataJson | kDataScss;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    const std::string json = test::Text(ReadFileBytes(dir / "sprite.json"));
    const std::string big = test::Text(ReadFileBytes(dir / "sprite@2x.json"));
    EXPECT_NE(json.find("\"image\": \"sprite.png\""), std::string::npos);
    EXPECT_NE(json.find("\"scale\": \"1\""), std::string::npos);
    EXPECT_NE(big.find("\"image\": \"sprite@2x.png\""), std::string::npos);
    EXPECT_NE(big.find("\"scale\": \"2\""), std::string::npos);
    EXPECT_NE(json.find("\"home@2x.png\": {\"frame\": {\"x\": 0, \"y\": 0, \"w\": 5, \"h\": 4}"),
              std::string::npos) << json;
    EXPECT_NE(big.find("\"home@2x.png\": {\"frame\": {\"x\": 0, \"y\": 0, \"w\": 10, \"h\": 8}"),
              std::string::npos) << big;
    const std::string scss = test::Text(ReadFileBytes(dir / "sprite.scss"));
    EXPECT_NE(scss.find("@include sprite-retina($sprite);"), std::string::npos);
    EXPECT_NE(scss.find("background-image: url('sprite%402x.png');"), std::string::npos);

    // Compiled, the mixin switches to the big sheet as the stylesheet does.
    if (!test::Runs(test::kDartSass))
        GTEST_SKIP() << test::kNoDartSass;
    const std::string use = "@use 'sprite' as s;\n.t { @include s.sprite(s.$sprite-home); }\n";
    WriteFileReplacing(dir / "use.scss", Bytes(use.begin(), use.end()));
    const bool ran = test::RunIn(dir, test::kDartSass + " use.scss use.css");
    const std::string messages = test::Text(ReadFileBytes(dir / "compiler.out"));
    ASSERT_TRUE(ran) << messages;
    EXPECT_EQ(test::WarningCount(messages), 0) << messages;
    const std::regex media(
        R"(@media \(-webkit-min-device-pixel-ratio: 2\), \(min-resolution: 192dpi\) \{\s*)"
        R"(\.\w+ \{\s*background-image: url\(["']sprite%402x\.png["']\);\s*)"
        R"(background-image: image-set\([^;]*\);\s*background-size: (\d+px \d+px);)");
    std::smatch compiled, written;
    const std::string css = test::Text(ReadFileBytes(dir / "use.css")), sheetCss = Css();
    ASSERT_TRUE(std::regex_search(css, compiled, media)) << css;
    ASSERT_TRUE(std::regex_search(sheetCss, written, media)) << sheetCss;
    EXPECT_EQ(compiled[1], written[1]);
}

TEST_F(HighDensity, OffByDefaultAndNamesKeepTheirSuffixThen)
{
    settings.Retina = false;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_FALSE(fs::exists(dir / "sprite@2x.png"));
    EXPECT_EQ(Css().rfind(".sprite-home\\@2x { background-position: 0px 0px; width: 9px;", 0), 0u)
        << Css();
}

}  // namespace
}  // namespace tessolo
