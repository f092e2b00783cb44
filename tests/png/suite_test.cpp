// The public PNG conformance suite: every valid file decodes to the expected
// colours, every damaged one is refused with the right error.
#include "codecs/png/png_codec.h"
#include "codecs/png/pngimage.h"
#include "platform/alpha.h"
#include "platform/files.h"
#include "png_test_files.h"
#include "support/row_reading.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace tessolo {
namespace {

namespace fs = std::filesystem;

// The displayed value of file value v (8 bits) under gAMA g.
std::uint8_t Gammatise(long v, std::uint32_t g)
{
    return std::uint8_t(std::nearbyint(255.0 * std::pow(v / 255.0, 1.0 / (g / 100000.0 * 2.2))));
}

// Our view of one pixel as RGBA.
std::array<int, 4> OurPixel(const TPNGObject& png, int x, int y)
{
    ColorRef c = png.GetPixels(x, y);
    int alpha = 255;
    const TChunkIHDR& header = png.Header();
    switch (png.GetTransparencyMode()) {
    case TPNGTransparencyMode::ptmBit: alpha = c == png.GetTransparentColor() ? 0 : 255; break;
    case TPNGTransparencyMode::ptmPartial:
        if (header.HasAlpha()) {
            alpha = png.GetAlphaScanline(y)[x];
        } else {
            const auto* trns = png.Chunks.FindChunk<TChunktRNS>();
            int bits = header.BitsPerPixel();
            const std::uint8_t* row = png.GetScanline(y);
            int index = bits == 8 ? row[x] : bits == 4 ? (x & 1 ? row[x / 2] & 15 : row[x / 2] >> 4)
                                                       : (row[x / 8] >> (7 - x % 8)) & 1;
            alpha = std::uint32_t(index) < trns->DataSize() ? trns->PaletteValues[std::size_t(index)] : 255;
        }
        break;
    default: break;
    }
    return {RedOf(c), GreenOf(c), BlueOf(c), alpha};
}

TEST(PngSuite, ValidFilesMatchTheirExpectedColours)
{
    TESSOLO_REQUIRE_TESTDATA(data);
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(data / "pngsuite" / "png")) {
        std::string name = entry.path().stem().string();
        if (name[0] == 'x')
            continue;
        SCOPED_TRACE(name);
        TPNGObject png;
        ASSERT_NO_THROW(png.LoadFromFile(entry.path().string()));
        std::vector<int> expected =
            test::ExpectedSamples(data / "pngsuite" / "json" / (name + ".json"));
        int w = png.GetWidth(), h = png.GetHeight();
        ASSERT_EQ(expected.size(), std::size_t(w) * std::size_t(h) * 4);
        bool wide = png.Header().IHDRData.BitDepth == 16;
        const auto* gama = png.Chunks.FindChunk<TChunkgAMA>();
        std::uint32_t g = gama ? gama->Gamma() : 0;
        // Bit transparency compares displayed colours, so an opaque pixel
        // whose gamma-corrected (or high-byte) colour equals the transparent
        // colour is drawn transparent too; the file's transparent pixels must
        // all be transparent.
        bool byColour = png.GetTransparencyMode() == TPNGTransparencyMode::ptmBit;
        ColorRef clear = png.GetTransparentColor();
        // The source as the build takes it, with straight alpha when the
        // file has transparency, and as a white sheet shows it.
        Bitmap source = LoadPngSource(entry.path().string());
        ASSERT_EQ(source.HasAlpha, png.GetTransparent());
        Bitmap rendered = source;
        FlattenOverWhite(rendered);
        ASSERT_EQ(rendered.Width(), w);
        ASSERT_EQ(rendered.Height(), h);
        int mismatches = 0;
        for (int y = 0; y < h && mismatches < 5; ++y)
            for (int x = 0; x < w && mismatches < 5; ++x) {
                const int* e = &expected[(std::size_t(y) * std::size_t(w) + std::size_t(x)) * 4];
                std::array<int, 4> want;
                for (int c = 0; c < 4; ++c) {
                    long v = wide ? e[c] >> 8 : e[c];
                    want[std::size_t(c)] = int(c < 3 && g != 0 ? Gammatise(v, g) : v);
                }
                if (byColour && want[3] == 255 && MakeColor(std::uint8_t(want[0]), std::uint8_t(want[1]),
                                                            std::uint8_t(want[2])) == clear)
                    want[3] = 0;
                std::array<int, 4> got = OurPixel(png, x, y);
                bool same = got[3] == want[3] && (want[3] == 0 || (got[0] == want[0] && got[1] == want[1] && got[2] == want[2]));
                ColorRef shown = rendered.Pixel(x, y);
                auto over = [&](int c) { return (want[3] * want[std::size_t(c)] + (255 - want[3]) * 255 + 255) >> 8; };
                bool blended = RedOf(shown) == over(0) && GreenOf(shown) == over(1) && BlueOf(shown) == over(2);
                int kept = source.HasAlpha ? AlphaAt(source.ScanLine(y), x) : 255;
                ColorRef keptColor = source.Pixel(x, y);
                bool straight = kept == want[3] &&
                                (kept == 0 || keptColor == MakeColor(std::uint8_t(want[0]), std::uint8_t(want[1]),
                                                                     std::uint8_t(want[2])));
                if (!same || !blended || !straight) {
                    ++mismatches;
                    ADD_FAILURE() << "pixel " << x << "," << y << " got " << got[0] << " " << got[1] << " "
                                  << got[2] << " " << got[3] << " shown " << int(RedOf(shown)) << " "
                                  << int(GreenOf(shown)) << " " << int(BlueOf(shown)) << " kept alpha " << kept
                                  << ", want " << want[0]
                                  << " " << want[1] << " " << want[2] << " " << want[3];
                }
            }
        ++checked;
    }
    EXPECT_GT(checked, 150);
}

template <class E>
bool IsA(const std::exception& e)
{
    return dynamic_cast<const E*>(&e) != nullptr;
}

TEST(PngSuite, DamagedFilesAreRefusedWithTheirError)
{
    TESSOLO_REQUIRE_TESTDATA(data);
    // Bad colour types and depths get our own error; the rest the codec's.
    const std::map<std::string, bool (*)(const std::exception&)> kExpected = {
        {"xc1n0g08", IsA<EPNGInvalidHeaderValues>},
        {"xc9n2c08", IsA<EPNGInvalidHeaderValues>},
        {"xd0n2c08", IsA<EPNGInvalidHeaderValues>},
        {"xd3n2c08", IsA<EPNGInvalidHeaderValues>},
        {"xd9n2c08", IsA<EPNGInvalidHeaderValues>},
        {"xcrn0g04", IsA<EPNGInvalidFileHeader>},
        {"xlfn0g04", IsA<EPNGInvalidFileHeader>},
        {"xs1n0g01", IsA<EPNGInvalidFileHeader>},
        {"xs2n0g01", IsA<EPNGInvalidFileHeader>},
        {"xs4n0g01", IsA<EPNGInvalidFileHeader>},
        {"xs7n0g01", IsA<EPNGInvalidFileHeader>},
        {"xcsn0g01", IsA<EPngInvalidCRC>},
        {"xhdn0g08", IsA<EPngInvalidCRC>},
        {"xdtn0g01", IsA<EPNGNoImageData>},
    };
    int refused = 0;
    for (const auto& entry : fs::directory_iterator(data / "pngsuite" / "png")) {
        std::string name = entry.path().stem().string();
        if (name[0] != 'x')
            continue;
        SCOPED_TRACE(name);
        ASSERT_TRUE(kExpected.count(name)) << "no expectation for this damaged file";
        TPNGObject png;
        try {
            png.LoadFromFile(entry.path().string());
            ADD_FAILURE() << "loaded";
        } catch (const std::exception& e) {
            EXPECT_TRUE(kExpected.at(name)(e)) << e.what();
            ++refused;
        }
    }
    EXPECT_EQ(refused, int(kExpected.size()));
}

// A file decodes a row at a time to exactly the rows of the whole decode,
// or fails with the same error.
void ExpectRowsGiveTheWholeDecode(const Bytes& file)
{
    const test::RowReading reading = test::CompareRowReading(
        [&] { return DecodePngSource(file); }, [&](const SourceRows& rows) { DecodePngSourceRows(file, rows); });
    ASSERT_EQ(reading.rowsError, reading.wholeError);
    EXPECT_TRUE(reading.sameRows || !reading.wholeError.empty());
}

TEST(PngSuite, RowsGiveTheWholeDecode)
{
    TESSOLO_REQUIRE_TESTDATA(data);
    for (const auto& entry : fs::directory_iterator(data / "pngsuite" / "png")) {
        SCOPED_TRACE(entry.path().filename().string());
        ExpectRowsGiveTheWholeDecode(ReadFileBytes(entry.path().string()));
    }
}

// A palette index without an entry is found in the first row, but damage to
// the compressed data further on is what the whole decode reports first.
TEST(PngSuite, RowsReportDamageBeforeAMissingPaletteEntry)
{
    const Bytes firstRow = {0, 0, 1, 2, 3};
    // zlib header and a stored block holding the first row; the next chunk
    // starts a block of the reserved type.
    const Bytes start = test::Concat({{0x78, 0x01, 0x00, 0x05, 0x00, 0xFA, 0xFF}, firstRow});
    const Bytes whole = test::Concat({firstRow, firstRow, firstRow, firstRow});
    // Two entries, one of them translucent, for indices up to 3.
    const Bytes plte = test::Chunk("PLTE", {1, 2, 3, 4, 5, 6}), trns = test::Chunk("tRNS", {0x80});
    for (const Bytes& file : {test::PngFile({test::Ihdr(4, 4, 8, 3), plte, trns, test::Chunk("IDAT", start),
                                             test::Chunk("IDAT", {0x07}), test::Chunk("IEND", {})}),
                              test::SimplePng(4, 4, 8, 3, whole, {plte, trns})})
        ExpectRowsGiveTheWholeDecode(file);
}

}  // namespace
}  // namespace tessolo
