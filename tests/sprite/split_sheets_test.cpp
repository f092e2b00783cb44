// A size limit splits the images over numbered sheets: each image on exactly
// one sheet at the place its rule gives, no sheet past the limit; a set that
// fits one sheet writes what a build without the limit writes.
#include "build_fixture.h"
#include "sprite/source_files.h"
#include "sprite/written_stylesheet.h"
#include "support/reference_decoders.h"

#include <filesystem>
#include <map>
#include <regex>

namespace tessolo {
namespace {

namespace fs = std::filesystem;
using test::Build;

struct SplitCase {
    const char* label;
    Orientation layout;
    bool baseRule;
};
void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.label; }

struct Source {
    const char* name;
    int width, height;
    ColorRef color;
};
constexpr Source kSources[] = {
    {"a", 30, 20, MakeColor(200, 0, 0)},   {"b", 40, 30, MakeColor(0, 200, 0)},
    {"c", 20, 20, MakeColor(0, 0, 200)},   {"d", 50, 10, MakeColor(200, 200, 0)},
    {"e", 10, 40, MakeColor(0, 200, 200)}, {"f", 25, 25, MakeColor(200, 0, 200)},
};
constexpr SheetLimit kLimit{60, 50};

// Where a rule puts its image: the sheet file and the rectangle on it.
struct Placed {
    std::string sheet;
    int x, y, width, height;
};

class SplitSheets : public test::Build, public ::testing::WithParamInterface<SplitCase> {
protected:
    void SetUp() override
    {
        test::Build::SetUp();
        inputs.OutputFileType = kOutputPng;
        UseLineStyle(kPositionAndSize);
        settings.Orientation = GetParam().layout;
        settings.BaseRule = GetParam().baseRule;
        for (const Source& source : kSources)
            AddBmp(std::string(source.name) + ".bmp", source.width, source.height, source.color);
    }

    Bytes Read(const std::string& name) { return ReadFileBytes(dir / name); }

    // Each rule's image by name; a name ruled twice fails the test.
    std::map<std::string, Placed> RulesOf(const std::string& css)
    {
        static const std::regex base(
            R"(\.sprite-sheet-\d+((?:, \.sprite-\w+)+) \{ background-image: url\('([^']+)'\);)");
        static const std::regex image(R"(\n\.sprite-(\w+) \{ (?:background-image: url\('([^']+)'\); )?)"
                                      R"(background-position: (-?\d+)px (-?\d+)px; )"
                                      R"(width: (\d+)px; height: (\d+)px; \})");
        std::map<std::string, std::string> sheetOf;
        for (std::sregex_iterator it(css.begin(), css.end(), base), end; it != end; ++it) {
            const std::string list = (*it)[1];
            static const std::regex name(R"(\.sprite-(\w+))");
            for (std::sregex_iterator n(list.begin(), list.end(), name); n != end; ++n)
                EXPECT_TRUE(sheetOf.emplace((*n)[1], (*it)[2]).second) << (*n)[1];
        }
        const std::string lines = "\n" + css;
        std::map<std::string, Placed> rules;
        for (std::sregex_iterator it(lines.begin(), lines.end(), image), end; it != end; ++it) {
            const std::string sheet = (*it)[2].matched ? std::string((*it)[2]) : sheetOf[(*it)[1]];
            const Placed placed{sheet, -std::stoi((*it)[3]), -std::stoi((*it)[4]),
                                std::stoi((*it)[5]), std::stoi((*it)[6])};
            EXPECT_TRUE(rules.emplace((*it)[1], placed).second) << (*it)[1];
        }
        return rules;
    }
};

TEST_P(SplitSheets, EveryImageLandsOnOneSheetWithinTheLimit)
{
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    const Bytes css = Read("sprite.css"), sheet = Read("sprite.png");
    const test::Rgba whole = test::ReadPng(sheet);
    // A limit that the sheet meets exactly changes nothing.
    settings.MaxSize = {whole.width, whole.height};
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Read("sprite.css"), css);
    EXPECT_EQ(Read("sprite.png"), sheet);
    EXPECT_FALSE(fs::exists(dir / "sprite-1.png"));

    settings.MaxSize = kLimit;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    const std::string text = Css();
    EXPECT_TRUE(IsWrittenStylesheet(text, true)) << text;
    const std::map<std::string, Placed> rules = RulesOf(text);
    ASSERT_EQ(rules.size(), std::size(kSources)) << text;
    std::map<std::string, test::Rgba> sheets;
    for (const Source& source : kSources) {
        const Placed& at = rules.at(source.name);
        EXPECT_EQ(at.width, source.width);
        EXPECT_EQ(at.height, source.height);
        if (!sheets.contains(at.sheet))
            sheets[at.sheet] = test::ReadPng(Read(at.sheet));
        const test::Rgba& pixels = sheets[at.sheet];
        ASSERT_LE(at.x + at.width, pixels.width) << source.name;
        ASSERT_LE(at.y + at.height, pixels.height) << source.name;
        int wrong = 0;
        for (int y = at.y; y < at.y + at.height; ++y)
            for (int x = at.x; x < at.x + at.width; ++x)
                wrong += pixels.At(x, y)[0] != RedOf(source.color) ||
                         pixels.At(x, y)[1] != GreenOf(source.color) ||
                         pixels.At(x, y)[2] != BlueOf(source.color);
        EXPECT_EQ(wrong, 0) << source.name << " on " << at.sheet;
    }
    EXPECT_GT(sheets.size(), 1u);
    for (const auto& [name, pixels] : sheets) {
        EXPECT_TRUE(name.starts_with("sprite-")) << name;
        EXPECT_TRUE(kLimit.Holds(pixels.width, pixels.height)) << name;
    }
    // The next listing of the folder leaves the numbered sheets out.
    EXPECT_EQ(ListImageFiles(dir.Path().string()).files, inputs.GraphicFiles);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SplitSheets,
                         ::testing::Values(SplitCase{"Horizontal", kHorizontal, true},
                                           SplitCase{"Vertical", kVertical, false},
                                           SplitCase{"Grid", kGrid, true},
                                           SplitCase{"Packed", kPacked, false},
                                           SplitCase{"PackedWithBaseRule", kPacked, true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(Build, AnImageLargerThanTheLimitFailsTheBuildNamingIt)
{
    AddBmp("small.bmp", 10, 10, kBlack);
    AddBmp("wide.bmp", 70, 10, kBlack);
    for (Orientation layout : {kHorizontal, kPacked}) {
        settings.Orientation = layout;
        settings.MaxSize = {64, 64};
        EXPECT_EQ(Run(), BuildResult::Failed);
        EXPECT_NE(recorder.error.find("wide.bmp (70x10 pixels as placed) is larger than the "
                                      "largest sheet, 64x64"),
                  std::string::npos)
            << recorder.error;
        EXPECT_FALSE(fs::exists(dir / "sprite.css"));
    }
}

// The limit holds for the double-size sheets, which split as their halves do.
TEST_F(Build, DoubleSizeSheetsSplitTheSameWay)
{
    for (int i = 0; i < 3; ++i)
        AddBmp("i" + std::to_string(i) + "@2x.bmp", 20, 20, kBlack);
    settings.Retina = true;
    settings.MaxSize = {45, 20};  // two images and the padding, 6 at double size, are 46 wide
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    for (const char* number : {"1", "2", "3"}) {
        EXPECT_EQ(LoadBmpFile(dir / ("sprite-" + std::string(number) + ".bmp")).Width(), 10);
        EXPECT_EQ(LoadBmpFile(dir / ("sprite-" + std::string(number) + "@2x.bmp")).Width(), 20);
    }
    const std::string css = Css();
    EXPECT_TRUE(IsWrittenStylesheet(css, true)) << css;
    EXPECT_NE(css.find("{ .sprite-sheet-3, .sprite-i2 { background-image: url('sprite-3%402x.bmp'); "
                       "background-image: image-set(url('sprite-3.bmp') 1x, url('sprite-3%402x.bmp') 2x); "
                       "background-size: 10px 10px; } }"),
              std::string::npos)
        << css;
    EXPECT_EQ(ListImageFiles(dir.Path().string()).files, inputs.GraphicFiles);
}

TEST_F(Build, AFollowingBuildWithFewerSheetsRemovesTheOthers)
{
    for (int i = 0; i < 3; ++i)
        AddBmp("i" + std::to_string(i) + ".bmp", 20, 20, kBlack);
    settings.MaxSize = {20, 20};
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    ASSERT_TRUE(fs::exists(dir / "sprite-3.bmp"));
    settings.MaxSize = {45, 20};
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_TRUE(fs::exists(dir / "sprite-2.bmp"));
    EXPECT_FALSE(fs::exists(dir / "sprite-3.bmp"));
    settings.MaxSize = {};
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_FALSE(fs::exists(dir / "sprite-1.bmp"));
    EXPECT_FALSE(fs::exists(dir / "sprite-2.bmp"));
    EXPECT_FALSE(fs::exists(dir / ".tessolo.outputs"));
}

}  // namespace
}  // namespace tessolo
