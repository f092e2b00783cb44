// Which files of a folder are listed as sources: images by their extension
// in any case, regular files only, unreadable entries skipped with a
// warning, and never a sheet that a build wrote beside its stylesheet.
#include "build_fixture.h"
#include "platform/error.h"
#include "sprite/source_files.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace tessolo {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

TEST(SourceFiles, ListsRegularImageFilesInAnyCaseAndWarnsAboutUnreadableEntries)
{
    test::TempDir dir;
    for (const char* name :
         {"b.PNG", "A.jpg", "c.Jpeg", "d.gif", "E.BMP", "notes.txt", "f.tif", "G.SVGZ", "e.heic"})
        WriteFileReplacing(dir / name, Bytes{1});
    fs::create_directory(dir / "folder.png");
    ASSERT_EQ(::mkfifo((dir / "pipe.png").c_str(), 0600), 0);
    fs::create_symlink("A.jpg", dir / "link.png");
    fs::create_symlink("loop.png", dir / "loop.png");
    fs::create_symlink("missing.bmp", dir / "dangling.gif");

    ImageFileListing listing = ListImageFiles(dir.Path().string());
    EXPECT_EQ(listing.files, (Strings{"A.jpg", "b.PNG", "c.Jpeg", "d.gif", "E.BMP", "link.png"}));
    EXPECT_EQ(listing.writtenSheets, Strings{});
    std::ranges::sort(listing.warnings);
    EXPECT_EQ(listing.warnings,
              (Strings{"skipped " + (dir / "dangling.gif") + ": No such file or directory",
                       "skipped " + (dir / "loop.png") + ": Too many levels of symbolic links",
                       // one warning for every image of a type that is not read
                       "skipped 3 images of types not read (only PNG, JPEG, GIF, BMP, WebP and SVG "
                       "are): e.heic, f.tif, G.SVGZ"}));
    EXPECT_THROW(ListImageFiles(dir / "missing"), Error);
}

// A build's outputs, then the listing of its folder.
struct BuiltCase {
    const char* label;
    LineStyle lineStyle;
    bool baseRule, retina;
    std::string project, spriteClass;
    Strings sources, sheets;  // both as listed
    bool pseudoClasses = false;
    StylesheetUnits units = kUnitsPixels;
};
void PrintTo(const BuiltCase& c, std::ostream* out) { *out << c.label; }

class WrittenSheets : public test::Build, public ::testing::WithParamInterface<BuiltCase> {};

TEST_P(WrittenSheets, AreLeftOutOfTheListing)
{
    const BuiltCase& c = GetParam();
    for (const std::string& name : c.sources)
        AddBmp(name, 4, 2, MakeColor(90, 10, 10));
    inputs.ProjectName = c.project;
    inputs.SpriteClass = c.spriteClass;
    inputs.LineStyle = c.lineStyle;
    inputs.LineStyleText = kLineStyleTexts[c.lineStyle];
    inputs.OutputFileType = kOutputPng;
    settings.BaseRule = c.baseRule;
    settings.Retina = c.retina;
    settings.PseudoClasses = c.pseudoClasses;
    settings.Units = c.units;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;

    ImageFileListing listing = ListImageFiles(dir.Path().string());
    EXPECT_EQ(listing.files, c.sources) << Css();
    EXPECT_EQ(listing.writtenSheets, c.sheets) << Css();
}

INSTANTIATE_TEST_SUITE_P(
    EveryStylesheetForm, WrittenSheets,
    ::testing::Values(
        BuiltCase{"PositionOnly", kPositionOnly, false, false, "sprite", ".sprite",
                  {"a.bmp", "b.bmp"}, {"sprite.png"}},
        BuiltCase{"PositionAndSize", kPositionAndSize, false, false, "sprite", ".sprite",
                  {"a.bmp", "b.bmp"}, {"sprite.png"}},
        BuiltCase{"BaseRule", kPositionAndSize, true, false, "sprite", ".sprite", {"a.bmp"},
                  {"sprite.png"}},
        BuiltCase{"HighDensity", kPositionOnly, false, true, "sprite", ".sprite", {"home@2x.bmp"},
                  {"sprite.png", "sprite@2x.png"}},
        BuiltCase{"EscapedNamesAndUrls", kPositionAndSize, true, true, "my sheet", ".1 x{",
                  {"50%.bmp", "a b.bmp", "x'y.bmp"}, {"my sheet.png", "my sheet@2x.png"}},
        BuiltCase{"States", kPositionOnly, false, false, "sprite", ".1 x{",
                  {"a,b.bmp", "a,b_hover.bmp", "c_focus-visible.bmp"}, {"sprite.png"}, true},
        BuiltCase{"PercentPositionOnly", kPositionOnly, false, false, "sprite", ".sprite",
                  {"a.bmp", "b.bmp", "c.bmp"}, {"sprite.png"}, false, kUnitsPercent},
        BuiltCase{"PercentWithSizesStatesAndHighDensity", kPositionAndSize, true, true, "sprite",
                  ".sprite", {"a@2x.bmp", "a_disabled@2x.bmp"}, {"sprite.png", "sprite@2x.png"},
                  true, kUnitsPercent}),
    [](const auto& info) { return std::string(info.param.label); });

// A stylesheet beside "icons.png", written by hand or by a build.
struct StylesheetCase {
    const char* label;
    std::string css;
    bool hidesTheSheet;
};
void PrintTo(const StylesheetCase& c, std::ostream* out) { *out << c.label; }

std::string LongStylesheet()
{
    std::string css;
    for (int i = 0; i < 1000; ++i)
        css += ".icons-n" + std::to_string(i) + " { background-position: " +
               std::to_string(-i * 9) + "px 0px }\r\n";
    return css;
}

class BesideASheetName : public ::testing::TestWithParam<StylesheetCase> {};

TEST_P(BesideASheetName, OnlyAStylesheetAsABuildWritesItHidesTheSheet)
{
    test::TempDir dir;
    WriteFileReplacing(dir / "icons.png", Bytes{1});
    const std::string& css = GetParam().css;
    WriteFileReplacing(dir / "icons.css", {reinterpret_cast<const std::uint8_t*>(css.data()),
                                           css.size()});
    ImageFileListing listing = ListImageFiles(dir.Path().string());
    EXPECT_EQ(listing.writtenSheets.size(), GetParam().hidesTheSheet ? 1u : 0u);
    EXPECT_EQ(listing.files.size(), GetParam().hidesTheSheet ? 0u : 1u);
}

const std::string kRule = ".icons-a { background-position: -5px 0px }\r\n";
const std::string kBase =
    ".icons { background-image: url('icons.png'); background-repeat: no-repeat; display: "
    "inline-block; }\r\n";

INSTANTIATE_TEST_SUITE_P(
    HandWrittenOrBuilt, BesideASheetName,
    ::testing::Values(
        StylesheetCase{"OneRule", kRule, true},
        StylesheetCase{"LongStylesheetByItsFirstLines", LongStylesheet(), true},
        StylesheetCase{"Empty", "", false},
        StylesheetCase{"HandWritten", ".icons { background: url(icons.png) }\n", false},
        StylesheetCase{"LineFeedsOnly", ".icons-a { background-position: -5px 0px }\n", false},
        StylesheetCase{"LastLineUnended", kRule + ".icons-b { background-position: 0px 0px }",
                       false},
        StylesheetCase{"AHandWrittenLineAfter", kRule + "a:hover { color: red }\r\n", false},
        StylesheetCase{"LeadingZero", ".icons-a { background-position: -05px 0px }\r\n", false},
        StylesheetCase{"MinusZero", ".icons-a { background-position: -0px 0px }\r\n", false},
        StylesheetCase{"DescendantSelector", ".nav a { background-position: 0px 0px }\r\n",
                       false},
        StylesheetCase{"MixedLineStyles",
                       kRule + ".icons-b { background-position: 0px 0px; width: 2px; height: "
                               "2px; }\r\n",
                       false},
        StylesheetCase{"PercentRule",
                       ".icons-a { background-position: 50% 0%; background-size: 300% 100%; "
                       "aspect-ratio: 5 / 5 }\r\n",
                       true},
        StylesheetCase{"PercentWithATrailingZero",
                       ".icons-a { background-position: 50.0% 0%; background-size: 300% 100%; "
                       "aspect-ratio: 5 / 5 }\r\n",
                       false},
        StylesheetCase{"StateOfAnotherClass",
                       ".icons-a_hover, .icons-b:hover { background-position: 0px 0px }\r\n",
                       false},
        StylesheetCase{"PixelsAndPercentMixed",
                       kRule + ".icons-b { background-position: 0% 0%; background-size: 100% "
                               "100%; aspect-ratio: 5 / 5 }\r\n",
                       false},
        StylesheetCase{"BaseRuleAlone", kBase, false},
        StylesheetCase{"BaseRuleAfterARule", kRule + kBase, false},
        StylesheetCase{"HighDensityWithoutBaseRule",
                       kRule + "@media (-webkit-min-device-pixel-ratio: 2), (min-resolution: "
                               "192dpi) { .icons { background-image: url('icons%402x.png'); "
                               "background-size: 9px 9px; } }\r\n",
                       false}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace tessolo
