// How a build puts its outputs in place: all or none, never through a link,
// never beside a half-written file, one build at a time, and what killed
// builds left behind removed.
#include "build_fixture.h"
#include "platform/error.h"
#include "settings/data_formats.h"
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
// file, the target of a link, or "folder".
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
        if (entry.is_directory()) {
            entries[name] = "folder";
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
    inputs.OutputFileType = kOutputGif;  // at most 65535 pixels a side
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
    settings.ResizeMethod = kResizeByPercentage;
    settings.ResizePercentage = 0;
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_EQ(recorder.error,
              "No image was placed on the sheet: every image was resized to nothing");
    EXPECT_EQ(recorder.finished, 1) << "the viewer was shown an empty sheet";
    ExpectFolderUnchanged();

    settings.ResizeMethod = kResizeNone;
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
        ResizeMode resizeMethod;
        std::int32_t verticalPadding;
        const char* reason;
    } cases[] = {
        {kHorizontal, kResizeToSize, 5, "every image was resized to nothing"},
        {kVertical, kResizeNone, -20, "the paddings leave no room for the images"},
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
    EXPECT_EQ(secondResult, BuildResult::FolderBusy);
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

// An output name that a second build cannot replace, found only once the
// files are written: a folder at it, or a name too long for the file system.
struct BlockedOutput {
    const char* label;
    const char* suffix;  // the output made a folder; empty: NAME@2x.png is too long
};

using LayoutAndBlockedOutput = std::tuple<OrientationInfo, BlockedOutput>;
class BlockedOutputs : public Output,
                       public ::testing::WithParamInterface<LayoutAndBlockedOutput> {};

TEST_P(BlockedOutputs, KeepEveryPreviousOutputAndLeaveNoTemporaryFile)
{
    const auto [layout, blocked] = GetParam();
    const bool nameTooLong = *blocked.suffix == '\0';
    settings.Orientation = layout.orientation;
    settings.DataFormats = kDataJson;
    settings.HtmlPreview = true;
    settings.Retina = !nameTooLong;
    inputs.OutputFileType = kOutputPng;
    if (nameTooLong)
        inputs.ProjectName = std::string(250, 'n');  // NAME.html is 255 bytes, NAME@2x.png 257
    AddBmp("a.bmp", 6, 4, MakeColor(200, 0, 0));
    AddBmp("b.bmp", 4, 8, MakeColor(0, 0, 200));
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    const std::string blockedPath =
        dir / (inputs.ProjectName + (nameTooLong ? "@2x.png" : blocked.suffix));
    if (!nameTooLong) {
        fs::remove(blockedPath);
        fs::create_directories(blockedPath + "/inside");
    }

    settings.Retina = true;
    AddBmp("c.bmp", 10, 2, MakeColor(0, 200, 0));  // new images for every output
    before = Snapshot(dir.Path());
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_EQ(recorder.error, "Cannot write file " + blockedPath + ": " +
                                  (nameTooLong ? "File name too long" : "Is a directory"));
    ExpectFolderUnchanged();
}

const BlockedOutput kBlockedOutputs[] = {
    {"PreviewPage", ".html"}, {"Json", ".json"}, {"DoubleSizeSheet", "@2x.png"},
    {"Stylesheet", ".css"}, {"NameTooLong", ""}};

INSTANTIATE_TEST_SUITE_P(
    , BlockedOutputs,
    ::testing::Combine(::testing::ValuesIn(kOrientations), ::testing::ValuesIn(kBlockedOutputs)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).commandWord) + std::get<1>(info.param).label;
    });

TEST_F(Output, TemporaryFilesOfKilledProgramsAreRemovedAndHeldOnesKept)
{
    for (const char* stale : {".tessolo-Ab12Cd", ".tessolo-zzzzzz"})
        WriteFileReplacing(dir / stale, Bytes{'x'});
    fs::create_symlink(dir / "sprite.css", dir / ".tessolo-link00");  // a kept link's name
    WriteFileReplacing(dir / ".tessolo-notes.txt", Bytes{'x'});  // not a name of ours
    ReplacementFile held(dir / "settings.reg");  // as a save in another program holds it
    held.Write(Bytes{'s'});
    AddBmp("a.bmp", 4, 4, kBlack);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    FolderImage entries = Snapshot(dir.Path());
    EXPECT_EQ(entries.count(".tessolo-notes.txt"), 1u);
    entries.erase(".tessolo-notes.txt");
    std::vector<std::string> names;
    for (const auto& [name, _] : entries)
        names.push_back(name);
    ASSERT_EQ(names.size(), 4u) << ::testing::PrintToString(names);
    EXPECT_TRUE(IsTemporaryFileName(names[0])) << names[0];  // the held one
    EXPECT_EQ(names[1], "a.bmp");
    held.PutInPlace();
    EXPECT_EQ(test::Text(ReadFileBytes(dir / "settings.reg")), "s");
}

}  // namespace
}  // namespace tessolo
