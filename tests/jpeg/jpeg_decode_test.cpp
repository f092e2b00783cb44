#include "codecs/jpeg/jpeg_codec.h"
#include "codecs/jpeg/jpeg_error.h"
#include "codecs/jpeg/jpeg_image.h"
#include "jpeg_test_support.h"
#include "platform/files.h"
#include "support/images.h"
#include "support/memory_limit.h"
#include "support/row_reading.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <random>

#include <jpeglib.h>
#include <jerror.h>

namespace tessolo {
namespace {

using test::LibraryJpeg;
using test::RawPattern;
using test::StoredAs;

Bitmap DecodeBytes(const Bytes& jpeg)
{
    TJPEGImage image;
    image.LoadFromBytes(jpeg);
    return image.Decode();
}

// The message of the JpegError that loading and decoding `jpeg` ends with,
// or "" when it decodes.
std::string DecodeFailure(const Bytes& jpeg)
{
    try {
        DecodeBytes(jpeg);
        return "";
    } catch (const JpegError& e) {
        return e.what();
    }
}

Bytes OurJpeg(const Bitmap& bitmap, bool progressive, int quality = 90)
{
    TJPEGImage image;
    image.Quality = quality;
    image.Progressive = progressive;
    return image.Compress(bitmap);
}

// Every sample must equal the reference decoder's, decoded with the same
// options: floating-point DCT, full size, block smoothing and fancy
// upsampling (both its defaults). The same library does the work on both
// sides, so no tolerance is needed.
void ExpectSameAsDjpeg(const Bytes& jpeg)
{
    Bitmap ours = DecodeBytes(jpeg);
    test::Pnm reference = test::DecodeWithDjpeg(jpeg, "-dct float");
    ASSERT_EQ(ours.Width(), reference.width);
    ASSERT_EQ(ours.Height(), reference.height);
    ASSERT_EQ(ours.Format(), reference.channels == 1 ? PixelFormat::Bits8 : PixelFormat::Bits24);
    int mismatches = 0;
    for (int y = 0; y < ours.Height(); ++y) {
        for (int x = 0; x < ours.Width(); ++x) {
            const std::uint8_t* s = &reference.samples[(std::size_t(y) * reference.width + x) * reference.channels];
            ColorRef expected = reference.channels == 1 ? MakeColor(s[0], s[0], s[0]) : MakeColor(s[0], s[1], s[2]);
            if (ours.Pixel(x, y) != expected && ++mismatches <= 3)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << ours.Pixel(x, y)
                              << ", reference " << expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(JpegDecode, MatchesReferenceDecoderForEveryKindOfFile)
{
    if (!test::DjpegAvailable())
        GTEST_SKIP() << "djpeg not found (Debian package libjpeg-turbo-progs)";
    Bitmap picture = test::TestPattern(77, 53);  // not a whole number of blocks
    {
        SCOPED_TRACE("colour baseline");
        ExpectSameAsDjpeg(OurJpeg(picture, false));
    }
    {
        SCOPED_TRACE("colour progressive");
        ExpectSameAsDjpeg(OurJpeg(picture, true));
    }
    {
        SCOPED_TRACE("greyscale baseline");
        ExpectSameAsDjpeg(LibraryJpeg(RawPattern(61, 37, 1), StoredAs::Grey, false));
    }
    {
        SCOPED_TRACE("greyscale progressive");
        ExpectSameAsDjpeg(LibraryJpeg(RawPattern(61, 37, 1), StoredAs::Grey, true));
    }
    {
        SCOPED_TRACE("Adobe CMYK");
        ExpectSameAsDjpeg(LibraryJpeg(RawPattern(45, 29, 4), StoredAs::Cmyk, false));
    }
    {
        SCOPED_TRACE("Adobe YCCK, progressive");
        ExpectSameAsDjpeg(LibraryJpeg(RawPattern(45, 29, 4), StoredAs::Ycck, true));
    }
}

// Every kind of file, whole, damaged or cut short, decodes a row at a time
// to exactly the rows of the whole decode, or fails with the same error.
TEST(JpegDecode, RowsGiveTheWholeDecode)
{
    const Bitmap picture = test::TestPattern(77, 53);
    std::vector<Bytes> files = {OurJpeg(picture, false), OurJpeg(picture, true),
                                LibraryJpeg(RawPattern(61, 37, 1), StoredAs::Grey, true),
                                LibraryJpeg(RawPattern(45, 29, 4), StoredAs::Cmyk, false),
                                LibraryJpeg(RawPattern(45, 29, 4), StoredAs::Ycck, true)};
    for (std::size_t i = 0, kinds = files.size(); i < kinds; ++i) {
        Bytes damaged = files[i];
        for (std::size_t at = damaged.size() / 2; at < damaged.size() - 8; at += 13)
            if (damaged[at - 1] != 0xFF && damaged[at] != 0xFF)
                damaged[at] = 0x5A;
        files.push_back(damaged);
        files.emplace_back(files[i].begin(), files[i].begin() + std::ptrdiff_t(files[i].size() * 2 / 3));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE("file " + std::to_string(i));
        const test::RowReading reading = test::CompareRowReading(
            [&] { return DecodeJpegSource(files[i]); },
            [&](const SourceRows& rows) { DecodeJpegSourceRows(files[i], rows); });
        ASSERT_EQ(reading.rowsError, reading.wholeError);
        EXPECT_TRUE(reading.sameRows || !reading.wholeError.empty());
    }
}

TEST(JpegDecode, GreyscaleGivesEightBitsWithGreyPalette)
{
    Bitmap grey = DecodeBytes(LibraryJpeg(RawPattern(16, 8, 1), StoredAs::Grey, false));
    ASSERT_EQ(grey.Format(), PixelFormat::Bits8);
    ASSERT_EQ(grey.Palette().size(), 256u);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(grey.Palette()[std::size_t(i)], MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)));
}

TEST(JpegDecode, CmykWithoutAdobeMarkerIsReadAsPlainInk)
{
    // One flat colour survives compression almost exactly. Stored C=40,
    // M=100, Y=200, K=30: plain ink gives R = 215 * 225 / 255 = 190,
    // G = 155 * 225 / 255 = 137, B = 55 * 225 / 255 = 49; inverted
    // data would give 40 * 30 / 255 = 5 and so on.
    test::RawImage flat{16, 16, 4, {}};
    for (int i = 0; i < 16 * 16; ++i)
        flat.samples.insert(flat.samples.end(), {40, 100, 200, 30});
    Bitmap plain = DecodeBytes(LibraryJpeg(flat, StoredAs::Cmyk, false, false));
    Bitmap inverted = DecodeBytes(LibraryJpeg(flat, StoredAs::Cmyk, false, true));
    auto near = [](ColorRef c, int r, int g, int b) {
        return std::abs(RedOf(c) - r) <= 2 && std::abs(GreenOf(c) - g) <= 2 && std::abs(BlueOf(c) - b) <= 2;
    };
    EXPECT_TRUE(near(plain.Pixel(5, 5), 190, 137, 49)) << std::hex << plain.Pixel(5, 5);
    EXPECT_TRUE(near(inverted.Pixel(5, 5), 5, 12, 24)) << std::hex << inverted.Pixel(5, 5);
}

TEST(JpegDecode, HeaderIsReadOnLoad)
{
    Bitmap picture = test::TestPattern(33, 21);
    TJPEGImage image;
    image.LoadFromBytes(OurJpeg(picture, true));
    EXPECT_EQ(image.Width(), 33);
    EXPECT_EQ(image.Height(), 21);
    EXPECT_TRUE(image.MultipleScans());
    image.LoadFromBytes(OurJpeg(picture, false));
    EXPECT_FALSE(image.MultipleScans());
}

TEST(JpegDecode, EveryTruncationIsAJpegError)
{
    std::vector<Bytes> files = {
        OurJpeg(test::TestPattern(16, 16), false),
        OurJpeg(test::TestPattern(16, 16), true),
        LibraryJpeg(RawPattern(9, 9, 4), StoredAs::Cmyk, true),
    };
    for (const Bytes& file : files) {
        ASSERT_EQ(DecodeFailure(file), "");
        for (std::size_t length = 0; length < file.size(); ++length) {
            std::string failure = DecodeFailure(Bytes(file.begin(), file.begin() + std::ptrdiff_t(length)));
            ASSERT_EQ(failure.rfind("JPEG error #", 0), 0u) << "prefix of " << length << " bytes: '" << failure << "'";
        }
    }
}

TEST(JpegDecode, GarbageIsAJpegError)
{
    std::vector<Bytes> garbage = {
        {},
        {'h', 'e', 'l', 'l', 'o'},
        {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A},
        {0xFF, 0xD8, 0xFF, 0xD9},  // no image
    };
    std::mt19937 random(7);
    for (int i = 0; i < 50; ++i) {
        Bytes noise = {0xFF, 0xD8};
        for (int n = 0; n < 300; ++n)
            noise.push_back(std::uint8_t(random()));
        garbage.push_back(noise);
    }
    for (const Bytes& data : garbage)
        EXPECT_EQ(DecodeFailure(data).rfind("JPEG error #", 0), 0u) << data.size() << " bytes";
    // The library's words follow the number, with this file's own details.
    EXPECT_EQ(DecodeFailure(garbage[1]),
              "JPEG error #" + std::to_string(JERR_NO_SOI) + ": Not a JPEG file: starts with 0x68 0x65");
}

TEST(JpegDecode, CorruptDataOnlyWarns)
{
    // Damaged entropy-coded data decodes to a damaged picture, as the
    // library does by default, instead of refusing the file.
    Bytes jpeg = OurJpeg(test::TestPattern(64, 64), false);
    test::ScanRange scan = test::ReadStructure(jpeg).scans.at(0);
    for (std::size_t i = scan.begin + 30; i < scan.end - 20; i += 7)
        if (jpeg[i - 1] != 0xFF && jpeg[i] != 0xFF)  // keep markers and stuffed bytes intact
            jpeg[i] = 0x5A;
    Bitmap damaged = DecodeBytes(jpeg);
    EXPECT_EQ(damaged.Width(), 64);
    EXPECT_EQ(damaged.Height(), 64);
}

Bytes WithFrameSize(Bytes jpeg, int width, int height)
{
    std::size_t frame = 2;
    while (!(jpeg.at(frame) == 0xFF && (jpeg.at(frame + 1) == 0xC0 || jpeg.at(frame + 1) == 0xC2)))
        frame += 2 + (std::size_t(jpeg.at(frame + 2)) << 8 | jpeg.at(frame + 3));
    jpeg[frame + 5] = std::uint8_t(height >> 8);
    jpeg[frame + 6] = std::uint8_t(height);
    jpeg[frame + 7] = std::uint8_t(width >> 8);
    jpeg[frame + 8] = std::uint8_t(width);
    return jpeg;
}

TEST(JpegDecode, HugeClaimedSizeIsRefusedBeforeAllocating)
{
    for (bool progressive : {false, true}) {
        Bytes jpeg = WithFrameSize(OurJpeg(test::TestPattern(16, 16), progressive), 60000, 60000);
        TJPEGImage image;
        image.LoadFromBytes(jpeg);
        EXPECT_EQ(image.Width(), 60000);
        try {
            image.Decode();
            ADD_FAILURE() << "decoded a 60000 x 60000 claim";
        } catch (const JpegError& e) {
            ADD_FAILURE() << "the size check should come first, got " << e.what();
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("1 GiB"), std::string::npos) << e.what();
        }
    }
}

// Runs `decode` in a child allowed `allowance` bytes: 0 when it throws an
// Error whose message is `expected`, 1 when it decodes, 2 for another message.
int DecodeWithin(unsigned long long allowance, const std::function<void()>& decode, const std::string& expected)
{
    return test::RunWithMemoryAllowance(allowance, [&] {
        try {
            decode();
        } catch (const Error& e) {
            if (e.what() == expected)
                return 0;
            std::fprintf(stderr, "%s\n", e.what());
            return 2;
        }
        return 1;
    });
}

TEST(JpegDecode, LibraryMemoryIsBounded)
{
    TESSOLO_SKIP_UNDER_ASAN();
    // A 12000 x 12000 CMYK picture fits the cap in 24 bits, but the
    // progressive file's coefficients would take 1.15 GB more: refused
    // before any scan is read.
    Bytes jpeg = WithFrameSize(LibraryJpeg(RawPattern(16, 16, 4), StoredAs::Cmyk, true), 12000, 12000);
    auto decode = [&] { DecodeBytes(jpeg); };
    EXPECT_EQ(DecodeWithin(std::size_t(2) << 30, decode, JpegError(JERR_NO_BACKING_STORE).what()), 0);
}

// A progressive file with `extra` more copies of its first scan. Repeated
// scans only draw a warning from the library, and each is a few bytes.
Bytes WithRepeatedScans(int extra)
{
    Bytes jpeg = LibraryJpeg(RawPattern(8, 8, 1), StoredAs::Grey, true);
    test::ScanRange first = test::ReadStructure(jpeg).scans.at(0);
    Bytes scan(jpeg.begin() + std::ptrdiff_t(first.begin), jpeg.begin() + std::ptrdiff_t(first.end));
    Bytes repeated(jpeg.begin(), jpeg.end() - 2);
    for (int i = 0; i < extra; ++i)
        repeated.insert(repeated.end(), scan.begin(), scan.end());
    repeated.insert(repeated.end(), {0xFF, 0xD9});
    return repeated;
}

TEST(JpegDecode, TooManyScansAreRefused)
{
    EXPECT_EQ(DecodeFailure(WithRepeatedScans(90)), "");
    EXPECT_EQ(DecodeFailure(WithRepeatedScans(120)), "JPEG error #" + std::to_string(JERR_BAD_PROGRESSION) +
                                                         ": The file has more scans than a picture needs");
}

TEST(JpegSource, LoadsAFileOrReportsItMissing)
{
    test::TempDir dir;
    Bitmap picture = test::TestPattern(20, 10);
    Bytes jpeg = OurJpeg(picture, false);
    WriteFileReplacing(dir / "a.jpg", jpeg);
    Bitmap loaded = LoadJpegSource(dir / "a.jpg");
    Bitmap direct = DecodeBytes(jpeg);
    ASSERT_EQ(loaded.Width(), 20);
    EXPECT_EQ(std::memcmp(loaded.ScanLine(9), direct.ScanLine(9), 60), 0);
    EXPECT_THROW(LoadJpegSource(dir / "missing.jpg"), FileOpenError);

    // Metadata segments can put the frame header far from the start.
    Bytes late(jpeg.begin(), jpeg.begin() + 2);
    for (int segment = 0; segment < 3; ++segment) {
        late.insert(late.end(), {0xFF, 0xE1, 0xFF, 0xFF});
        late.insert(late.end(), 0xFFFF - 2, 'm');
    }
    late.insert(late.end(), jpeg.begin() + 2, jpeg.end());
    WriteFileReplacing(dir / "late.jpg", late);
    EXPECT_EQ(LoadJpegSource(dir / "late.jpg").Width(), 20);
}

TEST(JpegSource, SourcesBeyondTheRasterCapAreRefusedBeforeDecoding)
{
    TESSOLO_SKIP_UNDER_ASAN();
    // 32000 x 32000 grey fits the cap as 8 bits, but the build draws every
    // source in 24.
    test::TempDir dir;
    Bytes jpeg = WithFrameSize(LibraryJpeg(RawPattern(16, 16, 1), StoredAs::Grey, true), 32000, 32000);
    WriteFileReplacing(dir / "huge.jpg", jpeg);
    auto load = [&] { LoadJpegSource(dir / "huge.jpg"); };
    EXPECT_EQ(DecodeWithin(256 << 20, load, "Bitmap too large: the raster would need more than 1 GiB"), 0);

    // 16000 x 16000 fits the cap, but a file that ends after a few bytes of
    // its first scan cannot code that scan's 4 million blocks.
    Bytes claim = WithFrameSize(OurJpeg(test::TestPattern(16, 16), true), 16000, 16000);
    Bytes cut(claim.begin(), claim.begin() + std::ptrdiff_t(test::ReadStructure(claim).scans.at(0).end));
    cut.insert(cut.end(), {0xFF, 0xD9});
    WriteFileReplacing(dir / "cut.jpg", cut);
    auto loadCut = [&] { LoadJpegSource(dir / "cut.jpg"); };
    EXPECT_EQ(DecodeWithin(64 << 20, loadCut, JpegError(JERR_INPUT_EOF).what()), 0);
    // A flat picture's first scan takes about that bit a block, and loads.
    WriteFileReplacing(dir / "flat.jpg", OurJpeg(test::Solid(2048, 2048, kWhite), true));
    EXPECT_EQ(LoadJpegSource(dir / "flat.jpg").Width(), 2048);
}

}  // namespace
}  // namespace tessolo
