#include "platform/printable_text.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

struct Shown {
    std::string_view text, printable;
};

class Printable : public ::testing::TestWithParam<Shown> {};

TEST_P(Printable, ShowsControlCharactersAndStrayBytesAsHex)
{
    EXPECT_EQ(PrintableText(GetParam().text), GetParam().printable);
}

INSTANTIATE_TEST_SUITE_P(
    , Printable,
    ::testing::Values(
        Shown{"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82 a\\b ~",
              "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82 a\\b ~"},
        Shown{"\x1b]0;owned\x07\x1b[2Jx.png", "\\x1b]0;owned\\x07\\x1b[2Jx.png"},
        Shown{std::string_view("a\0b\tc\x7f", 6), "a\\x00b\\x09c\\x7f"},
        Shown{"csi \xC2\x9B" "2J, nbsp \xC2\xA0", "csi \\xc2\\x9b2J, nbsp \xC2\xA0"},
        Shown{"bad \xFF\xC3 \xE2\x82 \xC0\xAF \xED\xA0\x80",
              "bad \\xff\\xc3 \\xe2\\x82 \\xc0\\xaf \\xed\\xa0\\x80"},
        Shown{"lines\n\rof a box\r\nend\n", "lines\n\rof a box\r\nend\n"},
        Shown{"over\rwritten\r", "over\\x0dwritten\\x0d"}));

}  // namespace
}  // namespace tessolo
