// Hostile streams: table loops, sizes beyond the memory limit, and inputs
// the fuzzer found.
#include "gif_test_support.h"

#include "codecs/gif/gif_codec.h"
#include "support/memory_limit.h"

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

    // The limit counts all frames together; read for its first frame, an
    // image holds only that and the frame being read (later frames are
    // checked, then dropped).
    GifBuilder threeFrames;
    threeFrames.Header(100, 100);
    for (int i = 0; i < 3; ++i)
        threeFrames.Descriptor(0, 0, 100, 100).ImageData(2, {{4, 3}, {5, 3}});
    threeFrames.Trailer();
    TGIFImage limited;
    limited.MaxPixelBytes = 15000;
    try {
        test::Load(limited, threeFrames.Data());
        ADD_FAILURE() << "second frame accepted";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "GIF frames too large: their pixels would exceed the memory limit");
    }
    EXPECT_EQ(limited.Images.Count(), 1) << "the frames read before the error stay";
    TGIFImage firstOnly;
    firstOnly.MaxPixelBytes = 20000;
    firstOnly.FirstFrameOnly = true;
    test::Load(firstOnly, threeFrames.Data());
    EXPECT_EQ(firstOnly.Images.Count(), 3);
    EXPECT_TRUE(firstOnly.Images[0].HasData() && !firstOnly.Images[2].HasData());

    // A frame within the limit, but larger than the rest of the file could
    // code even with every code at its best.
    GifBuilder unfilled;
    unfilled.Header(1, 1).Descriptor(0, 0, 10000, 10000).ImageData(2, {{4, 3}, {5, 3}}).Trailer();
    EXPECT_EQ(LoadError(unfilled.Data()), "Premature end of data");

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
    gif.Header(4, 4)
        .Bytes({0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0})
        .GraphicControl(true, 1)
        .Descriptor(0, 0, 4, 4)
        .ImageData(2, {{4, 3}, {1, 3}, {5, 3}})
        .Trailer();
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
    std::vector<std::uint8_t> shortRecord(full.begin(), full.begin() + 13 + 12 + 19 + 5);
    TGIFImage image;
    test::Warnings warnings;
    test::Load(image, shortRecord, &warnings);
    EXPECT_TRUE(warnings.Has("Premature end of data"));
}

// Decodes `data` as a build source in a child allowed `allowance` bytes:
// 0 when it ends with `expected` (an error text, or "" for a picture of
// `width` pixels), 1 when it ends otherwise.
int DecodeSourceWithin(unsigned long long allowance, const std::vector<std::uint8_t>& data,
                       const std::string& expected, int width = 0)
{
    return test::RunWithMemoryAllowance(allowance, [&] {
        try {
            return DecodeGifSource(data).Width() == width && expected.empty() ? 0 : 1;
        } catch (const GIFException& e) {
            return e.what() == expected ? 0 : 1;
        }
    });
}

TEST(GifUntrusted, SourcesBeyondTheRasterCapAreRefusedBeforeAllocating)
{
    TESSOLO_SKIP_UNDER_ASAN();
    const std::string tooLarge = "GIF logical screen too large: its bitmap would need more than 1 GiB";
    // A 34-byte file whose screen, and frame, claim 32767 x 32767 pixels.
    GifBuilder screen;
    screen.Header(32767, 32767, 0).Descriptor(0, 0, 0, 0).ImageData(2, {{4, 3}, {5, 3}}).Trailer();
    EXPECT_EQ(DecodeSourceWithin(256 << 20, screen.Data(), tooLarge), 0);
    // A small screen that a huge frame widens.
    GifBuilder frame;
    frame.Header(1, 1).Descriptor(0, 0, 32767, 32767).ImageData(2, {{4, 3}, {5, 3}}).Trailer();
    EXPECT_EQ(DecodeSourceWithin(256 << 20, frame.Data(), tooLarge), 0);
}

TEST(GifUntrusted, SourcesMakeNoScreenSizedCopies)
{
    TESSOLO_SKIP_UNDER_ASAN();
    // A transparent frame one row short of its screen: the indices, the
    // frame's rendering and the 24-bit screen take 5 bytes a pixel. Another
    // copy of the screen would pass the allowance of 6.5. The comment makes
    // the file long enough to code the frame.
    GifBuilder gif;
    gif.Header(6000, 6000)
        .GraphicControl(true, 1)
        .Descriptor(0, 0, 6000, 5999)
        .ImageData(2, {{4, 3}, {5, 3}})
        .Comment(14 << 10)
        .Trailer();
    EXPECT_EQ(DecodeSourceWithin(6000ull * 6000 * 13 / 2, gif.Data(), "", 6000), 0);
}

}  // namespace
}  // namespace tessolo
