// Pixel coding: LZW and RLE output read back by our decoder and by giflib,
// exact code streams, interlace order, and damaged image data.
#include "gif_test_support.h"

#include "codecs/gif/gif_encoder.h"

#include <gtest/gtest.h>

#include <random>

namespace tessolo {
namespace {

using test::DecodeIndices;
using test::DecodeWithGiflib;
using test::EncodeIndices;
using test::GifBuilder;

template <class Base>
class Recording : public Base {
public:
    std::vector<int> codes;

protected:
    void EmitCode(int code) override
    {
        codes.push_back(code);
        Base::EmitCode(code);
    }
};

std::vector<std::uint8_t> RandomRuns(int count, int colors, int maxRun, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> pixels;
    while (int(pixels.size()) < count) {
        int run = 1 + int(random() % unsigned(maxRun));
        auto value = std::uint8_t(random() % unsigned(colors));
        for (int i = 0; i < run && int(pixels.size()) < count; ++i)
            pixels.push_back(value);
    }
    return pixels;
}

void ExpectRoundTrip(const std::vector<std::uint8_t>& pixels, int width, int height, int colors,
                     TGIFCompression compression)
{
    std::vector<std::uint8_t> file = EncodeIndices(pixels, width, height, colors, compression);
    EXPECT_EQ(DecodeIndices(file), pixels) << "our decoder, " << colors << " colours";
    test::OracleFrame oracle = DecodeWithGiflib(file);
    ASSERT_TRUE(oracle.ok) << oracle.error;
    EXPECT_EQ(oracle.indices, pixels) << "giflib, " << colors << " colours";
}

TEST(GifCoding, OnePixelLzwFrameHasExactBytes)
{
    std::vector<std::uint8_t> file = EncodeIndices({1}, 1, 1, 2, gcLZW);
    const std::vector<std::uint8_t> expected = {
        'G', 'I', 'F', '8', '7', 'a', 1, 0, 1, 0, 0x00, 0, 0,  // screen: no global map, 1 bit
        0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80,                    // descriptor with a 2-entry local map
        0, 0, 0, 1, 1, 1,                                      // the map
        2, 2, 0x4C, 0x01, 0,  // code size 2; clear (4), pixel 1, end (5) at 3 bits; terminator
        0x3B};
    EXPECT_EQ(file, expected);
}

TEST(GifCoding, LzwAndRleRoundTripThroughBothDecoders)
{
    for (TGIFCompression compression : {gcLZW, gcRLE})
        for (int colors : {1, 2, 3, 4, 16, 17, 100, 256}) {
            SCOPED_TRACE(compression == gcLZW ? "LZW" : "RLE");
            ExpectRoundTrip(RandomRuns(157 * 61, colors, 40, unsigned(colors)), 157, 61, colors, compression);
            ExpectRoundTrip(RandomRuns(64 * 64, colors, 1, unsigned(colors) + 7), 64, 64, colors, compression);
        }
}

TEST(GifCoding, RleRunsOfEveryLengthRoundTrip)
{
    // Runs of 1 to 300 pixels exercise table building, reuse and forced clears.
    for (int colors : {2, 8, 16, 256}) {
        std::vector<std::uint8_t> pixels;
        for (int run = 1; run <= 300; ++run)
            pixels.insert(pixels.end(), std::size_t(run), std::uint8_t(run % colors));
        pixels.resize(45150 / 150 * 150);
        ExpectRoundTrip(pixels, 150, int(pixels.size() / 150), colors, gcRLE);
    }
}

TEST(GifCoding, TenThousandPixelRunInRle)
{
    std::vector<std::uint8_t> pixels(10000, 3);
    std::vector<std::uint8_t> file = EncodeIndices(pixels, 100, 100, 4, gcRLE);
    ExpectRoundTrip(pixels, 100, 100, 4, gcRLE);
    // One long run costs a few hundred codes, far fewer than one per pixel.
    EXPECT_LT(file.size(), 1200u);
}

TEST(GifCoding, LzwClearsBeforeCode4095)
{
    std::vector<std::uint8_t> pixels = RandomRuns(200 * 200, 256, 1, 42);
    Recording<TLZWEncoder> encoder;
    std::vector<std::uint8_t> data;
    GIFOutputStream stream(data);
    encoder.Encode(stream, 8, 256, pixels.data(), false, 200, 200);

    std::vector<std::size_t> clears;
    for (std::size_t i = 0; i < encoder.codes.size(); ++i) {
        EXPECT_LT(encoder.codes[i], 4095);
        if (encoder.codes[i] == 256)
            clears.push_back(i);
    }
    ASSERT_GE(clears.size(), 2u);
    EXPECT_EQ(clears[0], 0u);
    // Codes 258..4094 are assigned, one after each emitted code; the next
    // emission would need 4095, so a clear follows it.
    EXPECT_EQ(clears[1] - clears[0] - 1, std::size_t(4094 - 258 + 2));
    ExpectRoundTrip(pixels, 200, 200, 256, gcLZW);
}

TEST(GifCoding, InterlacedFramesAreCodedInPassOrder)
{
    std::vector<std::uint8_t> rows = {0, 1, 2};
    Recording<TLZWEncoder> encoder;
    std::vector<std::uint8_t> data;
    GIFOutputStream stream(data);
    encoder.Encode(stream, 2, 4, rows.data(), true, 3, 1);
    EXPECT_EQ(encoder.codes, (std::vector<int>{4, 0, 2, 1, 5}));

    // Every height, including those with empty passes, decodes row for row.
    for (int height = 1; height <= 19; ++height) {
        TGIFImage image;
        image.Header.ColorMap.ImportPalette(std::vector<ColorRef>(32, kBlack));
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->SetBounds(0, 0, 2, height);
        frame->SetInterlaced(true);
        for (int y = 0; y < height; ++y)
            frame->Data()[std::size_t(2 * y)] = frame->Data()[std::size_t(2 * y + 1)] = std::uint8_t(y);
        std::vector<std::uint8_t> expected = frame->Data();
        image.Add(std::move(frame));
        std::vector<std::uint8_t> file = test::Save(image);
        ASSERT_EQ(file[13 + 96 + 9] & 0x40, 0x40) << "interlace flag kept without a local map";
        EXPECT_EQ(DecodeIndices(file), expected) << "height " << height;
        test::OracleFrame oracle = DecodeWithGiflib(file);
        ASSERT_TRUE(oracle.ok);
        EXPECT_EQ(oracle.indices, expected) << "giflib, height " << height;
    }
}

TEST(GifCoding, SmallMapsUseMinimumCodeSizeTwo)
{
    for (int colors : {1, 2}) {
        std::vector<std::uint8_t> file = EncodeIndices({0, 0, 0, 0}, 2, 2, colors, gcLZW);
        std::size_t codeSize = 6 + 7 + 10 + 6;  // a 1- or 2-entry map is written as 2 entries
        EXPECT_EQ(file[codeSize], 2);
    }
}

TEST(GifCoding, PixelsOutsideTheMapCannotBeSaved)
{
    for (TGIFCompression compression : {gcLZW, gcRLE})
        EXPECT_THROW(
            {
                try {
                    EncodeIndices({0, 1, 2, 3}, 2, 2, 3, compression);
                } catch (const GIFException& e) {
                    EXPECT_STREQ(e.what(), "Color not in color table");
                    throw;
                }
            },
            GIFException);
}

// Codes for a 4x1 frame of pixels 1, 1, 2, 3 with minimum code size 2.
std::vector<std::pair<int, int>> FourPixelCodes(bool leadingClear)
{
    std::vector<std::pair<int, int>> codes;
    if (leadingClear)
        codes.push_back({4, 3});
    codes.insert(codes.end(), {{1, 3}, {1, 3}, {2, 3}, {3, 4}, {5, 4}});
    return codes;
}

TEST(GifDecoding, DataVariantsDecodeAlike)
{
    const std::vector<std::uint8_t> expected = {1, 1, 2, 3};
    auto decode = [](int minCodeSize, bool leadingClear, int blockSize) {
        GifBuilder gif;
        gif.Header(4, 1).Descriptor(0, 0, 4, 1).ImageData(minCodeSize, FourPixelCodes(leadingClear), blockSize).Trailer();
        return DecodeIndices(gif.Data());
    };
    EXPECT_EQ(decode(2, true, 255), expected);
    EXPECT_EQ(decode(2, false, 255), expected) << "the first code counts as a clear";
    EXPECT_EQ(decode(2, true, 1), expected) << "one-byte sub-blocks";

    // A code size above 8 is read as 8.
    GifBuilder wide;
    wide.Header(2, 1, 256).Descriptor(0, 0, 2, 1).ImageData(9, {{256, 9}, {200, 9}, {7, 9}, {257, 9}}).Trailer();
    EXPECT_EQ(DecodeIndices(wide.Data()), (std::vector<std::uint8_t>{200, 7}));
}

TEST(GifDecoding, EndCodeAfterClearIsNoPixel)
{
    GifBuilder gif;
    gif.Header(2, 2).Descriptor(0, 0, 2, 2).ImageData(2, {{4, 3}, {5, 3}}).Trailer();
    test::Warnings warnings;
    TGIFImage image;
    test::Load(image, gif.Data(), &warnings);
    EXPECT_EQ(image.Images[0].Data(), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_TRUE(warnings.texts.empty());
}

TEST(GifDecoding, TruncatedDataKeepsPrefilledPixelsWithWarnings)
{
    std::vector<std::uint8_t> pixels = RandomRuns(40 * 40, 4, 3, 9);
    for (std::uint8_t& p : pixels)
        p = std::uint8_t(p | 1);  // no zero pixels: missing ones show as 0
    std::vector<std::uint8_t> file = EncodeIndices(pixels, 40, 40, 4, gcLZW);
    file.resize(file.size() - 20);

    TGIFImage image;
    test::Warnings warnings;
    test::Load(image, file, &warnings);
    EXPECT_TRUE(warnings.Has("Premature end of data"));
    const std::vector<std::uint8_t>& got = image.Images[0].Data();
    std::size_t decoded = 0;
    while (decoded < got.size() && got[decoded] == pixels[decoded])
        ++decoded;
    EXPECT_GT(decoded, 100u);
    EXPECT_LT(decoded, got.size());
    for (std::size_t i = decoded + 1; i < got.size(); ++i)
        ASSERT_EQ(got[i], 0) << i;

    // A transparent frame fills what is missing with its transparent index.
    GifBuilder transparent;
    transparent.Header(3, 1).GraphicControl(true, 2).Descriptor(0, 0, 3, 1).Bytes({2, 1, 0x0C});
    TGIFImage cut;
    test::Warnings cutWarnings;
    test::Load(cut, transparent.Data(), &cutWarnings);
    EXPECT_EQ(cut.Images[0].Data(), (std::vector<std::uint8_t>{1, 2, 2}));
}

}  // namespace
}  // namespace tessolo
