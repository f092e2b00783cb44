#include "sprite/sprite_build.h"

#include "platform/bmp.h"
#include "platform/error.h"
#include "platform/files.h"
#include "sprite/base_name.h"
#include "sprite/stylesheet.h"
#include "support/file_size_limit.h"
#include "support/images.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tessolo {
namespace {

using test::Solid;

// Keeps every report of a build.
struct Recorder : BuildObserver {
    void ValidationFailed(const std::string& m) override { validation = m; }
    void CannotOpen(const std::string& m) override { cannotOpen = m; }
    void ErrorReport(const std::string& m) override { error = m; }
    void ListCleared() override { lines.clear(); ++clears; }
    void LineWritten(const std::string& line) override { lines.push_back(line); }
    void SourceSkipped(const std::string& path) override { skipped.push_back(path); }
    void SheetFinished(const Bitmap& sheet) override { viewer = sheet; ++finished; }
    void SheetWritten(const std::string& path) override { written = path; }

    std::string validation, cannotOpen, error, written;
    std::vector<std::string> lines, skipped;
    Bitmap viewer;
    int clears = 0, finished = 0;
};

std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

class Build : public ::testing::Test {
protected:
    void SetUp() override
    {
        inputs.Folder = dir.Path().string();
        inputs.ProjectName = "sprite";
        inputs.SpriteClass = ".sprite";
        inputs.LineStyleIndex = 0;
        inputs.LineStyleText = kLineStyleTexts[0];
        inputs.OutputFileType = 3;
        settings.BMPprefs.PixelFormat = 6;  // 24 bits: exact colours
    }

    void AddBmp(const std::string& name, int w, int h, ColorRef color)
    {
        WriteFileReplacing(dir / name, EncodeBmp(Solid(w, h, color), 6));
        inputs.GraphicFiles.push_back(name);
    }

    BuildResult Run() { return builder.MakeSprites(inputs, settings, recorder); }
    std::string Css() { return Text(ReadFileBytes(dir / (inputs.ProjectName + ".css"))); }
    Bitmap Sheet() { return LoadBmpFile(dir / (inputs.ProjectName + ".bmp")); }

    test::TempDir dir;
    BuildInputs inputs;
    BuildSettings settings;
    SpriteBuilder builder;
    Recorder recorder;
};

TEST(Validation, ListsEveryMissingInputInOrderWithLfCr)
{
    BuildInputs empty;
    empty.LineStyleText = kLineStyleTexts[0];
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
    in.LineStyleText = kLineStyleTexts[1];
    in.LineStyleIndex = 1;
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
    in.LineStyleIndex = -1;
    BuildSettings settings;
    settings.Orientation = 3;
    EXPECT_EQ(ValidateInputs(in, settings),
              "No CSS line style selected\n\r"
              "No valid sheet orientation set (3; use 0 horizontal, 1 vertical or 2 grid)\n\r");
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

TEST(BaseNameTest, DropsFolderAndLastExtension)
{
    EXPECT_EQ(BaseName("my.sprite"), "my");
    EXPECT_EQ(BaseName("/a/b/Logo.PNG"), "Logo");
    EXPECT_EQ(BaseName("/a/icon.small.png"), "icon.small");
    EXPECT_EQ(BaseName("noext"), "noext");
    EXPECT_EQ(ExtensionOf("/a.b/file"), "");
    EXPECT_EQ(ExtensionOf("x/Logo.PNG"), ".PNG");
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
    settings.ResizeMethod = 2;
    settings.ResizeWidth = 32;
    settings.ResizeHeight = 24;
    inputs.LineStyleIndex = 1;
    inputs.LineStyleText = kLineStyleTexts[1];
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
    AddBmp("a.bmp", 50, 50, kBlack);
    AddBmp("b.bmp", 50, 50, kBlack);
    settings.ResizeMethod = 1;
    settings.ResizePercentage = 1;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Css(),
              ".sprite-a { background-position: 0px 0px }\r\n"
              ".sprite-b { background-position: -5px 0px }\r\n");
}

TEST_F(Build, ProportionalResizeAtFullSizeKeepsPixels)
{
    Bitmap pattern(3, 2);
    pattern.SetPixel(0, 0, MakeColor(9, 8, 7));
    pattern.SetPixel(2, 1, MakeColor(1, 2, 3));
    WriteFileReplacing(dir / "p.bmp", EncodeBmp(pattern, 6));
    inputs.GraphicFiles = {"p.bmp"};
    settings.ResizeMethod = 1;
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

TEST_F(Build, DamagedSourceEndsTheBuildWithoutASheet)
{
    AddBmp("good.bmp", 4, 4, kBlack);
    WriteFileReplacing(dir / "bad.bmp", Bytes{'B', 'M', 0, 0});
    inputs.GraphicFiles.push_back("bad.bmp");
    AddBmp("later.bmp", 4, 4, kBlack);
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_EQ(recorder.error, "Bitmap image is not valid");
    EXPECT_EQ(Css(), ".sprite-good { background-position: 0px 0px }\r\n");
    EXPECT_EQ(recorder.finished, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "sprite.bmp"));
}

TEST_F(Build, MissingSourceNamesThePath)
{
    inputs.Folder += "/";  // one separator, however the folder was given
    inputs.GraphicFiles = {"gone.bmp"};
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_EQ(recorder.error, "Cannot open file " + (dir / "gone.bmp"));
    EXPECT_EQ(Css(), "");
}

TEST_F(Build, LockedStylesheetShowsTheCannotOpenMessage)
{
    AddBmp("a.bmp", 4, 4, kBlack);
    std::string css = dir / "sprite.css";
    WriteFileReplacing(css, Bytes{'o', 'l', 'd'});
    int fd = ::open(css.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_EQ(Run(), BuildResult::CannotOpen);
    ::close(fd);
    EXPECT_EQ(recorder.cannotOpen, "Cannot open " + css + " for write");
    EXPECT_EQ(recorder.clears, 0);
    EXPECT_EQ(Css(), "old");
}

TEST_F(Build, FailedSheetWriteKeepsThePreviousSheet)
{
    AddBmp("a.bmp", 40, 40, kBlack);
    ASSERT_EQ(Run(), BuildResult::Done);
    Bytes before = ReadFileBytes(dir / "sprite.bmp");

    AddBmp("b.bmp", 40, 40, kBlack);
    {
        test::FileSizeLimit limit(before.size());
        EXPECT_EQ(Run(), BuildResult::Failed);
    }
    EXPECT_NE(recorder.error.find("Cannot write file " + (dir / "sprite.bmp")), std::string::npos)
        << recorder.error;
    EXPECT_EQ(ReadFileBytes(dir / "sprite.bmp"), before);
    EXPECT_EQ(recorder.finished, 2);  // the viewer saw the new sheet
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 4) << "a temporary file was left behind";
}

}  // namespace
}  // namespace tessolo
