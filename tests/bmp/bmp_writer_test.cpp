#include "codecs/bmp/bmp_codec.h"

#include "platform/byte_io.h"
#include "platform/error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tessolo {
namespace {

// Top row red, green, blue; bottom row white, black, grey 128.
Bitmap SmallImage()
{
    Bitmap b(3, 2);
    const ColorRef colors[] = {MakeColor(255, 0, 0), MakeColor(0, 255, 0), MakeColor(0, 0, 255),
                               kWhite, kBlack, MakeColor(128, 128, 128)};
    for (int i = 0; i < 6; ++i)
        b.SetPixel(i % 3, i / 3, colors[i]);
    return b;
}

// File header and 40-byte info header as the file must hold them.
Bytes Headers(std::uint32_t fileSize, std::uint32_t pixelOffset, std::uint32_t width,
              std::uint32_t height, std::uint32_t bits, std::uint32_t compression,
              std::uint32_t imageSize, std::uint32_t colorsUsed)
{
    Bytes h{'B', 'M'};
    for (std::uint32_t v : {fileSize, 0u, pixelOffset, 40u, width, height})
        AppendLe32(h, v);
    AppendLe16(h, 1);
    AppendLe16(h, bits);
    for (std::uint32_t v : {compression, imageSize, 0u, 0u, colorsUsed, 0u})
        AppendLe32(h, v);
    return h;
}

Bytes TableBytes(const std::vector<ColorRef>& table)
{
    Bytes out;
    for (ColorRef c : table)
        out.insert(out.end(), {BlueOf(c), GreenOf(c), RedOf(c), 0});
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(BmpWriter, ExactLayoutOfEveryFormat)
{
    const Bitmap image = SmallImage();
    // Pixel rows bottom first, padded with zeros. Code 2 indexes: white 15,
    // black 0, grey 7, red 9, green 10, blue 12. Code 3 indexes in the
    // 6x6x6 cube: white 215, red 180, green 30, blue 5; grey 128 is nearest
    // to the grey level 131 at index 236.
    struct Case {
        int code;
        std::uint32_t bits, compression;
        Bytes extras;
        Bytes rows;
    } cases[] = {
        {2, 4, 0, TableBytes(Palette16()), {0xF0, 0x70, 0, 0, 0x9A, 0xC0, 0, 0}},
        {3, 8, 0, TableBytes(Palette256()), {215, 0, 236, 0, 180, 30, 5, 0}},
        {5, 16, 3, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0},
         {0xFF, 0xFF, 0x00, 0x00, 0x10, 0x84, 0, 0, 0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0}},
        {6, 24, 0, {},
         {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0}},
        {7, 32, 0, {},
         {255, 255, 255, 0, 0, 0, 0, 0, 128, 128, 128, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const auto offset = std::uint32_t(54 + c.extras.size());
        const auto colors = std::uint32_t(c.bits <= 8 ? c.extras.size() / 4 : 0);
        const Bytes expected =
            Concat({Headers(std::uint32_t(offset + c.rows.size()), offset, 3, 2, c.bits,
                            c.compression, std::uint32_t(c.rows.size()), colors),
                    c.extras, c.rows});
        EXPECT_EQ(EncodeBmp(image, c.code), expected) << "code " << c.code;
    }
    EXPECT_EQ(Palette256().size(), 256u);
}

TEST(BmpWriter, RoundTripsThroughTheReader)
{
    std::mt19937 random(7);
    Bitmap image(37, 23);
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            image.SetPixel(x, y, random() & 0xFFFFFF);
    for (auto [code, format] : kBmpPixelCodes) {
        const Bitmap expected = image.ConvertTo(format);
        const Bitmap back = DecodeBmp(EncodeBmp(image, code));
        ASSERT_EQ(back.Width(), 37);
        ASSERT_EQ(back.Height(), 23);
        EXPECT_EQ(back.Format(), HasPalette(format) ? format : PixelFormat::Bits24);
        int wrong = 0, offTable = 0;
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 37; ++x) {
                wrong += back.Pixel(x, y) != expected.Pixel(x, y);
                offTable += code == 2 && std::count(Palette16().begin(), Palette16().end(),
                                                    back.Pixel(x, y)) == 0;
            }
        EXPECT_EQ(wrong, 0) << "code " << code;
        EXPECT_EQ(offTable, 0);
    }
}

TEST(BmpWriter, WhiteAndUnusedBytes)
{
    // A white sheet: 16 bits store 0xFFFF, 4 bits index 15, 8 bits index 215.
    // Sources already in the target format carry 0xFF in their row padding
    // and fourth bytes; the file must hold zeros there.
    const Bitmap white(3, 2);
    const struct {
        Bitmap source;
        int code;
        Bytes row;
    } cases[] = {
        {white, 5, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}},
        {white.ConvertTo(PixelFormat::Bits16), 5, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}},
        {white, 2, {0xFF, 0xF0, 0, 0}},
        {white, 3, {215, 215, 215, 0}},
        {white, 6, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0}},
        {Bitmap(3, 2, PixelFormat::Bits32), 7,
         {0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0}},
    };
    for (const auto& c : cases) {
        const Bytes file = EncodeBmp(c.source, c.code);
        const Bytes rows = Concat({c.row, c.row});
        ASSERT_GE(file.size(), rows.size());
        EXPECT_TRUE(std::equal(rows.begin(), rows.end(), file.end() - std::ptrdiff_t(rows.size())))
            << "code " << c.code;
    }
}

TEST(BmpWriter, EmptyBitmapsGetHeadersOnly)
{
    EXPECT_EQ(EncodeBmp(Bitmap(), 6), Headers(54, 54, 0, 0, 24, 0, 0, 0));
    EXPECT_EQ(EncodeBmp(Bitmap(4, 0), 5),
              Concat({Headers(66, 66, 4, 0, 16, 3, 0, 0),
                      {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}}));
    EXPECT_EQ(EncodeBmp(Bitmap(0, 3), 2),
              Concat({Headers(118, 118, 0, 3, 4, 0, 0, 16), TableBytes(Palette16())}));
}

// A large bitmap goes to the sink in bounded pieces, converted a row at a
// time, and the pieces make the file of the whole converted bitmap.
TEST(BmpWriter, LargeBitmapsAreWrittenInPieces)
{
    Bitmap image(1100, 1000);  // 1.1 MB even at 8 bits
    std::mt19937 random(3);
    ColorRef color = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            if (x % 16 == 0)
                color = ColorRef(random() & 0xFFFFFF);
            image.SetPixel(x, y, color);
        }
    for (int code : {3, 6, 7}) {
        SCOPED_TRACE(code);
        Bytes joined;
        std::size_t pieces = 0, largest = 0;
        WriteBmp(image, code, [&](std::span<const std::uint8_t> piece) {
            ++pieces;
            largest = std::max(largest, piece.size());
            joined.insert(joined.end(), piece.begin(), piece.end());
        });
        EXPECT_GE(pieces, 2u);
        EXPECT_LE(largest, (std::size_t(1) << 20) + 4 * 1100);
        const Bitmap read = DecodeBmp(joined);
        const Bitmap expected = code == 3 ? image.ConvertTo(PixelFormat::Bits8) : image;
        for (int y : {0, 499, 999})
            for (int x : {0, 550, 1099})
                ASSERT_EQ(read.Pixel(x, y), expected.Pixel(x, y)) << x << ", " << y;
    }
}

TEST(BmpWriter, RefusesOtherFormatCodes)
{
    for (int code : {-1, 0, 1, 4, 8, 9, 256}) {
        try {
            EncodeBmp(SmallImage(), code);
            ADD_FAILURE() << "code " << code << " accepted";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "Unsupported BMP pixel format code " +
                                                 std::to_string(code) + " (use 2, 3, 5, 6 or 7)");
        }
    }
}

}  // namespace
}  // namespace tessolo
