#include "app/main_window_model.h"

#include "codecs/bmp/bmp_codec.h"
#include "platform/error.h"
#include "platform/files.h"
#include "settings/delimited_text.h"
#include "sprite/stylesheet.h"
#include "support/images.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace tessolo {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

void WriteImage(const std::string& path, int width, int height)
{
    WriteFileReplacing(path, EncodeBmp(test::Solid(width, height, MakeColor(200, 40, 40)), 6));
}

class MainWindowModelTest : public ::testing::Test {
protected:
    MainWindowModelTest()
        : store(records, {.storeFile = temp / "Tessolo.reg", .saveOnDestruction = false}),
          model(store)
    {
        fs::create_directory(Folder("one"));
        fs::create_directory(Folder("two"));
    }

    std::string Folder(const std::string& name) const
    {
        return fs::canonical(temp.Path()).string() + "/" + name;
    }
    // Shows `folder` holding the given files (written when missing).
    void Show(const std::string& folder, const std::vector<std::string>& files)
    {
        for (const std::string& name : files)
            if (!fs::exists(folder + "/" + name))
                WriteImage(folder + "/" + name, 2, 2);
        model.SetFolder(folder);
    }
    std::vector<int> IndicesOf(const std::vector<std::string>& names) const
    {
        std::vector<int> indices;
        const auto& available = model.AvailableFiles();
        for (const std::string& name : names)
            indices.push_back(int(std::find(available.begin(), available.end(), name) -
                                  available.begin()));
        return indices;
    }

    test::TempDir temp;
    FormatPrefsSet records;
    OrvaneRegistry store;
    MainWindowModel model;
};

TEST_F(MainWindowModelTest, ListsImageFilesByExtensionWithoutCaseSortedWithoutCase)
{
    const std::string one = Folder("one");
    fs::create_directory(one + "/folder.png");
    ASSERT_EQ(::mkfifo((one + "/pipe.png").c_str(), 0600), 0);
    fs::create_symlink("loop.gif", one + "/loop.gif");
    std::ofstream(one + "/notes.txt") << "x";
    // A sheet beside the stylesheet that a build wrote is no source.
    std::ofstream(one + "/sheet.css") << ".sprite-a { background-position: 0px 0px }\r\n";
    Show(one, {"b.PNG", "A.jpg", "c.Gif", "a.bmp", "z.jpeg", "y.tif", "sheet.png"});
    EXPECT_EQ(model.AvailableFiles(), (Strings{"a.bmp", "A.jpg", "b.PNG", "c.Gif", "z.jpeg"}));
    EXPECT_EQ(store.DefaultPath, one);

    // The entry that cannot be read is warned about once, however often the
    // folder is read again.
    const Strings loop{"warning: skipped " + one + "/loop.gif: Too many levels of symbolic links",
                       "warning: skipped 1 image of a type not read (only PNG, JPEG, GIF, BMP, WebP and "
                       "SVG are): y.tif"};
    EXPECT_EQ(model.TakeFolderWarnings(), loop);
    model.SetFolder(one);
    EXPECT_EQ(model.TakeFolderWarnings(), Strings{});
    model.SetFolder(Folder("two"));
    model.SetFolder(one);
    EXPECT_EQ(model.TakeFolderWarnings(), loop);
}

TEST_F(MainWindowModelTest, RefusesFilesNamedLikeTheProjectWithTheExactNotice)
{
    Show(Folder("one"), {"sprite.png", "Sprite.gif", "logo.png", "other.bmp"});
    auto notices = model.AddFiles(IndicesOf({"sprite.png", "Sprite.gif", "logo.png"}));
    EXPECT_EQ(notices,
                (Strings{"Did not add the file'Sprite.gif' to list.  Same name as output CSS file.",
                            "Did not add the file'sprite.png' to list.  Same name as output CSS file."}));
    EXPECT_EQ(model.ProcessListTexts(), (Strings{"logo.png"}));
    EXPECT_EQ(model.AvailableFiles(), (Strings{"other.bmp"}));

    // Both names reduce to "banner".
    model.SetProjectName("banner.small");
    Show(Folder("two"), {"banner.png"});
    EXPECT_EQ(model.AddFiles({0}).size(), 1u);
    EXPECT_TRUE(model.AvailableFiles().empty());
}

TEST_F(MainWindowModelTest, MovesFilesInListOrderAndBackIntoTheSortedList)
{
    Show(Folder("one"), {"a.png", "b.png", "c.png", "d.png"});
    model.AddFiles({3, 0});
    model.AddFiles({0});  // "b.png", now first
    EXPECT_EQ(model.ProcessListTexts(), (Strings{"a.png", "d.png", "b.png"}));
    model.RemoveFiles({1});
    EXPECT_EQ(model.AvailableFiles(), (Strings{"c.png", "d.png"}));
    model.RemoveAllFiles();
    EXPECT_TRUE(model.ProcessList().empty());
    EXPECT_EQ(model.AvailableFiles(), (Strings{"a.png", "b.png", "c.png", "d.png"}));
}

struct MoveCase {
    std::vector<int> selected;
    int rowOrStep;
    bool shift;  // Ctrl+Up/Down rather than a drop before `rowOrStep`
    std::string order;
    std::vector<int> placed;
};

class MoveFilesTest : public MainWindowModelTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveFilesTest, MovesTheSelectedEntriesAsABlock)
{
    Show(Folder("one"), {"a.png", "b.png", "c.png", "d.png", "e.png"});
    model.AddFiles({0, 1, 2, 3, 4});
    const MoveCase& c = GetParam();
    std::vector<int> placed = c.shift ? model.ShiftFiles(c.selected, c.rowOrStep)
                                      : model.MoveFiles(c.selected, c.rowOrStep);
    std::string order;
    for (const ProcessEntry& entry : model.ProcessList())
        order += entry.name[0];
    EXPECT_EQ(order, c.order);
    EXPECT_EQ(placed, c.placed);
}

INSTANTIATE_TEST_SUITE_P(Cases, MoveFilesTest, ::testing::Values(
    MoveCase{{3}, 0, false, "dabce", {0}},
    MoveCase{{0, 1}, 4, false, "cdabe", {2, 3}},
    MoveCase{{0}, 5, false, "bcdea", {4}},
    MoveCase{{4, 1}, -1, false, "acdbe", {3, 4}},  // out of range: to the end
    MoveCase{{2, 3}, -1, true, "acdbe", {1, 2}},
    MoveCase{{1, 3}, +1, true, "acebd", {3, 4}},   // gathered below the last
    MoveCase{{0}, -1, true, "abcde", {0}},         // already at the top
    MoveCase{{4}, +1, true, "abcde", {4}},
    MoveCase{{9}, +1, true, "abcde", {}}));

TEST_F(MainWindowModelTest, DroppedFilesAndFoldersJoinByTheRulesOfTheAddButton)
{
    Show(Folder("one"), {"a.png", "b.png", "sprite.gif"});
    WriteImage(Folder("two") + "/c.bmp", 2, 2);
    WriteImage(Folder("two") + "/d.png", 2, 2);
    std::ofstream(Folder("two") + "/notes.txt") << "x";
    model.AddFiles({0});
    const std::string gone = Folder("two") + "/gone.png";
    Strings notices = model.AddPaths(
        {Folder("one") + "/b.png", Folder("two"), Folder("one") + "/a.png",
         Folder("one") + "/sprite.gif", Folder("two") + "/notes.txt", gone},
        0);
    EXPECT_EQ(notices, (Strings{SameNameNotice("sprite.gif"),
                                NotAnImageNotice(Folder("two") + "/notes.txt"),
                                NotAnImageNotice(gone)}));
    EXPECT_EQ(model.ProcessListTexts(),
              (Strings{"b.png", "c.bmp  (in " + Folder("two") + ")",
                       "d.png  (in " + Folder("two") + ")", "a.png"}));
    EXPECT_EQ(model.AvailableFiles(), Strings{});
}

TEST_F(MainWindowModelTest, RecentFoldersKeepTheLastTenEachOnceTheLatestFirst)
{
    for (int i = 0; i < 12; ++i)
        model.NoteRecentFolder("/f" + std::to_string(i));
    model.NoteRecentFolder("/f5");
    Strings expected{"/f5", "/f11", "/f10", "/f9", "/f8", "/f7", "/f6", "/f4", "/f3", "/f2"};
    EXPECT_EQ(model.RecentFolders(), expected);
    EXPECT_EQ(SplitDelimitedText(store.RecentFolders), expected);
}

TEST_F(MainWindowModelTest, APickedFileStaysOutOfTheAvailableListWhenItsFolderIsShownAgain)
{
    Show(Folder("one"), {"a.png", "b.png"});
    model.AddFiles({0});
    model.SetFolder(Folder("two"));
    model.SetFolder(Folder("one"));
    EXPECT_EQ(model.AvailableFiles(), (Strings{"b.png"}));
    model.RemoveAllFiles();
    EXPECT_EQ(model.AvailableFiles(), (Strings{"a.png", "b.png"}));
}

TEST_F(MainWindowModelTest, ReadsEachFileFromTheFolderItWasPickedIn)
{
    // Files of the same name but different sizes in both folders.
    WriteImage(Folder("one") + "/icon.bmp", 3, 7);
    WriteImage(Folder("two") + "/icon.bmp", 5, 5);
    WriteImage(Folder("two") + "/star.bmp", 4, 4);
    model.SetFolder(Folder("one"));
    model.AddFiles({0});
    model.SetFolder(Folder("two"));
    model.AddFiles({1});
    EXPECT_EQ(model.ProcessListTexts(),
                (Strings{"icon.bmp  (in " + Folder("one") + ")", "star.bmp"}));

    model.SetClassText(".sprite");
    model.SetLineStyle(kPositionAndSize);
    model.SetOutputType(3);
    BuildInputs inputs = model.Inputs();
    EXPECT_EQ(inputs.Folder, Folder("two"));
    struct : BuildObserver {
        void ValidationFailed(const std::string& m) override { FAIL() << m; }
        void CannotOpen(const std::string& m) override { FAIL() << m; }
        void ErrorReport(const std::string& m) override { FAIL() << m; }
    } observer;
    SpriteBuilder builder;
    ASSERT_EQ(builder.MakeSprites(inputs, BuildSettings(), observer), BuildResult::Done);
    Bytes css = ReadFileBytes(Folder("two") + "/sprite.css");
    EXPECT_EQ(std::string(css.begin(), css.end()),
              ".sprite-icon { background-position: 0px 0px; width: 3px; height: 7px; }\r\n"
              ".sprite-star { background-position: -8px 0px; width: 4px; height: 4px; }\r\n");
    EXPECT_TRUE(fs::exists(Folder("two") + "/sprite.bmp"));

    // Back out of the process list, it does not join another folder's files.
    model.RemoveAllFiles();
    EXPECT_EQ(model.AvailableFiles(), (Strings{"icon.bmp", "star.bmp"}));
}

TEST_F(MainWindowModelTest, EnterInTheClassBoxAddsADotAndGrowsTheStoredListAtOnce)
{
    model.Activate();
    EXPECT_EQ(model.EnterClass("icons"), ".icons");
    EXPECT_EQ(model.EnterClass(".icons"), ".icons");
    EXPECT_EQ(model.EnterClass(""), "");
    EXPECT_EQ(model.ClassItems(), (Strings{".sprite", ".icons", ".icons"}));
    EXPECT_EQ(store.SpriteClass, ".sprite,.icons,.icons");
    EXPECT_EQ(model.ClassText(), ".icons");
}

TEST_F(MainWindowModelTest, ActivationShowsWhatTheUserChoseAndCloseStoresIt)
{
    store.DefaultPath = Folder("one");
    store.SpriteClass = ".a,.b";
    model.Activate();
    EXPECT_EQ(model.Folder(), Folder("one"));
    EXPECT_EQ(model.ClassText(), ".a");

    model.SetOutputType(1);
    model.SetLineStyle(1);
    model.SetClassText(".b");
    model.EnterClass("c");
    model.SetFolder(Folder("two"));
    model.SetClassText(".b");  // picked from the list again
    model.Activate();  // as on the return from another window
    EXPECT_EQ(model.OutputType(), 1);
    EXPECT_EQ(model.LineStyle(), 1);
    EXPECT_EQ(model.ClassText(), ".b");
    EXPECT_EQ(model.ClassItems(), (Strings{".a", ".b", ".c"}));
    EXPECT_EQ(model.Folder(), Folder("two"));

    // A typed class stays, entered or not, whatever the window returns from.
    model.SetClassText(".typed-but-not-entered");
    model.Activate();
    EXPECT_EQ(model.ClassText(), ".typed-but-not-entered");

    store.DefaultPath = store.SpriteClass = "";
    store.TargetFileType = kOutputJpeg;
    store.ListType = kPositionOnly;
    model.Close();
    EXPECT_EQ(store.DefaultPath, Folder("two"));
    EXPECT_EQ(store.TargetFileType, 1);
    EXPECT_EQ(store.ListType, 1);
    EXPECT_EQ(store.SpriteClass, ".a,.b,.c");
}

TEST_F(MainWindowModelTest, AnEmptyStoredClassListLeavesTheClassEmptyAndTheBuildSaysSo)
{
    store.SpriteClass = "";
    model.Activate();
    EXPECT_EQ(model.ClassText(), "");
    EXPECT_NE(ValidateInputs(model.Inputs(), BuildSettings()).find("No sprite classname selected or entered"),
              std::string::npos);
}

TEST_F(MainWindowModelTest, AStoredChoiceOutsideItsListIsWhatTheBuildMakesOfIt)
{
    // No line style (the build reports it); an output type the build writes as BMP.
    store.ListType = 7;
    store.TargetFileType = 9;
    model.Activate();
    EXPECT_EQ(model.LineStyle(), -1);
    EXPECT_FALSE(model.Inputs().LineStyle);
    EXPECT_EQ(model.Inputs().LineStyleText, "");
    EXPECT_EQ(model.OutputType(), kOutputBmp);
    EXPECT_EQ(model.Inputs().OutputFileType, kOutputBmp);
}

TEST_F(MainWindowModelTest, AFolderThatIsGoneFallsBackToItsNearestParent)
{
    store.DefaultPath = Folder("one") + "/gone/deeper";
    model.Activate();
    EXPECT_EQ(model.Folder(), Folder("one"));
    EXPECT_EQ(store.DefaultPath, Folder("one"));
}

}  // namespace
}  // namespace tessolo
