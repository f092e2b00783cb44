// Builds with the packed layout, checked on the written sheet and stylesheet.
#include "build_fixture.h"
#include "codecs/png/png_codec.h"
#include "sprite/rect_packer.h"

#include <random>

namespace tessolo {
namespace {

using test::Rule;
using test::SizedRules;

class PackedBuild : public test::Build {
protected:
    void SetUp() override
    {
        Build::SetUp();
        settings.Orientation = kPacked;
        UseLineStyle(kPositionAndSize);
    }

    // Adds a source of a colour of its own, and remembers the colour.
    void AddImage(const std::string& name, int w, int h)
    {
        ColorRef color = MakeColor(std::uint8_t(20 + colors.size() * 7), std::uint8_t(w), std::uint8_t(h));
        AddBmp(name + ".bmp", w, h, color);
        colors.push_back(color);
    }

    // Every rule's rectangle on the sheet holds its image's colour, and every
    // pixel outside all rectangles is white background.
    void ExpectSheetMatchesRules(const Bitmap& sheet, const std::vector<Rule>& rules)
    {
        std::vector<int> owner(std::size_t(sheet.Width()) * sheet.Height(), -1);
        for (std::size_t i = 0; i < rules.size(); ++i) {
            const Rule& r = rules[i];
            for (int y = r.y; y < r.y + r.height; ++y)
                for (int x = r.x; x < r.x + r.width; ++x) {
                    ASSERT_TRUE(x >= 0 && y >= 0 && x < sheet.Width() && y < sheet.Height())
                        << r.name << " leaves the sheet";
                    int& cell = owner[std::size_t(y) * sheet.Width() + x];
                    ASSERT_EQ(cell, -1) << r.name << " overlaps " << rules[cell].name;
                    cell = int(i);
                }
        }
        for (int y = 0; y < sheet.Height(); ++y)
            for (int x = 0; x < sheet.Width(); ++x) {
                int cell = owner[std::size_t(y) * sheet.Width() + x];
                ASSERT_EQ(sheet.Pixel(x, y), cell < 0 ? kWhite : colors[cell])
                    << "at " << x << "," << y;
            }
    }

    std::vector<ColorRef> colors;
};

TEST_F(PackedBuild, RulesFollowTheListAndNameWherePixelsWerePlaced)
{
    AddImage("wide", 40, 6);
    AddImage("small", 5, 5);
    AddImage("tall", 8, 30);
    AddImage("square", 16, 16);
    AddImage("tiny", 1, 2);
    settings.HorizontalPadding = 3;
    settings.VerticalPadding = 2;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;

    std::vector<Rule> rules = SizedRules(Css());
    ASSERT_EQ(rules.size(), 5u);
    const char* const listOrder[] = {"wide", "small", "tall", "square", "tiny"};
    for (std::size_t i = 0; i < rules.size(); ++i)
        EXPECT_EQ(rules[i].name, listOrder[i]);
    EXPECT_EQ(recorder.lines.size(), 5u);  // one report per placed image
    EXPECT_TRUE(recorder.remarks.empty());

    Bitmap sheet = Sheet();
    ExpectSheetMatchesRules(sheet, rules);
    // Paddings between neighbours; the sheet ends at its outermost images.
    int right = 0, bottom = 0;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const Rule& a = rules[i];
        right = std::max(right, a.x + a.width);
        bottom = std::max(bottom, a.y + a.height);
        for (std::size_t j = 0; j < i; ++j) {
            const Rule& b = rules[j];
            EXPECT_TRUE(a.x >= b.x + b.width + 3 || b.x >= a.x + a.width + 3 ||
                        a.y >= b.y + b.height + 2 || b.y >= a.y + a.height + 2)
                << a.name << " and " << b.name;
        }
    }
    EXPECT_EQ(sheet.Width(), right);
    EXPECT_EQ(sheet.Height(), bottom);
}

TEST_F(PackedBuild, TheSameFolderGivesTheSameFiles)
{
    std::mt19937 random(5);
    for (int i = 0; i < 25; ++i)
        AddImage("img" + std::to_string(i), std::uniform_int_distribution<int>(1, 40)(random),
                 std::uniform_int_distribution<int>(1, 40)(random));
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    Bytes sheet = ReadFileBytes(dir / "sprite.bmp");
    std::string css = Css();
    ExpectSheetMatchesRules(Sheet(), SizedRules(css));

    SpriteBuilder second;
    ASSERT_EQ(second.MakeSprites(inputs, settings, recorder), BuildResult::Done) << recorder.error;
    EXPECT_EQ(ReadFileBytes(dir / "sprite.bmp"), sheet);
    EXPECT_EQ(Css(), css);
}

TEST_F(PackedBuild, RandomFoldersMatchThePackerAndTheirRules)
{
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        inputs.GraphicFiles.clear();
        colors.clear();
        std::vector<PackItem> items;
        int count = std::uniform_int_distribution<int>(1, 15)(random);
        for (int i = 0; i < count; ++i) {
            int w = std::uniform_int_distribution<int>(1, 24)(random);
            int h = std::uniform_int_distribution<int>(1, 24)(random);
            std::string name = "s" + std::to_string(seed) + "-" + std::to_string(i);
            AddImage(name, w, h);
            items.push_back({w, h, name});
        }
        settings.HorizontalPadding = std::uniform_int_distribution<int>(0, 6)(random);
        settings.VerticalPadding = std::uniform_int_distribution<int>(0, 6)(random);
        ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;

        PackedSheet packed =
            PackRectangles(items, settings.HorizontalPadding, settings.VerticalPadding);
        std::vector<Rule> rules = SizedRules(Css());
        ASSERT_EQ(rules.size(), items.size());
        for (std::size_t i = 0; i < rules.size(); ++i) {
            EXPECT_EQ(rules[i].x, packed.Positions[i].X) << rules[i].name;
            EXPECT_EQ(rules[i].y, packed.Positions[i].Y) << rules[i].name;
        }
        Bitmap sheet = Sheet();
        EXPECT_EQ(sheet.Width(), packed.Width);
        EXPECT_EQ(sheet.Height(), packed.Height);
        ExpectSheetMatchesRules(sheet, rules);
    }
}

TEST_F(PackedBuild, NegativePaddingsAreNotedAndImagesStillApart)
{
    AddImage("a", 10, 10);
    AddImage("b", 10, 10);
    settings.HorizontalPadding = -4;
    settings.VerticalPadding = 2;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(recorder.remarks,
              (std::vector<std::string>{"The packed layout counts a negative padding as 0"}));
    ExpectSheetMatchesRules(Sheet(), SizedRules(Css()));
}

TEST_F(PackedBuild, ImagesResizedToNothingKeepTheirRule)
{
    EXPECT_EQ(CssOfImagesShrunkToNothing(500, 300),
              ".sprite-a { background-position: 0px 0px; width: 0px; height: 0px; }\r\n"
              ".sprite-b { background-position: 0px 0px; width: 4px; height: 2px; }\r\n");
    EXPECT_EQ(Sheet().Width(), 4);  // 1 % of 500 and 300 in single precision
    EXPECT_EQ(Sheet().Height(), 2);
}

TEST_F(PackedBuild, SkippedFilesAndNothingToPlaceAreReportedAsInStrips)
{
    WriteFileReplacing(dir / "notes.txt", Bytes{'x'});
    inputs.GraphicFiles.push_back("notes.txt");
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_EQ(recorder.skipped, (std::vector<std::string>{dir / "notes.txt"}));
    EXPECT_EQ(recorder.error,
              "No image was placed on the sheet: no listed file is a PNG, JPEG, GIF or BMP image");

    WriteFileReplacing(dir / "broken.bmp", Bytes{'B', 'M', 0});
    inputs.GraphicFiles = {"broken.bmp"};
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_NE(recorder.error.find(dir / "broken.bmp"), std::string::npos) << recorder.error;
}

// Every source is read for its size, then again to be drawn, whole or a row
// at a time by its type: one that has changed between the two fails the
// build rather than spill over its neighbours.
TEST_F(PackedBuild, ASourceChangedBeforeItIsDrawnFailsTheBuild)
{
    for (const std::string extension : {".bmp", ".png"}) {
        SCOPED_TRACE(extension);
        const auto write = [&](const std::string& name, int side) {
            const Bitmap image = test::Solid(side, side, kBlack);
            WriteFileReplacing(dir / name, extension == ".png" ? EncodePngSheet(image, {})
                                                               : EncodeBmp(image, 6));
        };
        write("a" + extension, 8);
        write("b" + extension, 4);
        inputs.GraphicFiles = {"a" + extension, "b" + extension};
        struct Rewriter : test::Recorder {
            std::function<void()> firstRule;
            void LineWritten(const std::string&) override
            {
                if (std::function<void()> rewrite = std::exchange(firstRule, nullptr))
                    rewrite();
            }
        } observer;
        observer.firstRule = [&] { write("b" + extension, 6); };
        EXPECT_EQ(builder.MakeSprites(inputs, settings, observer), BuildResult::Failed);
        EXPECT_EQ(observer.error,
                  "The image " + (dir / ("b" + extension)) + " changed while the build read it");
        EXPECT_FALSE(std::filesystem::exists(dir / "sprite.bmp"));
    }
}

}  // namespace
}  // namespace tessolo
