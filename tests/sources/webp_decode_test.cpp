// WebP sources: still pictures exact with their alpha, the first frame of an
// animation, and damaged files refused with a message.
#include "codecs/webp/webp_codec.h"
#include "source_test_support.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

using test::DecodeCase;

const std::string kRedRow = "FF0000FF FF0000FF FF0000FF FF0000FF\n";

// A file holding only a header for an animation of 40000 x 40000 pixels.
Bytes HugeCanvas(const std::string&)
{
    Bytes file = test::BytesOf("RIFF....WEBPVP8X....");
    file[4] = 22;   // the size of what follows
    file[16] = 10;  // the size of the header's fields
    file[5] = file[6] = file[7] = file[17] = file[18] = file[19] = 0;
    const std::uint8_t fields[] = {0x02 /* animation */, 0, 0, 0, 0x3F, 0x9C, 0, 0x3F, 0x9C, 0};
    file.insert(file.end(), std::begin(fields), std::end(fields));
    return file;
}

Bytes Truncated(const std::string&)
{
    Bytes file = test::LosslessWebp(test::Pattern(true));
    file.resize(file.size() / 2 + 10);
    return file;
}

const DecodeCase kCases[] = {
    {"LosslessWithAlpha", [](const std::string&) { return test::LosslessWebp(test::Pattern(true)); },
     test::PixelsText(test::Pattern(true))},
    {"LosslessOpaque", [](const std::string&) { return test::LosslessWebp(test::Pattern(false)); },
     test::PixelsText(test::Pattern(false))},
    {"AnimationsFirstFrame",
     [](const std::string&) { return test::AnimatedWebp(MakeColor(255, 0, 0), MakeColor(0, 0, 255)); },
     kRedRow + kRedRow + kRedRow + kRedRow},
    {"Zeros", [](const std::string&) { return Bytes(64, 0); }, "WebP error: the file is not a WebP picture"},
    {"Truncated", Truncated, "WebP error: the file's structure is damaged"},
    {"HugeCanvas", HugeCanvas, "Bitmap too large: the raster would need more than 1 GiB"},
};

class WebpSource : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(WebpSource, DecodesAsExpected)
{
    test::TempDir folder;
    EXPECT_EQ(test::DecodeOutcome(kWebpSource, GetParam().file(folder.Path().string())),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Files, WebpSource, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace tessolo
