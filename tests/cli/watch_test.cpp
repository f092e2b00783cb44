// tessolo-cli --watch as a person uses it: started on a folder, images
// added, changed, renamed and removed while it runs, then Ctrl+C.
#include "cli_process.h"
#include "codecs/bmp/bmp_codec.h"
#include "platform/files.h"
#include "slurp.h"
#include "support/images.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <regex>
#include <thread>

namespace tessolo {
namespace {

using namespace std::chrono_literals;
using test::Eventually;
using test::Slurp;

constexpr auto kQuietPeriod = 1500ms;  // long enough for an unwanted rebuild to show

// tessolo-cli --watch running as a child process, in `workingFolder` when
// one is given.
class WatchingCli : public test::CliProcess {
public:
    WatchingCli(const test::TempDir& scratch, const std::string& arguments,
                const std::string& workingFolder = "")
        : CliProcess(scratch, "--watch " + arguments, workingFolder)
    {
    }
    int Rebuilds() const
    {
        std::string err = Err();
        int count = 0;
        for (auto at = err.find("rebuilt "); at != std::string::npos; at = err.find("rebuilt ", at + 1))
            ++count;
        return count;
    }
};

class Watch : public ::testing::Test {
protected:
    void Add(const std::string& name, int w, int h)
    {
        WriteFileReplacing(images / name, EncodeBmp(test::Solid(w, h, kBlack), 6));
    }
    std::string Css()
    {
        std::error_code missing;
        return std::filesystem::exists(images / "sprite.css", missing) ? Slurp(images / "sprite.css")
                                                                        : "";
    }
    // Waits until the stylesheet holds exactly these rules.
    void ExpectStylesheet(const std::string& step, const std::vector<std::string>& rules)
    {
        std::string lines;
        for (const std::string& rule : rules)
            lines += rule + "\r\n";
        EXPECT_TRUE(Eventually([&] { return Css() == lines; }))
            << step << ": the stylesheet is\n" << Css();
    }
    static std::string Rule(const char* name, int x, int w, int h)
    {
        return ".sprite-" + std::string(name) + " { background-position: " + std::to_string(-x) +
               "px 0px; width: " + std::to_string(w) + "px; height: " + std::to_string(h) +
               "px; }";
    }
    std::vector<std::string> TemporaryFiles() { return test::TemporaryFilesIn(images.Path()); }

    test::TempDir images, scratch;
    const std::string options = "--type bmp --style 1 --hpad 0 ";
};

TEST_F(Watch, RebuildsAfterEachChangeUntilCtrlC)
{
    Add("a.bmp", 4, 4);
    WatchingCli cli(scratch, options + images.Path().string());
    ASSERT_TRUE(Eventually([&] { return cli.Err().find("watching ") != std::string::npos; }))
        << cli.Err();
    const std::string firstOut = Rule("a", 0, 4, 4) + "\n";
    EXPECT_EQ(cli.Out(), firstOut) << "the first build prints its lines as a single build does";

    Add("b.bmp", 6, 2);
    ExpectStylesheet("added", {Rule("a", 0, 4, 4), Rule("b", 4, 6, 2)});
    Add("b.bmp", 8, 3);
    ExpectStylesheet("changed", {Rule("a", 0, 4, 4), Rule("b", 4, 8, 3)});
    std::filesystem::rename(images / "b.bmp", images / "c.bmp");
    ExpectStylesheet("renamed", {Rule("a", 0, 4, 4), Rule("c", 4, 8, 3)});
    std::filesystem::remove(images / "a.bmp");
    ExpectStylesheet("removed", {Rule("c", 0, 8, 3)});

    // A damaged file fails its rebuild, which keeps the previous results;
    // the watch goes on, and the next good change rebuilds.
    WriteFileReplacing(images / "d.bmp", Bytes{'B', 'M'});
    const std::string damaged =
        "tessolo-cli: Bitmap image is not valid in file " + (images / "d.bmp") + ".\n";
    EXPECT_TRUE(Eventually([&] { return cli.Err().find(damaged) != std::string::npos; }))
        << cli.Err();
    EXPECT_EQ(Css(), Rule("c", 0, 8, 3) + "\r\n");
    Add("d.bmp", 2, 2);
    ExpectStylesheet("mended", {Rule("c", 0, 8, 3), Rule("d", 8, 2, 2)});
    // The summary follows the stylesheet's rename, so it may come a moment later.
    const std::regex summary(R"(\ntessolo-cli: rebuilt sprite\.bmp \(2 images, 10 x 3\) in \d+\.\d\d s\n)");
    EXPECT_TRUE(Eventually([&] { return std::regex_search(cli.Err(), summary); })) << cli.Err();
    EXPECT_EQ(cli.Out(), firstOut) << "rebuilds print only their summary line";

    // Neither the project's own outputs, nor a build's temporary files, nor
    // other files start a rebuild; only the next image does, once.
    int rebuilds = cli.Rebuilds();
    WriteFileReplacing(images / "sprite.css", Bytes{'x'});
    WriteFileReplacing(images / "sprite.png", Bytes{'x'});
    WriteFileReplacing(images / ".tessolo-abcdef", Bytes{'x'});
    WriteFileReplacing(images / "notes.txt", Bytes{'x'});
    std::filesystem::create_directory(images / "more.png");
    std::this_thread::sleep_for(kQuietPeriod);
    EXPECT_EQ(cli.Rebuilds(), rebuilds) << cli.Err();
    std::filesystem::remove(images / "sprite.png");
    std::filesystem::remove(images / ".tessolo-abcdef");

    // Files copied in together are one change.
    Add("e.bmp", 2, 2);
    Add("f.bmp", 2, 2);
    Add("g.bmp", 2, 2);
    ExpectStylesheet("copied together", {Rule("c", 0, 8, 3), Rule("d", 8, 2, 2), Rule("e", 10, 2, 2),
                                         Rule("f", 12, 2, 2), Rule("g", 14, 2, 2)});
    std::this_thread::sleep_for(kQuietPeriod);
    EXPECT_EQ(cli.Rebuilds(), rebuilds + 1) << cli.Err();

    EXPECT_EQ(cli.EndWith(SIGINT), 0) << cli.Err();
    EXPECT_NE(cli.Err().find("tessolo-cli: stopped watching "), std::string::npos) << cli.Err();
    EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
}

TEST_F(Watch, StartsOnAFolderWithNothingToPackAndEndsOnTerm)
{
    WatchingCli cli(scratch, options + images.Path().string());
    ASSERT_TRUE(Eventually([&] { return cli.Err().find("watching ") != std::string::npos; }))
        << cli.Err();
    EXPECT_NE(cli.Err().find("No images files selected"), std::string::npos) << cli.Err();
    Add("a.bmp", 4, 4);
    ExpectStylesheet("first image", {Rule("a", 0, 4, 4)});
    EXPECT_EQ(cli.EndWith(SIGTERM), 0) << cli.Err();
    EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
}

TEST_F(Watch, EndsWhenTheFolderGoesAway)
{
    const std::string folder = images / "icons";
    std::filesystem::create_directory(folder);
    Add("icons/a.bmp", 4, 4);
    WatchingCli cli(scratch, options + folder);
    ASSERT_TRUE(Eventually([&] { return cli.Err().find("watching ") != std::string::npos; }))
        << cli.Err();
    std::filesystem::remove_all(folder);
    EXPECT_EQ(cli.WaitForExit(), 1) << cli.Err();
    EXPECT_NE(cli.Err().find("tessolo-cli: " + folder + " was deleted or moved away; watching ends\n"),
              std::string::npos)
        << cli.Err();
}


// Waits for the watch to start.
void ExpectWatching(const WatchingCli& cli)
{
    ASSERT_TRUE(Eventually([&] { return cli.Err().find("watching ") != std::string::npos; }))
        << cli.Err();
}

TEST_F(Watch, EndsWhenItsWorkingFolderIsDeleted)
{
    const std::string folder = images / "icons";
    std::filesystem::create_directory(folder);
    Add("icons/a.bmp", 4, 4);
    WatchingCli cli(scratch, options, folder);
    ExpectWatching(cli);
    std::filesystem::remove_all(folder);
    EXPECT_EQ(cli.WaitForExit(), 1) << cli.Err();
    EXPECT_NE(cli.Err().find("tessolo-cli: . was deleted or moved away; watching ends\n"),
              std::string::npos)
        << cli.Err();
}

TEST_F(Watch, EndsWhenItsPathIsALinkRepointedElsewhere)
{
    std::filesystem::create_directory(images / "a");
    std::filesystem::create_directory(images / "b");
    Add("a/a.bmp", 4, 4);
    const std::string link = images / "link";
    std::filesystem::create_directory_symlink("a", link);
    WatchingCli cli(scratch, options + link);
    ExpectWatching(cli);
    std::filesystem::create_directory_symlink("b", images / "new-link");
    std::filesystem::rename(images / "new-link", link);
    Add("a/b.bmp", 4, 4);
    EXPECT_EQ(cli.WaitForExit(), 1) << cli.Err();
    EXPECT_NE(cli.Err().find("tessolo-cli: " + link +
                             " no longer leads to the watched folder; watching ends\n"),
              std::string::npos)
        << cli.Err();
    EXPECT_FALSE(std::filesystem::exists(images / "b/sprite.css")) << "nothing written elsewhere";
}

TEST_F(Watch, TwoProjectsWatchingOneFolderNeverPackEachOthersSheets)
{
    Add("a.bmp", 4, 4);
    test::TempDir otherScratch;
    WatchingCli one(scratch, options + "--name one " + images.Path().string());
    ExpectWatching(one);
    WatchingCli two(otherScratch, options + "--name two " + images.Path().string());
    ExpectWatching(two);
    // Each may rebuild once for the other's first sheet, which came before
    // its stylesheet; after that nothing changes.
    std::this_thread::sleep_for(2 * kQuietPeriod);
    const int rebuilds[2] = {one.Rebuilds(), two.Rebuilds()};
    std::this_thread::sleep_for(2 * kQuietPeriod);
    EXPECT_EQ(one.Rebuilds(), rebuilds[0]) << one.Err();
    EXPECT_EQ(two.Rebuilds(), rebuilds[1]) << two.Err();
    EXPECT_LE(rebuilds[0] + rebuilds[1], 2) << one.Err() << two.Err();
    for (const char* project : {"one", "two"})
        EXPECT_EQ(Slurp(images / (std::string(project) + ".css")), Rule("a", 0, 4, 4) + "\r\n")
            << project;

    // One change rebuilds both; the one that finds the folder busy tries again.
    Add("b.bmp", 6, 2);
    const std::string both = Rule("a", 0, 4, 4) + "\r\n" + Rule("b", 4, 6, 2) + "\r\n";
    for (const char* project : {"one", "two"})
        EXPECT_TRUE(Eventually([&] { return Slurp(images / (std::string(project) + ".css")) == both; }))
            << project << ": " << one.Err() << two.Err();
}

}  // namespace
}  // namespace tessolo
