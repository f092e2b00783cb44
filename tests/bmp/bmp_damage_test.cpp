#include "codecs/bmp/bmp_codec.h"

#include "bmp_builder.h"
#include "platform/error.h"
#include "platform/files.h"
#include "support/row_reading.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

using test::BmpFields;
using test::BuildBmp;

// Decoding must fail with the invalid-bitmap message, nothing else.
void ExpectInvalid(const Bytes& file, const std::string& what)
{
    try {
        DecodeBmp(file);
        ADD_FAILURE() << what << ": accepted";
    } catch (const InvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Bitmap image is not valid") << what;
    } catch (const std::exception& e) {
        ADD_FAILURE() << what << ": " << e.what();
    }
}

const BmpFields kRle8 = {.width = 4, .height = 3, .bits = 8, .compression = 1,
                         .table = {kWhite, kBlack},
                         .pixels = {4, 1, 0, 0, 0, 4, 1, 0, 0, 1, 0, 0, 2, 1, 0, 1}};

// Small files of every kind of pixel data.
std::vector<BmpFields> ValidFiles()
{
    return {
        {.headerSize = 12, .width = 3, .height = 2, .bits = 8, .table = {kWhite, kBlack},
         .pixels = {0, 1, 0, 0, 1, 0, 1, 0}},
        {.width = 2, .height = 2, .bits = 16, .compression = 3,
         .masks = {0xF800, 0x07E0, 0x001F}, .pixels = Bytes(8, 0x55)},
        {.headerSize = 124, .width = 3, .height = -2, .bits = 32, .pixels = Bytes(24, 0x33)},
        kRle8,
        {.width = 5, .height = 2, .bits = 4, .compression = 2, .table = {kWhite, kBlack},
         .pixels = {0, 3, 0x10, 0x10, 0, 0, 5, 0x01, 0, 1}},
    };
}

TEST(BmpDamage, EveryTruncationIsRefused)
{
    for (const BmpFields& fields : ValidFiles()) {
        const Bytes file = BuildBmp(fields);
        ASSERT_NO_THROW(DecodeBmp(file));
        for (std::size_t length = 0; length < file.size(); ++length)
            ExpectInvalid(Bytes(file.begin(), file.begin() + std::ptrdiff_t(length)),
                          "truncated to " + std::to_string(length) + " of " +
                              std::to_string(file.size()));
    }
}

TEST(BmpDamage, LyingHeadersAreRefused)
{
    const BmpFields base = {.width = 2, .height = 2, .pixels = Bytes(16, 0)};
    auto with = [&](auto change) {
        BmpFields f = base;
        change(f);
        return BuildBmp(f);
    };
    auto patched = [&](std::size_t at, std::uint32_t value) {
        Bytes file = BuildBmp(base);
        for (int i = 0; i < 4; ++i)
            file[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
        return file;
    };
    ExpectInvalid(Bytes{'B', 'A'}, "signature only");
    ExpectInvalid(patched(0, 0x0000'4142), "signature");
    ExpectInvalid(patched(10, 0xFFFF'FFF0), "pixel offset beyond the file");
    ExpectInvalid(patched(10, 20), "pixel offset inside the headers");
    for (std::uint32_t size : {0u, 16u, 41u, 64u, 0xFFFF'FFFFu})
        ExpectInvalid(patched(14, size), "header size " + std::to_string(size));
    ExpectInvalid(patched(14, 124), "header longer than the file");
    ExpectInvalid(with([](BmpFields& f) { f.width = 0; }), "width 0");
    ExpectInvalid(with([](BmpFields& f) { f.width = -2; }), "negative width");
    ExpectInvalid(with([](BmpFields& f) { f.height = 0; }), "height 0");
    ExpectInvalid(with([](BmpFields& f) { f.height = INT32_MIN; }), "height INT32_MIN");
    ExpectInvalid(with([](BmpFields& f) { f.planes = 0; }), "zero planes");
    ExpectInvalid(with([](BmpFields& f) { f.headerSize = 12; f.planes = 2; }), "two planes");
    for (std::uint16_t bits : {0, 2, 7, 15, 64})
        ExpectInvalid(with([&](BmpFields& f) { f.bits = bits; }), "bits " + std::to_string(bits));
    ExpectInvalid(with([](BmpFields& f) { f.headerSize = 12; f.bits = 16; }), "core 16 bits");
    for (std::uint32_t compression : {1u, 2u, 3u, 4u, 5u, 7u})
        ExpectInvalid(with([&](BmpFields& f) { f.compression = compression; }),
                      "24 bits, compression " + std::to_string(compression));
    ExpectInvalid(with([](BmpFields& f) { f.bits = 8; f.compression = 2; }), "RLE4 with 8 bits");
    ExpectInvalid(with([](BmpFields& f) { f.bits = 8; f.compression = 3; }), "bit fields with 8 bits");
    ExpectInvalid(with([](BmpFields& f) { f.bits = 16; f.compression = 3; f.pixels.resize(0); }),
                  "bit fields without masks");
    ExpectInvalid(with([](BmpFields& f) { f.bits = 16; f.compression = 3; f.masks = {0x0F0F, 0xF0, 0}; }),
                  "masks with holes");
    ExpectInvalid(with([](BmpFields& f) { f.bits = 16; f.compression = 3; f.masks = {0x1F0000, 0xF0, 0}; }),
                  "mask beyond 16 bits");
    BmpFields topDownRle = kRle8;
    topDownRle.height = -3;
    ExpectInvalid(BuildBmp(topDownRle), "top-down RLE");

    // Size claims that the data cannot back, refused before any allocation.
    ExpectInvalid(with([](BmpFields& f) { f.width = 0x7FFF'FFFF; }), "huge width");
    ExpectInvalid(with([](BmpFields& f) { f.width = 0x10000; f.height = -0x10000; }), "huge top-down");
    ExpectInvalid(with([](BmpFields& f) { f.height = 3; }), "one row short");
    BmpFields hugeRle = kRle8;
    hugeRle.width = hugeRle.height = 40000;  // over 1 GiB of 8-bit pixels
    ExpectInvalid(BuildBmp(hugeRle), "huge RLE");
}

TEST(BmpDamage, RunLengthOverrunsAreRefused)
{
    // A 4 x 3 image: every stream below leaves the image or ends too early.
    const std::pair<const char*, Bytes> streams[] = {
        {"run past the row end", {5, 1, 0, 1}},
        {"second run past the row end", {3, 1, 2, 1, 0, 1}},
        {"literal past the row end", {0, 5, 1, 1, 1, 1, 1, 0, 0, 1}},
        {"literal without its data", {0, 4, 1, 1}},
        {"literal without its pad byte", {0, 3, 1, 1, 1}},
        {"delta past the right edge", {0, 2, 5, 0, 0, 1}},
        {"delta past the top", {0, 2, 0, 4, 0, 1}},
        {"delta without its bytes", {0, 2, 1}},
        {"pixels above the top row", {0, 0, 0, 0, 0, 0, 1, 1, 0, 1}},
        {"end of line above the top row", {0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        {"data ends mid-image", {4, 1, 0, 0}},
        {"odd trailing byte", {4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0}},
    };
    for (const auto& [what, stream] : streams) {
        BmpFields f = kRle8;
        f.pixels = stream;
        ExpectInvalid(BuildBmp(f), what);
    }
    BmpFields nibbles = kRle8;
    nibbles.bits = 4;
    nibbles.compression = 2;
    nibbles.pixels = {0, 5, 0x11, 0x11, 0x10, 0, 0, 1};
    ExpectInvalid(BuildBmp(nibbles), "4-bit literal past the row end");
}

// Reading a row at a time gives the rows of the whole decode, or its
// failure: every kind of file and every truncation of it, in memory and
// from a file, and files whose rows span several blocks either way up.
TEST(BmpDamage, RowsAreThoseOfTheWholeDecode)
{
    std::vector<BmpFields> files = ValidFiles();
    for (std::int32_t height : {900, -900}) {
        BmpFields large = {.width = 1000, .height = height, .pixels = Bytes(3000 * 900)};
        for (std::size_t i = 0; i < large.pixels.size(); ++i)
            large.pixels[i] = std::uint8_t(i * 7 / 3000 + i % 251);
        files.push_back(large);
    }
    test::TempDir dir;
    for (const BmpFields& fields : files) {
        const Bytes file = BuildBmp(fields);
        const std::size_t cut = std::min<std::size_t>(60, file.size() - 2);
        for (std::size_t length : {file.size(), file.size() - 1, cut, std::size_t(0)}) {
            SCOPED_TRACE(std::to_string(fields.bits) + " bits, " + std::to_string(fields.height) + " rows, " +
                         std::to_string(length) + " bytes");
            const Bytes data(file.begin(), file.begin() + std::ptrdiff_t(length));
            const test::RowReading inMemory = test::CompareRowReading(
                [&] { return DecodeBmp(data); }, [&](const SourceRows& rows) { DecodeBmpRows(data, rows); });
            WriteFileReplacing(dir / "a.bmp", data);
            const test::RowReading fromFile =
                test::CompareRowReading([&] { return LoadBmpFile(dir / "a.bmp"); },
                                        [&](const SourceRows& rows) { LoadBmpSourceRows(dir / "a.bmp", rows); });
            for (const test::RowReading& reading : {inMemory, fromFile}) {
                EXPECT_EQ(reading.rowsError, reading.wholeError);
                EXPECT_EQ(reading.wholeError.empty(), length == file.size());
                EXPECT_TRUE(reading.wholeError.empty() ? reading.sameRows : true);
            }
        }
    }
}

TEST(BmpDamage, MissingFileNamesThePath)
{
    try {
        LoadBmpFile("/nonexistent/tessolo/a.bmp");
        ADD_FAILURE() << "missing file accepted";
    } catch (const FileOpenError& e) {
        EXPECT_STREQ(e.what(),
                     "Cannot open file /nonexistent/tessolo/a.bmp: No such file or directory");
    }
}

}  // namespace
}  // namespace tessolo
