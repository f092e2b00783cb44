#include "info/version_number.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

VersionNumber V(std::string_view text)
{
    std::optional<VersionNumber> version = VersionNumber::Parse(text);
    EXPECT_TRUE(version) << text;
    return version.value_or(VersionNumber());
}

TEST(VersionNumber, ComparesTheFirstThreeNumbersOneByOne)
{
    EXPECT_GT(V("1.1.2"), V("1.1.1.20"));
    EXPECT_GT(V("1.10.0"), V("1.9.9"));
    EXPECT_GT(V("2.0"), V("1.1.1.20"));
    // A fourth number names no installer of its own.
    EXPECT_EQ(V("1.1.1.21"), V("1.1.1.20"));
    EXPECT_EQ(V("1.1.2.7"), V("1.1.2"));
    EXPECT_LT(V("1.1.0.99"), V("1.1.1.20"));
    EXPECT_LT(V("1.0.9"), V("1.1.1.20"));
    EXPECT_EQ(V("1.1"), V("1.1.0.0"));
    EXPECT_EQ(V("01.001"), V("1.1"));
    EXPECT_GT(V("1.123456789012345678901234567890"), V("1.99999999999999999999"));
}

TEST(VersionNumber, RejectsAnythingButDotSeparatedNumbers)
{
    for (std::string_view text : {"", " 1.1.2", "1.1.2 ", "1..2", "1.2.", ".1", "1.x", "v1.2",
                                  "1,2", "-1.2", "1.2\r"})
        EXPECT_FALSE(VersionNumber::Parse(text)) << '"' << text << '"';
}

TEST(VersionNumber, FirstThreeNumbersNameTheInstaller)
{
    EXPECT_EQ(V("1.1.2").FirstThree(), "1.1.2");
    EXPECT_EQ(V("1.1.2.7").FirstThree(), "1.1.2");
    EXPECT_EQ(V("1.10.0").FirstThree(), "1.10.0");
    EXPECT_EQ(V("2").FirstThree(), "2.0.0");
    EXPECT_EQ(V("02.00.3").FirstThree(), "2.0.3");
}

}  // namespace
}  // namespace tessolo
