// WebP sources: still pictures exact with their alpha, the first frame of an
// animation, damaged files refused with a message, and reading a row at a
// time.
#include "codecs/webp/webp_codec.h"
#include "source_test_support.h"
#include "support/row_reading.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <vector>

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

// 700 x 520 pixels of smooth colour and noise, more than a MiB as a
// raster; with alpha, some of it fully transparent.
Bitmap Scene(bool alpha)
{
    Bitmap picture(700, 520, PixelFormat::Bits32);
    picture.HasAlpha = alpha;
    std::uint32_t noise = 1;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            noise = noise * 1103515245u + 12345u;
            std::uint8_t* pixel = picture.ScanLine(y) + x * 4;
            pixel[0] = std::uint8_t(x % 90 < 45 ? 3 * x : noise >> 24);
            pixel[1] = std::uint8_t(3 * y);
            pixel[2] = std::uint8_t(x + y);
            pixel[3] = alpha ? std::uint8_t(y % 70 < 20 ? 0 : 4 * y) : 255;
        }
    return alpha ? picture : picture.ConvertTo(PixelFormat::Bits24);
}

// Lossy files, whole, damaged and cut short, read in steps of any size give
// the rows of the whole decode or fail as it does; lossless and animated
// files take the whole decode's way.
TEST(WebpSourceRows, GiveTheWholeDecode)
{
    std::vector<Bytes> files = {EncodeWebpSheet(Scene(false), {80}), EncodeWebpSheet(Scene(true), {30}),
                                test::LosslessWebp(test::Pattern(true)),
                                test::AnimatedWebp(MakeColor(255, 0, 0), MakeColor(0, 0, 255))};
    for (std::size_t i = 0; i < 2; ++i) {
        Bytes damaged = files[i];
        for (std::size_t at = damaged.size() / 2; at < damaged.size(); at += 11)
            damaged[at] ^= 0x5A;
        files.push_back(damaged);
    }
    // A simple lossy file whose picture's chunk is cut short, the rest of
    // its data left behind the file's end: the picture ends early.
    Bytes cut = files[0];
    const std::size_t chunk = (cut.size() - 20) * 2 / 3 & ~std::size_t(1);
    for (auto [at, size] : {std::pair{4u, chunk + 12}, std::pair{16u, chunk}})
        for (int k = 0; k < 4; ++k)
            cut[at + k] = std::uint8_t(size >> (8 * k));
    files.push_back(cut);
    for (std::size_t i = 0; i < files.size(); ++i)
        for (std::size_t band : {std::size_t(1), std::size_t(5000), std::size_t(200000), kWebpRowsBandBytes}) {
            SCOPED_TRACE("file " + std::to_string(i) + ", band " + std::to_string(band));
            const test::RowReading reading = test::CompareRowReading(
                [&] { return DecodeWebpSource(files[i]); },
                [&](const SourceRows& rows) { DecodeWebpSourceRows(files[i], rows, band); });
            ASSERT_EQ(reading.rowsError, reading.wholeError);
            EXPECT_TRUE(reading.sameRows || !reading.wholeError.empty());
        }
}

}  // namespace
}  // namespace tessolo
