#include "settings/delimited_text.h"
#include "settings/format_prefs_text.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

using Items = std::vector<std::string>;

TEST(DelimitedText, QuotesOnlyItemsThatNeedIt)
{
    EXPECT_EQ(JoinDelimitedText({}), "");
    EXPECT_EQ(JoinDelimitedText({""}), "\"\"");
    EXPECT_EQ(JoinDelimitedText({".sprite"}), ".sprite");
    EXPECT_EQ(JoinDelimitedText({".a", "my class"}), ".a,\"my class\"");
    EXPECT_EQ(JoinDelimitedText({"say \"hi\""}), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(JoinDelimitedText({"a,b", "tab\there"}), "\"a,b\",\"tab\there\"");
    EXPECT_EQ(JoinDelimitedText({"a", "", "b"}), "a,,b");
    EXPECT_EQ(JoinDelimitedText({"\xC3\xA9t\xC3\xA9"}), "\xC3\xA9t\xC3\xA9");
}

TEST(DelimitedText, SplitsTextTypedByAPerson)
{
    EXPECT_EQ(SplitDelimitedText(""), Items{});
    EXPECT_EQ(SplitDelimitedText(" \t\n "), Items{});
    EXPECT_EQ(SplitDelimitedText("\"\""), Items{""});
    EXPECT_EQ(SplitDelimitedText(".a .b"), (Items{".a", ".b"}));
    EXPECT_EQ(SplitDelimitedText("  .a ,  .b  "), (Items{".a", ".b"}));
    EXPECT_EQ(SplitDelimitedText("a,"), (Items{"a", ""}));
    EXPECT_EQ(SplitDelimitedText("a, "), (Items{"a"}));
    EXPECT_EQ(SplitDelimitedText("a,,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(SplitDelimitedText(",a"), (Items{"", "a"}));
    EXPECT_EQ(SplitDelimitedText("\"my class\",.b"), (Items{"my class", ".b"}));
    EXPECT_EQ(SplitDelimitedText("\"say \"\"hi\"\"\""), Items{"say \"hi\""});
    EXPECT_EQ(SplitDelimitedText("\"a\"b"), (Items{"a", "b"}));
    EXPECT_EQ(SplitDelimitedText("a\"b"), Items{"a\"b"});
    EXPECT_EQ(SplitDelimitedText("\"open ended"), Items{"open ended"});
}

TEST(DelimitedText, AnyListSurvivesAJoinAndSplit)
{
    for (const Items& items : {Items{}, Items{""}, Items{"", ""}, Items{"", "a"}, Items{"a", ""},
                               Items{" lead", "trail ", "\"", ",", "", "\"\""},
                               Items{"x\ny", std::string("nul\0in", 6), "\x01", "plain"}})
        EXPECT_EQ(SplitDelimitedText(JoinDelimitedText(items)), items);
}

TEST(FormatPrefsText, ReadsSixWholeNumbersOrNothing)
{
    const TFormatPrefs extremes{-1, 2147483647, -2147483647 - 1, 4, 5, 6};
    EXPECT_EQ(FormatPrefsToText(extremes), "-1,2147483647,-2147483648,4,5,6");
    EXPECT_EQ(FormatPrefsFromText(FormatPrefsToText(extremes)), extremes);
    const TFormatPrefs expected{0, 1, 0, 80, 0, 0};
    EXPECT_EQ(FormatPrefsFromText("0,1,0,80,0,0"), expected);
    EXPECT_EQ(FormatPrefsFromText("0,1,0,80,0,0,7"), expected);
    EXPECT_EQ(FormatPrefsFromText("0 1 0 80 0 0"), expected);
    EXPECT_EQ(FormatPrefsFromText("+0,+1,0,80,0,-0"), expected);
    for (const char* bad : {"", "0,1,0,80", "0,1,x,80,0,0", "0,1,0,80,0,", "0,1,0,2147483648,0,0",
                            "0,1,0,8.5,0,0", "0,1,0,0x10,0,0", "+-1,0,0,0,0,0", "+,0,0,0,0,0"})
        EXPECT_EQ(FormatPrefsFromText(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace tessolo
