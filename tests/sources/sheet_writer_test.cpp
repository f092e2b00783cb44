// WebP and AVIF sheets read back by the libraries' own decoders: lossless
// sheets exact, lossy ones close, alpha kept; and AVIF sources, which the
// viewer and later builds read, decode as the build expects.
#include "codecs/avif/avif_codec.h"
#include "codecs/webp/webp_codec.h"
#include "source_test_support.h"

#include <avif/avif.h>
#include <webp/decode.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace tessolo {
namespace {

// A smooth 64 x 48 picture with an alpha ramp, the kind of picture lossy
// encoders are made for; opaque when `alpha` is not set.
Bitmap Gradient(bool alpha)
{
    Bitmap picture(64, 48, PixelFormat::Bits32);
    picture.HasAlpha = alpha;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            std::uint8_t* pixel = picture.ScanLine(y) + x * 4;
            pixel[0] = std::uint8_t(4 * x);
            pixel[1] = std::uint8_t(5 * y);
            pixel[2] = std::uint8_t(128 + 2 * (x - y));
            pixel[3] = alpha ? std::uint8_t(20 + 4 * y) : 255;
        }
    return alpha ? picture : picture.ConvertTo(PixelFormat::Bits24);
}

// The file decoded by libwebp alone, as 32-bit pixels with alpha.
Bitmap WebpPixels(const Bytes& file)
{
    int width = 0, height = 0;
    if (!WebPGetInfo(file.data(), file.size(), &width, &height))
        throw std::runtime_error("not a WebP file");
    Bitmap picture(width, height, PixelFormat::Bits32);
    picture.HasAlpha = true;
    if (!WebPDecodeBGRAInto(file.data(), file.size(), picture.ScanLine(0),
                            picture.Stride() * std::size_t(height), int(picture.Stride())))
        throw std::runtime_error("WebP decoding failed");
    return picture;
}

// The file decoded by libavif alone, as 32-bit pixels with alpha.
Bitmap AvifPixels(const Bytes& file)
{
    avifDecoder* decoder = avifDecoderCreate();
    avifImage* image = avifImageCreateEmpty();
    const avifResult read = avifDecoderReadMemory(decoder, image, file.data(), file.size());
    Bitmap picture(read == AVIF_RESULT_OK ? int(image->width) : 0,
                   read == AVIF_RESULT_OK ? int(image->height) : 0, PixelFormat::Bits32);
    picture.HasAlpha = true;
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image);
    rgb.format = AVIF_RGB_FORMAT_BGRA;
    rgb.depth = 8;
    rgb.pixels = picture.ScanLine(0);
    rgb.rowBytes = std::uint32_t(picture.Stride());
    const bool converted = read == AVIF_RESULT_OK && avifImageYUVToRGB(image, &rgb) == AVIF_RESULT_OK;
    avifImageDestroy(image);
    avifDecoderDestroy(decoder);
    if (!converted)
        throw std::runtime_error("AVIF decoding failed");
    return picture;
}

// Peak signal-to-noise ratio of the colours, in dB, and the largest alpha difference.
struct Difference {
    double psnr;
    int alpha;
};
Difference Compare(const Bitmap& expected, const Bitmap& actual)
{
    double squares = 0;
    int alpha = 0;
    for (int y = 0; y < expected.Height(); ++y)
        for (int x = 0; x < expected.Width(); ++x) {
            const ColorRef a = expected.Pixel(x, y), b = actual.Pixel(x, y);
            for (int shift : {0, 8, 16}) {
                const double d = double((a >> shift) & 0xFF) - double((b >> shift) & 0xFF);
                squares += d * d;
            }
            const int expectedAlpha = expected.HasAlpha ? expected.ScanLine(y)[4 * x + 3] : 255;
            alpha = std::max(alpha, std::abs(expectedAlpha - actual.ScanLine(y)[4 * x + 3]));
        }
    const double mean = squares / (3.0 * expected.Width() * expected.Height());
    return {mean == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mean), alpha};
}

struct WriterCase {
    const char* label;
    Bytes (*encode)(const Bitmap&);
    Bitmap (*decode)(const Bytes&);
    bool alpha;
    double minPsnr;  // INFINITY: every colour exact
};
void PrintTo(const WriterCase& c, std::ostream* out) { *out << c.label; }

const WriterCase kWriters[] = {
    {"WebpLossless", [](const Bitmap& b) { return EncodeWebpSheet(b, {}); }, WebpPixels, true, INFINITY},
    {"WebpLosslessOpaque", [](const Bitmap& b) { return EncodeWebpSheet(b, {}); }, WebpPixels, false,
     INFINITY},
    {"WebpQuality90", [](const Bitmap& b) { return EncodeWebpSheet(b, {90}); }, WebpPixels, true, 38},
    {"AvifQuality80", [](const Bitmap& b) { return EncodeAvifSheet(b, {}); }, AvifPixels, true, 36},
    {"AvifQuality80Opaque", [](const Bitmap& b) { return EncodeAvifSheet(b, {}); }, AvifPixels, false, 36},
    {"AvifQuality100", [](const Bitmap& b) { return EncodeAvifSheet(b, {100}); }, AvifPixels, true,
     INFINITY},
};

class SheetWriter : public ::testing::TestWithParam<WriterCase> {};

TEST_P(SheetWriter, ReadsBackWithItsAlphaExact)
{
    const WriterCase& writer = GetParam();
    const Bitmap sheet = Gradient(writer.alpha);
    const Bitmap decoded = writer.decode(writer.encode(sheet));
    ASSERT_EQ(decoded.Width(), sheet.Width());
    ASSERT_EQ(decoded.Height(), sheet.Height());
    const Difference difference = Compare(sheet, decoded);
    EXPECT_GE(difference.psnr, writer.minPsnr);
    EXPECT_EQ(difference.alpha, 0);
    EXPECT_EQ(test::PixelsText(sheet), test::PixelsText(Gradient(writer.alpha))) << "the sheet was changed";
    EXPECT_TRUE(writer.encode(Bitmap()).empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, SheetWriter, ::testing::ValuesIn(kWriters),
                         [](const auto& info) { return std::string(info.param.label); });

// Lossless WebP reads the sheet in place: the colours under fully
// transparent pixels are kept in the file and left alone in the sheet.
TEST(SheetWriter, LosslessWebpKeepsColoursUnderTransparentPixels)
{
    Bitmap sheet = Gradient(true);
    for (int y = 0; y < sheet.Height(); y += 2)
        for (int x = 0; x < sheet.Width(); ++x)
            sheet.ScanLine(y)[4 * x + 3] = 0;
    const Bitmap before = sheet;
    const Bitmap decoded = WebpPixels(EncodeWebpSheet(sheet, {}));
    EXPECT_EQ(Compare(before, decoded).psnr, INFINITY);
    EXPECT_EQ(Compare(before, sheet).psnr, INFINITY);
}

TEST(SheetWriter, RefusesAWebpSheetBeyondItsSide)
{
    EXPECT_THROW(EncodeWebpSheet(Bitmap(kMaxWebpSide + 1, 1), {}), SheetTooLargeError);
}

// An AVIF file whose image-size property claims 40000 x 40000 pixels.
Bytes HugeAvif()
{
    Bytes file = EncodeAvifSheet(Gradient(false), {50});
    const char ispe[] = "ispe";
    auto at = std::search(file.begin(), file.end(), ispe, ispe + 4);
    if (at == file.end())
        throw std::runtime_error("no image-size property");
    const std::uint8_t side[] = {0, 0, 0x9C, 0x40};  // after 4 bytes of version and flags
    std::copy(side, side + 4, at + 8);
    std::copy(side, side + 4, at + 12);
    return file;
}

TEST(AvifSource, DecodesOurSheetsAndRefusesDamagedFiles)
{
    const Bitmap pattern = test::Pattern(true);
    EXPECT_EQ(test::DecodeOutcome(kAvifSource, EncodeAvifSheet(pattern, {100})), test::PixelsText(pattern));
    EXPECT_EQ(test::DecodeOutcome(kAvifSource, Bytes(64, 0)), "AVIF error: the file is not an AVIF picture");
    Bytes truncated = EncodeAvifSheet(Gradient(false), {50});
    truncated.resize(truncated.size() / 2);
    EXPECT_EQ(test::DecodeOutcome(kAvifSource, truncated).rfind("AVIF error: ", 0), 0u);
    EXPECT_EQ(test::DecodeOutcome(kAvifSource, HugeAvif()).rfind("AVIF error: the file is damaged", 0), 0u);
}

}  // namespace
}  // namespace tessolo
