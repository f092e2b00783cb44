// Hostile streams: table loops, sizes beyond the memory limit, and inputs
// the fuzzer found.
#include "gif_test_support.h"

#include "codecs/gif/gif_source.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

using test::GifBuilder;

std::string LoadError(const std::vector<std::uint8_t>& data)
{
    try {
        TGIFImage image;
        test::Load(image, data);
        image.GetBitmap();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(loaded)";
}

TEST(GifUntrusted, TableLoopsAreRefused)
{
    // Code 12, not yet defined, makes entry 10 with prefix 0 and leaves 12 as
    // the previous code; code 11 then defines 11 -> 12, and the next code
    // defines 12 -> 11: a loop through two entries that code 11 walks.
    GifBuilder twoCodeLoop;
    twoCodeLoop.Header(100, 1, 8)
        .Descriptor(0, 0, 100, 1)
        .ImageData(3, {{8, 4}, {0, 4}, {12, 4}, {11, 4}, {0, 4}, {11, 4}, {9, 4}})
        .Trailer();
    EXPECT_EQ(LoadError(twoCodeLoop.Data()), "Circular decoder table entry");

    // Code 7 before it exists, then code 1: entry 7 gets itself as prefix.
    GifBuilder selfLoop;
    selfLoop.Header(100, 1, 4).Descriptor(0, 0, 100, 1).ImageData(2, {{4, 3}, {0, 3}, {7, 3}, {1, 3}, {7, 4}}).Trailer();
    EXPECT_EQ(LoadError(selfLoop.Data()), "Circular decoder table entry");
}

TEST(GifUntrusted, OversizedRastersAreRefusedBeforeAllocation)
{
    GifBuilder hugeFrame;
    hugeFrame.Header(1, 1).Descriptor(0, 0, 65535, 65535).ImageData(2, {{4, 3}, {5, 3}}).Trailer();
    EXPECT_EQ(LoadError(hugeFrame.Data()), "GIF frames too large: their pixels would exceed the memory limit");

    // The limit counts all frames together.
    GifBuilder twoFrames;
    twoFrames.Header(100, 100);
    for (int i = 0; i < 2; ++i)
        twoFrames.Descriptor(0, 0, 100, 100).ImageData(2, {{4, 3}, {5, 3}});
    TGIFImage limited;
    limited.MaxPixelBytes = 15000;
    try {
        test::Load(limited, twoFrames.Trailer().Data());
        ADD_FAILURE() << "second frame accepted";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "GIF frames too large: their pixels would exceed the memory limit");
    }
    EXPECT_EQ(limited.Images.Count(), 1) << "the frames read before the error stay";

    // A tiny frame on a huge screen loads, but the screen cannot be drawn.
    GifBuilder hugeScreen;
    hugeScreen.Header(65535, 65535).Descriptor(0, 0, 1, 1).ImageData(2, {{4, 3}, {1, 3}, {5, 3}}).Trailer();
    TGIFImage image;
    test::Load(image, hugeScreen.Data());
    EXPECT_EQ(image.Images.Count(), 1);
    EXPECT_EQ(LoadError(hugeScreen.Data()), "GIF logical screen too large: its bitmap would need more than 1 GiB");

    // Frames far out on the screen grow it past what the file can hold.
    GifBuilder far;
    far.Header(1, 1).Descriptor(65535, 0, 1, 1).ImageData(2, {{4, 3}, {1, 3}, {5, 3}}).Trailer();
    test::Load(image, far.Data());
    EXPECT_EQ(image.Width(), 65536);
    EXPECT_THROW(test::Save(image), GIFException);
}

TEST(GifUntrusted, TruncatedStructuresFailCleanly)
{
    GifBuilder gif;
    gif.Header(4, 4).GraphicControl(true, 1).Descriptor(0, 0, 4, 4).ImageData(2, {{4, 3}, {1, 3}, {5, 3}}).Trailer();
    const std::vector<std::uint8_t>& full = gif.Data();
    // Every prefix either loads (with the frames it has) or fails with a
    // codec message; none crashes.
    for (std::size_t n = 0; n < full.size(); ++n) {
        std::vector<std::uint8_t> cut(full.begin(), full.begin() + std::ptrdiff_t(n));
        std::string result = LoadError(cut);
        EXPECT_TRUE(result == "(loaded)" || result == "Premature end of data" || result == "Invalid GIF signature")
            << n << ": " << result;
    }

    // A short control record keeps what arrived and warns.
    std::vector<std::uint8_t> shortRecord(full.begin(), full.begin() + 13 + 12 + 5);
    TGIFImage image;
    test::Warnings warnings;
    test::Load(image, shortRecord, &warnings);
    EXPECT_TRUE(warnings.Has("Premature end of data"));
}

}  // namespace
}  // namespace tessolo
