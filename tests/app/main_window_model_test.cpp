#include "app/main_window_model.h"

#include "codecs/bmp/bmp_codec.h"
#include "platform/error.h"
#include "platform/files.h"
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
    const Strings loop{"warning: skipped " + one + "/loop.gif: Too many levels of symbolic links"};
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

TEST_F(MainWindowModelTest, AddsAFileOnlyOnceAfterItsFolderIsShownAgain)
{
    Show(Folder("one"), {"a.png"});
    model.AddFiles({0});
    model.SetFolder(Folder("two"));
    model.SetFolder(Folder("one"));
    ASSERT_EQ(model.AvailableFiles(), (Strings{"a.png"}));
    model.AddFiles({0});
    EXPECT_EQ(model.ProcessList().size(), 1u);
    EXPECT_TRUE(model.AvailableFiles().empty());
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

    model.SetClassText(".typed-but-not-entered");
    model.Activate();
    EXPECT_EQ(model.ClassText(), ".a");

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

TEST_F(MainWindowModelTest, AStoredLineStyleOutsideTheListSelectsNone)
{
    store.ListType = 7;
    model.Activate();
    EXPECT_FALSE(model.Inputs().LineStyle);
    EXPECT_EQ(model.Inputs().LineStyleText, "");
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
