#include "info/revisions.h"
#include "platform/error.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

std::vector<std::string> Offered(std::string_view body)
{
    std::vector<std::string> texts;
    for (const RevisionOffer& offer : FindOffers(body, "Tessolo.exe", "1.1.1.20"))
        texts.push_back((offer.version ? "" : "unreadable ") + offer.versionText);
    return texts;
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

TEST(Revisions, OffersOnlyGreaterVersionsOfThisProgram)
{
    EXPECT_EQ(Offered("[revisions]\r\nTessolo.exe,1.1.2\r\n"), std::vector<std::string>{"1.1.2"});
    EXPECT_EQ(Offered("[revisions]\nTessolo.exe,1.1.2.7"), std::vector<std::string>{"1.1.2.7"});
    EXPECT_EQ(Offered("[revisions]\nTessolo.exe,1.10.0"), std::vector<std::string>{"1.10.0"});
    EXPECT_TRUE(Offered("[revisions]\nTessolo.exe,1.1.1\nTessolo.exe,1.0.9").empty());
    EXPECT_TRUE(Offered("[revisions]\nTessolo.exe,1.1.1.20").empty());
    EXPECT_TRUE(Offered("[revisions]\ntessolo.exe,9.9.9\nOther.exe,9.9.9\nTessolo.exe9.9.9")
                    .empty());
}

TEST(Revisions, FirstLineIsNeverExamined)
{
    EXPECT_TRUE(Offered("Tessolo.exe,9.9.9\n[revisions]\n").empty());
    EXPECT_EQ(Offered("Tessolo.exe,9.9.9 [revisions]\nTessolo.exe,2.0"),
              std::vector<std::string>{"2.0"});
}

TEST(Revisions, EveryApplicableLineInFileOrderWithUnreadableVersionsMarked)
{
    EXPECT_EQ(Offered("[revisions]\nTessolo.exe,1.2\nOther.exe,3\nTessolo.exe, 1.1.2\n"
                      "Tessolo.exe,1.1.3,beta\nTessolo.exe,2.0\n"),
              (std::vector<std::string>{"1.2", "unreadable  1.1.2", "unreadable 1.1.3,beta",
                                        "2.0"}));
}

TEST(Revisions, OwnVersionMustBeReadable)
{
    EXPECT_THROW(FindOffers("[revisions]\n", "Tessolo.exe", "1.1.x"), Error);
}

}  // namespace
}  // namespace tessolo
