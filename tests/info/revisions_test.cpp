#include "info/revisions.h"
#include "platform/error.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

const std::string kSum(64, 'a');

// The offered version text, "-" when none; unreadable texts follow in brackets.
std::string Reading(std::string_view body)
{
    RevisionsReading reading = ReadRevisions(body, "Tessolo.exe", "1.1.1.20");
    std::string text = reading.newest ? reading.newest->versionText : "-";
    for (const std::string& unreadable : reading.unreadable)
        text += " [" + unreadable + "]";
    return text;
}

TEST(Revisions, RecognisedByTheMarkerAnywhereInExactCase)
{
    EXPECT_TRUE(IsRevisionsFile("[revisions]\nTessolo.exe,1.1.2\n"));
    EXPECT_TRUE(IsRevisionsFile("junk before [revisions] junk after"));
    EXPECT_FALSE(IsRevisionsFile("<html>Not found</html>"));
    EXPECT_FALSE(IsRevisionsFile("[Revisions]\nTessolo.exe,1.1.2"));
}

TEST(Revisions, LinesEndAtCrLfLfOrCr)
{
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\rb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(SplitLines("").empty());
}

TEST(Revisions, OffersTheNewestVersionOfThisProgramOnly)
{
    EXPECT_EQ(Reading("[revisions]\r\nTessolo.exe,1.1.2\r\n"), "1.1.2");
    EXPECT_EQ(Reading("[revisions]\nTessolo.exe,1.1.2.7"), "1.1.2.7");
    EXPECT_EQ(Reading("[revisions]\nTessolo.exe,1.10.0"), "1.10.0");
    EXPECT_EQ(Reading("[revisions]\nTessolo.exe,1.1.1\nTessolo.exe,1.0.9"), "-");
    EXPECT_EQ(Reading("[revisions]\nTessolo.exe,1.1.1.20\nTessolo.exe,1.1.1.21"), "-");
    EXPECT_EQ(Reading("[revisions]\ntessolo.exe,9.9.9\nOther.exe,9.9.9\nTessolo.exe9.9.9"), "-");
    EXPECT_EQ(Reading("[revisions]\nTessolo.exe,1.2\nTessolo.exe,2.0\nTessolo.exe,1.3\n"
                      "Tessolo.exe,2.0.0.5"),
              "2.0");
}

TEST(Revisions, FirstLineIsNeverExamined)
{
    EXPECT_EQ(Reading("Tessolo.exe,9.9.9\n[revisions]\n"), "-");
    EXPECT_EQ(Reading("Tessolo.exe,9.9.9 [revisions]\nTessolo.exe,2.0"), "2.0");
}

TEST(Revisions, UnreadableVersionsAreCollectedInFileOrder)
{
    EXPECT_EQ(Reading("[revisions]\nTessolo.exe,1.2\nOther.exe,3\nTessolo.exe, 1.1.2\n"
                      "Tessolo.exe,1.1.3,beta\nTessolo.exe,1.1.3,sha256=" + kSum.substr(1) + "\n"
                      "Tessolo.exe,1.0.x\n"),
              "1.2 [ 1.1.2] [1.1.3,beta] [1.1.3,sha256=" + kSum.substr(1) + "] [1.0.x]");
}

TEST(Revisions, AChecksumMayFollowTheVersion)
{
    std::string upper(64, 'C');
    RevisionsReading reading = ReadRevisions("[revisions]\nTessolo.exe,1.1.2,sha256=" + upper,
                                             "Tessolo.exe", "1.1.1.20");
    ASSERT_TRUE(reading.newest);
    EXPECT_EQ(reading.newest->versionText, "1.1.2");
    EXPECT_EQ(reading.newest->sha256, std::string(64, 'c'));
    reading = ReadRevisions("[revisions]\nTessolo.exe,1.1.2", "Tessolo.exe", "1.1.1.20");
    ASSERT_TRUE(reading.newest);
    EXPECT_EQ(reading.newest->sha256, "");
}

TEST(Revisions, OwnVersionMustBeReadable)
{
    EXPECT_THROW(ReadRevisions("[revisions]\n", "Tessolo.exe", "1.1.x"), Error);
}

}  // namespace
}  // namespace tessolo
