// Builds that place identical images once: a folder of copies under several
// names, near-copies that must keep places of their own, and every layout.
#include "build_fixture.h"
#include "codecs/png/png_codec.h"
#include "platform/path.h"
#include "sprite/image_formats.h"
#include "sprite/layout.h"

#include <regex>

namespace tessolo {
namespace {

// A 24-bit image whose pixels all differ, so that a shifted or foreign
// rectangle shows.
Bitmap Pattern(int width, int height, std::uint8_t blue)
{
    Bitmap image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, MakeColor(std::uint8_t(20 * x), std::uint8_t(30 * y), blue));
    return image;
}

// One rule of line style 1.
struct Rule {
    std::string name;
    int x, y, width, height;
};

Rule ParseRule(const std::string& line)
{
    static const std::regex kRule(
        R"(\.sprite-(\S+) \{ background-position: (-?\d+)px (-?\d+)px; width: (\d+)px; height: (\d+)px; \})");
    std::smatch m;
    if (!std::regex_match(line, m, kRule))
        throw std::runtime_error("not a rule: " + line);
    return {m[1], -std::stoi(m[2]), -std::stoi(m[3]), std::stoi(m[4]), std::stoi(m[5])};
}

// A line with its position left out.
std::string WithoutPosition(const std::string& line)
{
    return std::regex_replace(line, std::regex(R"(background-position: -?\d+px -?\d+px)"), "");
}

class Dedupe : public test::Build {
protected:
    void SetUp() override
    {
        Build::SetUp();
        UseLineStyle(kPositionAndSize);
    }

    void AddImage(const std::string& name, const Bitmap& image)
    {
        const std::string path = dir / name;
        WriteFileReplacing(path, ExtensionOf(name) == ".png" ? EncodePngSheet(image, {})
                                                             : EncodeBmp(image, 6));
        inputs.GraphicFiles.push_back(name);
    }

    // Each rule's rectangle on the written sheet holds exactly its own
    // decoded source.
    void ExpectEveryRuleShowsItsOwnImage(const std::vector<std::string>& lines)
    {
        Bitmap sheet = Sheet();
        ASSERT_EQ(lines.size(), inputs.GraphicFiles.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string path = dir / inputs.GraphicFiles[i];
            Bitmap source = FormatForExtension(ExtensionOf(path))->loadSource(path);
            Rule rule = ParseRule(lines[i]);
            ASSERT_EQ(rule.width, source.Width()) << lines[i];
            ASSERT_EQ(rule.height, source.Height()) << lines[i];
            ASSERT_LE(rule.x + rule.width, sheet.Width()) << lines[i];
            ASSERT_LE(rule.y + rule.height, sheet.Height()) << lines[i];
            int wrong = 0;
            for (int y = 0; y < rule.height; ++y)
                for (int x = 0; x < rule.width; ++x)
                    wrong += sheet.Pixel(rule.x + x, rule.y + y) != source.Pixel(x, y);
            EXPECT_EQ(wrong, 0) << lines[i];
        }
    }

    // Copies under other names and in another file type, and near-copies
    // that differ in one pixel or in height.
    void AddIconFolderWithCopies()
    {
        const Bitmap star = Pattern(8, 6, 50);
        Bitmap nearStar = star;
        nearStar.SetPixel(7, 5, MakeColor(0, 0, 0));
        AddImage("star.bmp", star);
        AddImage("home.bmp", Pattern(8, 6, 200));
        AddImage("star-copy.bmp", star);
        AddImage("star-near.bmp", nearStar);
        AddImage("star-taller.bmp", Pattern(8, 7, 50));
        AddImage("star-again.png", star);
        AddImage("home-copy.bmp", Pattern(8, 6, 200));
    }
};

TEST_F(Dedupe, CopiesShareAPlaceInEveryLayoutAndEveryRuleShowsItsImage)
{
    AddIconFolderWithCopies();
    for (Orientation layout : {kHorizontal, kVertical, kGrid, kPacked}) {
        SCOPED_TRACE(layout);
        settings.Orientation = layout;
        settings.DedupeImages = false;
        ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
        const std::vector<std::string> separate = recorder.lines;
        const Bitmap separateSheet = Sheet();
        EXPECT_TRUE(recorder.remarks.empty());

        settings.DedupeImages = true;
        ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
        const std::vector<std::string> merged = recorder.lines;
        const Bitmap mergedSheet = Sheet();
        EXPECT_EQ(recorder.remarks,
                  std::vector<std::string>{"merged 3 images identical to ones placed before"});

        EXPECT_LT(std::int64_t(mergedSheet.Width()) * mergedSheet.Height(),
                  std::int64_t(separateSheet.Width()) * separateSheet.Height());
        ExpectEveryRuleShowsItsOwnImage(merged);
        // The copies point at the first image's place; the near-copies do not.
        auto at = [&merged](std::size_t i) {
            Rule rule = ParseRule(merged[i]);
            return std::pair(rule.x, rule.y);
        };
        EXPECT_EQ(at(2), at(0));
        EXPECT_EQ(at(5), at(0));
        EXPECT_EQ(at(6), at(1));
        EXPECT_NE(at(3), at(0));
        EXPECT_NE(at(4), at(0));

        ASSERT_EQ(merged.size(), separate.size());
        for (std::size_t i = 0; i < merged.size(); ++i)
            EXPECT_EQ(WithoutPosition(merged[i]), WithoutPosition(separate[i]));
    }
}

// A PNG source too large to be held beside the sheet is read for its size
// and hash, then again row by row onto the sheet; its copy still merges.
TEST_F(Dedupe, ALargePngIsDrawnRowByRowInEveryLayout)
{
    const Bitmap large = Pattern(2048, 2049, 90);
    AddImage("large.png", large);
    AddImage("small.bmp", Pattern(8, 6, 50));
    AddImage("large-copy.png", large);
    settings.DedupeImages = true;
    for (Orientation layout : {kHorizontal, kGrid, kPacked}) {
        SCOPED_TRACE(layout);
        settings.Orientation = layout;
        ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
        EXPECT_EQ(recorder.remarks,
                  std::vector<std::string>{"merged 1 image identical to one placed before"});
        ExpectEveryRuleShowsItsOwnImage(recorder.lines);
    }
}

TEST_F(Dedupe, HorizontalStripLeavesNoRoomForCopies)
{
    AddIconFolderWithCopies();
    settings.DedupeImages = true;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    // star, home, star-near, star-taller: four places, five pixels apart.
    EXPECT_EQ(Sheet().Width(), 4 * 8 + 3 * 5);
    EXPECT_EQ(Sheet().Height(), 7);
    EXPECT_EQ(ParseRule(recorder.lines[3]).x, 26);
    EXPECT_EQ(ParseRule(recorder.lines[4]).x, 39);
}

TEST_F(Dedupe, ImagesAreComparedAsPlacedAfterResizing)
{
    AddImage("small.bmp", test::Solid(2, 2, MakeColor(9, 9, 9)));
    AddImage("large.bmp", test::Solid(6, 3, MakeColor(9, 9, 9)));
    AddImage("other.bmp", test::Solid(2, 2, MakeColor(9, 9, 8)));
    settings.DedupeImages = true;
    settings.ResizeMethod = kResizeToSize;
    settings.ResizeWidth = 4;
    settings.ResizeHeight = 4;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Css(), ".sprite-small { background-position: 0px 0px; width: 4px; height: 4px; }\r\n"
                     ".sprite-large { background-position: 0px 0px; width: 4px; height: 4px; }\r\n"
                     ".sprite-other { background-position: -9px 0px; width: 4px; height: 4px; }\r\n");
    EXPECT_EQ(recorder.remarks,
              std::vector<std::string>{"merged 1 image identical to one placed before"});
    EXPECT_EQ(Sheet().Width(), 13);
}

TEST_F(Dedupe, ImagesResizedToNothingKeepTheirOwnLinesAndNoMergeIsTold)
{
    AddImage("a.bmp", test::Solid(40, 40, kBlack));
    AddImage("b.bmp", test::Solid(40, 40, kBlack));
    AddImage("c.bmp", test::Solid(500, 500, kBlack));  // 1 % of 500 is 4
    settings.DedupeImages = true;
    settings.ResizeMethod = kResizeByPercentage;
    settings.ResizePercentage = 1;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Css(), ".sprite-a { background-position: 0px 0px; width: 0px; height: 0px; }\r\n"
                     ".sprite-b { background-position: -5px 0px; width: 0px; height: 0px; }\r\n"
                     ".sprite-c { background-position: -10px 0px; width: 4px; height: 4px; }\r\n");
    EXPECT_TRUE(recorder.remarks.empty());
}

}  // namespace
}  // namespace tessolo
