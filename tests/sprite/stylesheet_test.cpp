#include "sprite/stylesheet.h"

#include "platform/error.h"
#include "platform/files.h"
#include "support/file_size_limit.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace tessolo {
namespace {

using test::Text;

TEST(StylesheetLine, NegatesOffsetsInBothStyles)
{
    EXPECT_EQ(StylesheetLine(".sprite-home", 15, 0, 32, 32, kPositionOnly),
              ".sprite-home { background-position: -15px 0px }");
    EXPECT_EQ(StylesheetLine(".sprite-home", 15, 0, 32, 32, kPositionAndSize),
              ".sprite-home { background-position: -15px 0px; width: 32px; height: 32px; }");
    EXPECT_EQ(StylesheetLine(".s-a", 0, 40, 1, 2, kPositionOnly),
              ".s-a { background-position: 0px -40px }");
    // An image above or left of the sheet (negative padding) gets a positive position.
    EXPECT_EQ(StylesheetLine(".s-a", -10, -2147483647 - 1, 0, 0, kPositionOnly),
              ".s-a { background-position: 10px 2147483648px }");
}

TEST(PercentText, KeepsFourDecimalsWithoutTrailingZerosOrMinusZero)
{
    EXPECT_EQ(PercentText(12.5), "12.5");
    EXPECT_EQ(PercentText(100.0 / 3), "33.3333");
    EXPECT_EQ(PercentText(200.0 / 3), "66.6667");
    EXPECT_EQ(PercentText(400), "400");
    EXPECT_EQ(PercentText(-0.00001), "0");
    EXPECT_EQ(PercentText(-2.5), "-2.5");
}

TEST(StylesheetFile, ReplacesTheOldFileOnlyWhenItsOutputsArePutInPlace)
{
    test::TempDir dir;
    std::string path = dir / "s.css";
    WriteFileReplacing(path, Bytes(100, 'x'));
    StylesheetFile css(path);
    css.WriteLine("a");
    css.WriteLine("b");
    css.Finish();
    OutputSet outputs;
    css.JoinOutputs(outputs);
    EXPECT_EQ(Text(ReadFileBytes(path)), std::string(100, 'x'));
    outputs.PutInPlace();
    EXPECT_EQ(Text(ReadFileBytes(path)), "a\r\nb\r\n");
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"s.css"});
}

TEST(StylesheetFile, AbandonedFileLeavesTheOldOneAndNoTrace)
{
    test::TempDir dir;
    std::string path = dir / "s.css";
    WriteFileReplacing(path, Bytes{'o', 'l', 'd'});
    {
        StylesheetFile css(path);
        css.WriteLine("new");
    }
    EXPECT_EQ(Text(ReadFileBytes(path)), "old");
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"s.css"});
}

TEST(StylesheetFile, OpenInAMissingFolderGivesTheReason)
{
    test::TempDir dir;
    try {
        StylesheetFile css(dir / "no/such/folder.css");
        FAIL() << "a stylesheet was started in a missing folder";
    } catch (const FileCreateError& error) {
        EXPECT_EQ(error.Reason(), "No such file or directory");
    }
}

TEST(StylesheetFile, FullDiskIsReportedNotIgnored)
{
    test::TempDir dir;
    std::string path = dir / "s.css";
    StylesheetFile css(path);
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
