#include "sprite/stylesheet.h"

#include "platform/error.h"
#include "platform/files.h"
#include "support/file_size_limit.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tessolo {
namespace {

std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(StylesheetLine, NegatesOffsetsInBothStyles)
{
    EXPECT_EQ(StylesheetLine(".sprite", "home", 15, 0, 32, 32, kPositionOnly),
              ".sprite-home { background-position: -15px 0px }");
    EXPECT_EQ(StylesheetLine(".sprite", "home", 15, 0, 32, 32, kPositionAndSize),
              ".sprite-home { background-position: -15px 0px; width: 32px; height: 32px; }");
    EXPECT_EQ(StylesheetLine(".s", "a", 0, 40, 1, 2, kPositionOnly),
              ".s-a { background-position: 0px -40px }");
    // An image above or left of the sheet (negative padding) gets a positive position.
    EXPECT_EQ(StylesheetLine(".s", "a", -10, -2147483647 - 1, 0, 0, kPositionOnly),
              ".s-a { background-position: 10px 2147483648px }");
}

TEST(StylesheetLine, WritesClassAndNameAsGiven)
{
    EXPECT_EQ(StylesheetLine(".my class", "icon.small", 1, 2, 3, 4, kPositionOnly),
              ".my class-icon.small { background-position: -1px -2px }");
    EXPECT_EQ(StylesheetLine(".", "\xC3\xA9t\xC3\xA9", 0, 0, 3, 4, kPositionOnly),
              ".-\xC3\xA9t\xC3\xA9 { background-position: 0px 0px }");
}

TEST(StylesheetFile, EmptiesTheFileAndEndsEveryLineWithCrLf)
{
    test::TempDir dir;
    std::string path = dir / "s.css";
    WriteFileReplacing(path, Bytes(100, 'x'));
    StylesheetFile css;
    ASSERT_TRUE(css.Open(path));
    css.WriteLine("a");
    css.WriteLine("b");
    css.Close();
    EXPECT_EQ(Text(ReadFileBytes(path)), "a\r\nb\r\n");
}

TEST(StylesheetFile, SecondWriterIsRefusedAndLeavesTheFileAlone)
{
    test::TempDir dir;
    std::string path = dir / "s.css";
    StylesheetFile first;
    ASSERT_TRUE(first.Open(path));
    first.WriteLine("kept");

    StylesheetFile second;
    EXPECT_FALSE(second.Open(path));
    first.Close();
    EXPECT_EQ(Text(ReadFileBytes(path)), "kept\r\n");

    // Another program holding a lock is refused the same way.
    int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    StylesheetFile third;
    EXPECT_FALSE(third.Open(path));
    ::close(fd);
    EXPECT_TRUE(third.Open(path));
}

TEST(StylesheetFile, OpenFailsInAMissingFolder)
{
    test::TempDir dir;
    StylesheetFile css;
    EXPECT_FALSE(css.Open(dir / "no/such/folder.css"));
}

TEST(StylesheetFile, FullDiskIsReportedNotIgnored)
{
    test::TempDir dir;
    std::string path = dir / "s.css";
    StylesheetFile css;
    ASSERT_TRUE(css.Open(path));
    test::FileSizeLimit limit(64);
    css.WriteLine(std::string(40, 'a'));
    try {
        css.WriteLine(std::string(40, 'b'));
        FAIL() << "the write past the limit succeeded";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("Cannot write file " + path), std::string::npos);
    }
}

}  // namespace
}  // namespace tessolo
