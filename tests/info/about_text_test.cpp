#include "info/about_text.h"
#include "info/version_strings.h"
#include "platform/error.h"
#include "support/program_version.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

TEST(AboutText, SixLinesAndATrailingEmptyOne)
{
    std::vector<std::string> versionStrings;
    ReadVersionStrings(versionStrings);
    EXPECT_EQ(AboutTextLines(versionStrings),
              (std::vector<std::string>{
                  "Tessolo Sprite Maker", "Version: " + test::ProgramVersion(), "",
                  "Creates sprites and CSS files for JPEG, PNG, GIF and BMP graphics", "",
                  "Copyright (C) 2026 Veltrand Software", ""}));
}

TEST(AboutText, NoVersionStringsNoTextAndTooFewAnError)
{
    EXPECT_TRUE(AboutTextLines({}).empty());
    EXPECT_THROW(AboutTextLines({"a", "b", "c", "d"}), Error);
    EXPECT_EQ(AboutTextLines({"a", "b", "c", "d", "e"})[5], "e");
}

}  // namespace
}  // namespace tessolo
