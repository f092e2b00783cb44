#include "platform/error.h"
#include "platform/files.h"
#include "platform/output_set.h"

#include "support/file_size_limit.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace tessolo {
namespace {

TEST(ErrorReport, FullStopUnlessTheMessageEndsInOneOrBelow)
{
    EXPECT_EQ(ErrorReportText("Bitmap image is not valid"), "Bitmap image is not valid.");
    EXPECT_EQ(ErrorReportText("Done."), "Done.");
    EXPECT_EQ(ErrorReportText("Why?"), "Why?.");  // '?' sorts above '.'
    EXPECT_EQ(ErrorReportText("Stop!"), "Stop!");
    EXPECT_EQ(ErrorReportText("range 1-"), "range 1-");
    EXPECT_EQ(ErrorReportText("trailing "), "trailing ");
    EXPECT_EQ(ErrorReportText("path /"), "path /.");  // '/' sorts just above '.'
    EXPECT_EQ(ErrorReportText("caf\xC3\xA9"), "caf\xC3\xA9.");
    EXPECT_EQ(ErrorReportText(""), ".");
}

TEST(Files, ReplacingWriteIsAllOrNothing)
{
    test::TempDir dir;
    const std::string path = dir / "sheet.bmp";
    const Bytes first(100, 1), second(5000, 2);
    WriteFileReplacing(path, first);
    EXPECT_EQ(ReadFileBytes(path), first);

    {
        test::FileSizeLimit limit(1000);
        EXPECT_THROW(WriteFileReplacing(path, second), Error);
    }
    EXPECT_EQ(ReadFileBytes(path), first);
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"sheet.bmp"});

    WriteFileReplacing(path, second);
    EXPECT_EQ(ReadFileBytes(path), second);
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"sheet.bmp"});

    // A folder in the way of the rename: refused, folder intact, no temp file.
    std::filesystem::create_directory(dir / "taken");
    std::filesystem::create_directory(dir / "taken/inner");
    EXPECT_THROW(WriteFileReplacing(dir / "taken", first), Error);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken/inner"));
    EXPECT_EQ(test::FolderEntries(dir.Path()).size(), 2u);
}

TEST(Files, TemporaryNamesAreRecognised)
{
    test::TempDir dir;
    {
        ReplacementFile file(dir / "sheet.png");
        std::vector<std::string> entries = test::FolderEntries(dir.Path());
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_TRUE(IsTemporaryFileName(entries[0])) << entries[0];
    }
    for (const char* name : {"sheet.png", ".tessolo-", ".tessolo-abc", ".tessolo-abcdefg",
                             "x.tessolo-abcdef", ".hidden.png"})
        EXPECT_FALSE(IsTemporaryFileName(name)) << name;
}

TEST(Files, FailuresNameThePathAndTheReason)
{
    test::TempDir dir;
    const std::string missingFolder = dir / "gone/sheet.bmp";
    try {
        WriteFileReplacing(missingFolder, Bytes(3));
        ADD_FAILURE();
    } catch (const FileCreateError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file " + missingFolder + ": No such file or directory");
    }
    try {
        ReadFileBytes(dir / "none.png");
        ADD_FAILURE();
    } catch (const FileOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file " + dir / "none.png" + ": No such file or directory");
    }
    try {
        ReadFileBytes(dir.Path().string());
        ADD_FAILURE();
    } catch (const FileOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file " + dir.Path().string() + ": not a regular file");
    }
}

TEST(Files, ReadRefusesAFifoWithoutWaitingForAWriter)
{
    test::TempDir dir;
    const std::string fifo = dir / "pipe.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // In a child that the alarm ends, so a blocking open fails the test
    // instead of hanging it.
    EXPECT_EXIT(
        {
            ::alarm(10);
            try {
                ReadFileBytes(fifo);
            } catch (const FileOpenError& e) {
                std::fputs(e.what(), stderr);
                std::_Exit(0);
            }
            std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "Cannot open file .*pipe.png: not a regular file");
}

// Every entry of a folder: a file's text, a link's target, or "folder".
std::map<std::string, std::string> FolderContents(const std::filesystem::path& dir)
{
    std::map<std::string, std::string> contents;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        std::string& shown = contents[e.path().filename().string()];
        if (e.is_symlink())
            shown = "link to " + std::filesystem::read_symlink(e.path()).string();
        else if (e.is_directory())
            shown = "folder";
        else
            shown = test::Text(ReadFileBytes(e.path().string()));
    }
    return contents;
}

void AddText(OutputSet& set, const std::string& path, std::string_view text)
{
    set.Add(path).Write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

// A set whose fourth rename fails after every name was checked: the first
// three are put back (a file, a link, a file that did not exist), nothing
// temporary is left, and the next set replaces them all. Returns what went
// wrong, so that it can run in a child process too; empty when all is well.
std::string FailedRenamePutsEveryPreviousFileBack(const std::filesystem::path& dir)
{
    const std::map<std::string, std::string> before = FolderContents(dir);
    auto add = [&dir](OutputSet& set) {
        for (const char* name : {"s.png", "s.json", "s.html", "s.txt", "s.css"})
            AddText(set, (dir / name).string(), std::string("new ") + name);
    };
    try {
        OutputSet set;
        add(set);
        set.Prepare();
        std::filesystem::create_directory(dir / "s.txt");
        set.PutInPlace();
        return "the rename over a folder succeeded";
    } catch (const Error& e) {
        const std::string expected =
            "Cannot write file " + (dir / "s.txt").string() + ": Is a directory";
        if (e.what() != expected)
            return std::string("unexpected error: ") + e.what();
    }
    std::map<std::string, std::string> expected = before;
    expected["s.txt"] = "folder";
    if (FolderContents(dir) != expected)
        return "the previous files were not put back";
    std::filesystem::remove(dir / "s.txt");
    OutputSet set;
    add(set);
    set.PutInPlace();
    std::map<std::string, std::string> replaced;
    for (const char* name : {"s.png", "s.json", "s.html", "s.txt", "s.css"})
        replaced[name] = std::string("new ") + name;
    return FolderContents(dir) == replaced ? "" : "the second set was not put in place";
}

void WritePreviousFiles(const test::TempDir& dir)
{
    WriteFileReplacing(dir / "s.png", Bytes{'o', 'l', 'd'});
    WriteFileReplacing(dir / "s.css", Bytes{'o', 'l', 'd', '!'});
    std::filesystem::create_symlink(dir / "elsewhere.json", dir / "s.json");
}

TEST(OutputSet, FailedRenamePutsBackTheLinkedPreviousFiles)
{
    test::TempDir dir;
    WritePreviousFiles(dir);
    EXPECT_EQ(FailedRenamePutsEveryPreviousFileBack(dir.Path()), "");
}

// Where a file cannot be linked (a file system without hard links, or a
// file that only its owner may link), the previous file is moved aside.
TEST(OutputSet, FailedRenamePutsBackThePreviousFilesMovedAside)
{
    std::ifstream protectedLinks("/proc/sys/fs/protected_hardlinks");
    int protection = 0;
    if (::geteuid() != 0 || !(protectedLinks >> protection) || protection != 1)
        GTEST_SKIP() << "needs the superuser and protected hard links to refuse a link";
    test::TempDir dir;
    WritePreviousFiles(dir);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
    EXPECT_EXIT(
        {
            if (::setuid(65534) != 0)
                std::_Exit(2);
            std::string problem = FailedRenamePutsEveryPreviousFileBack(dir.Path());
            std::fputs(problem.c_str(), stderr);
            std::_Exit(problem.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(Files, NamesUpToTheLimitAreWritten)
{
    test::TempDir dir;
    const std::string longest = dir / std::string(255, 'n');
    WriteFileReplacing(longest, Bytes{1, 2, 3});
    EXPECT_EQ(ReadFileBytes(longest), (Bytes{1, 2, 3}));
    EXPECT_EQ(test::FolderEntries(dir.Path()).size(), 1u);
}

}  // namespace
}  // namespace tessolo
