#include "sprite/sprite_build.h"

#include "build_fixture.h"
#include "codecs/jpeg/jpeg_codec.h"

#include <filesystem>

namespace tessolo {
namespace {

using test::Build;
using test::Recorder;
using test::Solid;

TEST(Validation, ListsEveryMissingInputInOrderWithLfCr)
{
    BuildInputs empty;
    empty.LineStyleText = kLineStyleTexts[kPositionOnly];
    Recorder recorder;
    SpriteBuilder builder;
    EXPECT_EQ(builder.MakeSprites(empty, BuildSettings(), recorder), BuildResult::InvalidInputs);
    EXPECT_EQ(recorder.validation,
              "The following errors were found:\n\r\n\r"
              "No images files selected\n\r"
              "No sprite project name (output sprite filename) entered\n\r"
              "No sprite classname selected or entered\n\r");
    EXPECT_EQ(recorder.clears, 0);
    EXPECT_STREQ(kBuildMessageCaption, "Can't Make Sprites");
}

TEST(Validation, ClassNeedsLeadingDot)
{
    BuildInputs in;
    in.GraphicFiles = {"a.bmp"};
    in.ProjectName = "p";
    in.LineStyleText = kLineStyleTexts[kPositionAndSize];
    in.LineStyle = kPositionAndSize;
    BuildSettings settings;
    for (const char* good : {".sprite", "."}) {
        in.SpriteClass = good;
        EXPECT_EQ(ValidateInputs(in, settings), "") << good;
    }
    in.SpriteClass = "sprite";
    EXPECT_EQ(ValidateInputs(in, settings), "No sprite classname selected or entered\n\r");
}

TEST(Validation, LineStyleAndOrientationHaveLinesOfTheirOwn)
{
    BuildInputs in;
    in.GraphicFiles = {"a.bmp"};
    in.ProjectName = "p";
    in.SpriteClass = ".s";
    in.LineStyle = std::nullopt;
    BuildSettings settings;
    settings.Orientation = Orientation(4);  // outside the table, as no store or option gives
    EXPECT_EQ(ValidateInputs(in, settings),
              "No CSS line style selected\n\r"
              "No valid sheet orientation set (4; use 0 horizontal, 1 vertical, 2 grid or 3 "
              "packed)\n\r");
}

TEST(Validation, ProjectNameMustNameAFileInTheFolder)
{
    BuildInputs in;
    in.GraphicFiles = {"a.bmp"};
    in.SpriteClass = ".s";
    in.LineStyleText = kLineStyleTexts[kPositionOnly];
    BuildSettings settings;
    for (const char* bad : {"../escape", "sub/name", "/tmp/abs", "name/", ".", ".."}) {
        in.ProjectName = bad;
        EXPECT_EQ(ValidateInputs(in, settings),
                  "The sprite project name must be a file name: no \"/\", not \".\" or \"..\"\n\r")
            << bad;
    }
    for (const char* good : {"a.b", "..a", "...", ".hidden", "with blank"}) {
        in.ProjectName = good;
        EXPECT_EQ(ValidateInputs(in, settings), "") << good;
    }
}

TEST(Resize, ProportionalSidesUseSinglePrecisionFactorAndTruncate)
{
    EXPECT_EQ(ScaledSide(100, 29), 28);
    EXPECT_EQ(ScaledSide(100, 57), 56);
    EXPECT_EQ(ScaledSide(100, 58), 57);
    EXPECT_EQ(ScaledSide(101, 50), 50);
    EXPECT_EQ(ScaledSide(300, 33), 99);
    EXPECT_EQ(ScaledSide(50, 1), 0);
    EXPECT_EQ(ScaledSide(40, 100), 40);
    EXPECT_EQ(ScaledSide(40, -50), 0);
}

TEST_F(Build, PacksAHorizontalStripAndWritesBothFiles)
{
    AddBmp("red.bmp", 10, 20, MakeColor(255, 0, 0));
    AddBmp("green.bmp", 30, 5, MakeColor(0, 255, 0));
    AddBmp("blue.bmp", 15, 15, MakeColor(0, 0, 255));
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;

    EXPECT_EQ(Css(),
              ".sprite-red { background-position: 0px 0px }\r\n"
              ".sprite-green { background-position: -15px 0px }\r\n"
              ".sprite-blue { background-position: -50px 0px }\r\n");
    EXPECT_EQ(recorder.lines.size(), 3u);
    EXPECT_EQ(recorder.lines[1], ".sprite-green { background-position: -15px 0px }");
    EXPECT_EQ(recorder.written, dir / "sprite.bmp");

    Bitmap sheet = Sheet();
    ASSERT_EQ(sheet.Width(), 65);
    ASSERT_EQ(sheet.Height(), 20);
    EXPECT_EQ(sheet.Pixel(9, 19), MakeColor(255, 0, 0));
    EXPECT_EQ(sheet.Pixel(12, 0), kWhite);  // padding
    EXPECT_EQ(sheet.Pixel(15, 4), MakeColor(0, 255, 0));
    EXPECT_EQ(sheet.Pixel(15, 5), kWhite);  // below the short image
    EXPECT_EQ(sheet.Pixel(64, 14), MakeColor(0, 0, 255));
    EXPECT_EQ(recorder.finished, 1);
    EXPECT_EQ(recorder.viewer.Width(), 65);
}

TEST_F(Build, ExactResizeReportsTheNewSizeInLineStyleOne)
{
    AddBmp("a.bmp", 3, 7, MakeColor(1, 2, 3));
    AddBmp("b.bmp", 50, 2, MakeColor(4, 5, 6));
    settings.Orientation = kVertical;
    settings.ResizeMethod = kResizeToSize;
    settings.ResizeWidth = 32;
    settings.ResizeHeight = 24;
    UseLineStyle(kPositionAndSize);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Css(),
              ".sprite-a { background-position: 0px 0px; width: 32px; height: 24px; }\r\n"
              ".sprite-b { background-position: 0px -29px; width: 32px; height: 24px; }\r\n");
    Bitmap sheet = Sheet();
    EXPECT_EQ(sheet.Width(), 32);
    EXPECT_EQ(sheet.Height(), 53);
    EXPECT_EQ(sheet.Pixel(31, 23), MakeColor(1, 2, 3));
    EXPECT_EQ(sheet.Pixel(31, 52), MakeColor(4, 5, 6));
}

TEST_F(Build, ImagesResizedToNothingStillGetALineAndPadding)
{
    EXPECT_EQ(CssOfImagesShrunkToNothing(500, 500),
              ".sprite-a { background-position: 0px 0px }\r\n"
              ".sprite-b { background-position: -5px 0px }\r\n");
    EXPECT_EQ(Sheet().Width(), 9);  // 1 % of 500 is 4
}

TEST_F(Build, ProportionalResizeAtFullSizeKeepsPixels)
{
    Bitmap pattern(3, 2);
    pattern.SetPixel(0, 0, MakeColor(9, 8, 7));
    pattern.SetPixel(2, 1, MakeColor(1, 2, 3));
    WriteFileReplacing(dir / "p.bmp", EncodeBmp(pattern, 6));
    inputs.GraphicFiles = {"p.bmp"};
    settings.ResizeMethod = kResizeByPercentage;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    Bitmap sheet = Sheet();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(sheet.Pixel(x, y), pattern.Pixel(x, y));
}

TEST_F(Build, ProjectNameWithDotsKeepsThemAndRunsReplaceTheFiles)
{
    inputs.ProjectName = "a.b";
    AddBmp("one.bmp", 4, 4, kBlack);
    ASSERT_EQ(Run(), BuildResult::Done);
    EXPECT_TRUE(std::filesystem::exists(dir / "a.b.css"));
    EXPECT_TRUE(std::filesystem::exists(dir / "a.b.bmp"));

    inputs.GraphicFiles = {"one.bmp", "one.bmp"};
    inputs.SpriteClass = ".x";
    ASSERT_EQ(Run(), BuildResult::Done);
    EXPECT_EQ(Css(),
              ".x-one { background-position: 0px 0px }\r\n"
              ".x-one { background-position: -9px 0px }\r\n");
    EXPECT_EQ(Sheet().Width(), 13);
}

TEST_F(Build, FilesOfOtherTypesAreSkipped)
{
    AddBmp("a.bmp", 4, 4, kBlack);
    WriteFileReplacing(dir / "notes.txt", Bytes{'h', 'i'});
    inputs.GraphicFiles.push_back("notes.txt");
    AddBmp("b.BMP", 4, 4, kBlack);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(recorder.skipped, std::vector<std::string>{dir / "notes.txt"});
    EXPECT_EQ(Css(),
              ".sprite-a { background-position: 0px 0px }\r\n"
              ".sprite-b { background-position: -9px 0px }\r\n");
}

TEST_F(Build, JpegSourcesMayEndInJpegInAnyCase)
{
    WriteFileReplacing(dir / "photo.jpeg", EncodeJpegSheet(Solid(8, 8, kBlack), {}));
    WriteFileReplacing(dir / "scan.JPEG", EncodeJpegSheet(Solid(4, 4, kBlack), {}));
    inputs.GraphicFiles = {"photo.jpeg", "scan.JPEG"};
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_TRUE(recorder.skipped.empty());
    EXPECT_EQ(Css(),
              ".sprite-photo { background-position: 0px 0px }\r\n"
              ".sprite-scan { background-position: -13px 0px }\r\n");
}

}  // namespace
}  // namespace tessolo
