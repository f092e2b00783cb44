// How a build puts its sheet and stylesheet in place: both or neither, never
// through a link, never beside a half-written file, one build at a time.
#include "build_fixture.h"
#include "platform/error.h"
#include "support/file_size_limit.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <unistd.h>

namespace tessolo {
namespace {

namespace fs = std::filesystem;

// Every entry of a folder: the text of a stylesheet, a digest of any other
// file, the target of a link.
using FolderImage = std::map<std::string, std::string>;

FolderImage Snapshot(const fs::path& folder)
{
    FolderImage entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (entry.is_symlink()) {
            entries[name] = "link to " + fs::read_symlink(entry.path()).string();
            continue;
        }
        std::string bytes = test::Text(ReadFileBytes(entry.path().string()));
        entries[name] = entry.path().extension() == ".css"
                            ? bytes
                            : std::to_string(bytes.size()) + " bytes, hash " +
                                  std::to_string(std::hash<std::string>()(bytes));
    }
    return entries;
}

class Output : public test::Build {
protected:
    // A first build that leaves a sheet and a stylesheet to lose.
    void BuildOnce()
    {
        AddBmp("a.bmp", 6, 6, MakeColor(10, 20, 30));
        ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
        before = Snapshot(dir.Path());
    }
    void ExpectFolderUnchanged() { EXPECT_EQ(Snapshot(dir.Path()), before); }

    FolderImage before;
};

TEST_F(Output, DamagedSourceKeepsBothOldFilesAndNamesTheFile)
{
    BuildOnce();
    WriteFileReplacing(dir / "bad.bmp", Bytes{'B', 'M', 0, 0});
    AddBmp("first.bmp", 4, 4, kBlack);
    before = Snapshot(dir.Path());
    inputs.GraphicFiles = {"first.bmp", "bad.bmp", "a.bmp"};
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_EQ(recorder.error, "Bitmap image is not valid in file " + (dir / "bad.bmp"));
    EXPECT_EQ(recorder.lines.size(), 1u) << "the lines still appear as images are placed";
    EXPECT_EQ(recorder.finished, 1);
    ExpectFolderUnchanged();
}

TEST_F(Output, VanishedSourceKeepsBothOldFilesAndGivesTheReason)
{
    BuildOnce();
    inputs.Folder += "/";  // one separator, however the folder was given
    inputs.GraphicFiles.insert(inputs.GraphicFiles.begin(), "gone.bmp");
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_EQ(recorder.error,
              "Cannot open file " + (dir / "gone.bmp") + ": No such file or directory");
    ExpectFolderUnchanged();
}

TEST_F(Output, SheetTooLargeForItsTypeKeepsBothOldFiles)
{
    BuildOnce();
    inputs.OutputFileType = 2;  // GIF: at most 65535 pixels a side
    settings.HorizontalPadding = 65535;
    inputs.GraphicFiles = {"a.bmp", "a.bmp"};
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_NE(recorder.error.find("a GIF image has at most 65535 pixels"), std::string::npos)
        << recorder.error;
    ExpectFolderUnchanged();
}

TEST_F(Output, FullDiskKeepsBothOldFilesAndLeavesNoTemporaryFile)
{
    BuildOnce();
    AddBmp("b.bmp", 40, 40, kBlack);
    before = Snapshot(dir.Path());
    {
        test::FileSizeLimit limit(ReadFileBytes(dir / "sprite.bmp").size());
        EXPECT_EQ(Run(), BuildResult::Failed);
    }
    EXPECT_NE(recorder.error.find("Cannot write file " + (dir / "sprite.bmp")), std::string::npos)
        << recorder.error;
    EXPECT_EQ(recorder.finished, 2);  // the viewer saw the new sheet
    ExpectFolderUnchanged();
}

TEST_F(Output, ReadOnlyFolderKeepsBothOldFiles)
{
    BuildOnce();
    // Only the folder refuses writing; the old files themselves would allow it.
    fs::permissions(CssPath(), fs::perms::all);
    fs::permissions(dir / "sprite.bmp", fs::perms::all);
    fs::permissions(dir.Path(), fs::perms::owner_write | fs::perms::group_write |
                                    fs::perms::others_write, fs::perm_options::remove);
    before = Snapshot(dir.Path());
    inputs.GraphicFiles.push_back("a.bmp");  // a build with other lines
    // The owner's superuser writes anywhere, so the build runs in a child that
    // has given up those rights.
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setuid(65534) != 0)
                std::_Exit(2);
            BuildResult result = Run();
            std::fputs(recorder.cannotOpen.c_str(), stderr);
            std::_Exit(result == BuildResult::CannotOpen ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "for write: Permission denied");
    fs::permissions(dir.Path(), fs::perms::owner_write, fs::perm_options::add);
    ExpectFolderUnchanged();
}

TEST_F(Output, SheetWithoutPixelsIsRefusedAndReplacesNothing)
{
    BuildOnce();
    settings.ResizeMethod = 1;
    settings.ResizePercentage = 0;
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_EQ(recorder.error,
              "No image was placed on the sheet: every image was resized to nothing");
    EXPECT_EQ(recorder.finished, 1) << "the viewer was shown an empty sheet";
    ExpectFolderUnchanged();

    settings.ResizeMethod = 0;
    WriteFileReplacing(dir / "notes.txt", Bytes{'x'});
    before = Snapshot(dir.Path());
    inputs.GraphicFiles = {"notes.txt"};
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_EQ(recorder.error,
              "No image was placed on the sheet: no listed file is a PNG, JPEG, GIF or BMP image");
    ExpectFolderUnchanged();
}

// A sheet of some width but no height holds no image either: a strip of
// images resized to a height of 0, or a stack whose negative padding takes
// back more than each image gives.
TEST_F(Output, SheetWithWidthButNoHeightIsRefusedAndReplacesNothing)
{
    BuildOnce();
    inputs.GraphicFiles = {"a.bmp", "a.bmp"};
    settings.ResizeWidth = 8;
    settings.ResizeHeight = 0;
    const struct {
        Orientation orientation;
        std::int32_t resizeMethod, verticalPadding;
        const char* reason;
    } cases[] = {
        {kHorizontal, 2, 5, "every image was resized to nothing"},
        {kVertical, 0, -20, "the paddings leave no room for the images"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        settings.Orientation = c.orientation;
        settings.ResizeMethod = c.resizeMethod;
        settings.VerticalPadding = c.verticalPadding;
        EXPECT_EQ(Run(), BuildResult::Failed);
        EXPECT_EQ(recorder.error, std::string("No image was placed on the sheet: ") + c.reason);
        EXPECT_EQ(recorder.lines.size(), 2u);
        ExpectFolderUnchanged();
    }
}

TEST_F(Output, StylesheetLinkIsReplacedAndItsTargetKept)
{
    test::TempDir elsewhere;
    WriteFileReplacing(elsewhere / "precious.txt", Bytes{'k', 'e', 'e', 'p'});
    fs::create_symlink(elsewhere / "precious.txt", CssPath());
    AddBmp("a.bmp", 4, 4, kBlack);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(test::Text(ReadFileBytes(elsewhere / "precious.txt")), "keep");
    EXPECT_FALSE(fs::is_symlink(CssPath()));
    EXPECT_EQ(Css(), ".sprite-a { background-position: 0px 0px }\r\n");

    // A dangling link does not create its target.
    inputs.ProjectName = "dangling";
    fs::create_symlink(elsewhere / "made.css", CssPath());
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_FALSE(fs::exists(elsewhere / "made.css"));
    EXPECT_EQ(Css(), ".sprite-a { background-position: 0px 0px }\r\n");
}

TEST_F(Output, SecondBuildIsRefusedUntilTheFirstHasWrittenBothFiles)
{
    AddBmp("a.bmp", 4, 4, kBlack);
    test::Recorder second;
    BuildResult secondResult = BuildResult::Done;
    // The stylesheet is complete here and the sheet not yet written.
    recorder.onSheetFinished = [&] {
        SpriteBuilder other;
        secondResult = other.MakeSprites(inputs, settings, second);
    };
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(secondResult, BuildResult::CannotOpen);
    EXPECT_EQ(second.cannotOpen,
              "Cannot open " + CssPath() + " for write: another build is running in this folder");
    EXPECT_EQ(second.clears, 0);
    EXPECT_EQ(Css(), ".sprite-a { background-position: 0px 0px }\r\n");

    recorder.onSheetFinished = nullptr;
    EXPECT_EQ(Run(), BuildResult::Done) << "the lock outlived its build";
}

TEST_F(Output, UnwritableFolderGivesTheReason)
{
    AddBmp("a.bmp", 4, 4, kBlack);
    inputs.Folder = dir / "gone";
    EXPECT_EQ(Run(), BuildResult::CannotOpen);
    EXPECT_EQ(recorder.cannotOpen, "Cannot open " + (dir / "gone/sprite.css") +
                                       " for write: No such file or directory");
    EXPECT_EQ(recorder.clears, 0);
}

TEST_F(Output, ProjectNamesUpToTheFileNameLimitWork)
{
    inputs.ProjectName = std::string(251, 'n');  // NAME.css is 255 bytes
    AddBmp("a.bmp", 4, 4, kBlack);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Css(), ".sprite-a { background-position: 0px 0px }\r\n");
    EXPECT_EQ(Sheet().Width(), 4);
    EXPECT_EQ(Snapshot(dir.Path()).size(), 3u);
}

}  // namespace
}  // namespace tessolo
